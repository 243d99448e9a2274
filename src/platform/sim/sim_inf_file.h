// A small reader of Windows INF files for the simulated driver store: sections of
// lines, each an optional key and comma-separated fields, with comments removed,
// quotes taken off and %name% replaced from the [Strings] section.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

struct TSimInfLine {
  std::string key;                  // empty: the line has no "key ="
  std::vector<std::string> fields;  // field 1 onwards
};

class TSimInfFile {
 public:
  // Nothing when the file cannot be read.
  static std::optional<TSimInfFile> Load(const std::string& path);
  static TSimInfFile Parse(const std::string& text);

  bool HasSection(const std::string& section) const;
  // The section's lines; none when it is missing. Names compare without regard to case.
  const std::vector<TSimInfLine>& Lines(const std::string& section) const;
  // The first line of the section with that key.
  const TSimInfLine* FindLine(const std::string& section, const std::string& key) const;

 private:
  std::string Substitute(const std::string& text) const;

  std::map<std::string, std::vector<TSimInfLine>> m_sections;  // by lower-case name
  std::map<std::string, std::string> m_strings;                // [Strings], by lower-case key
};
