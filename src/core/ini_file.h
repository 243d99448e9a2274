// An INI file in memory: sections of key=value lines, names compared without case.
// Lines it cannot read are kept as they are when the file is written back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TIniFile {
 public:
  // Parses INI text (UTF-8, an optional byte-order mark).
  explicit TIniFile(const std::string& text = {});
  // Reads the file; a missing or unreadable file gives an empty one.
  static TIniFile Load(const std::string& path);

  // The value, or the default when the key is missing.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  // The value read as a number; the default when missing, empty or not a number.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
  // ReadInteger of "1"/"0": non-zero is true.
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

  std::string Text() const;

 private:
  struct TLine {
    std::string key;  // empty for a line that is not key=value
    std::string value;
    std::string raw;
  };
  struct TSection {
    std::string name;
    std::vector<TLine> lines;
  };
  // Index of the first section of the name, 0 when there is none.
  size_t SectionIndex(const std::string& section) const;

  std::vector<TSection> m_sections;  // the first one holds lines before any section header
};
