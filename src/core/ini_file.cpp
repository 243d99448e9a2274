#include "core/ini_file.h"

#include <fstream>
#include <sstream>

#include "core/number_text.h"
#include "core/paths.h"
#include "platform/ascii_case.h"

namespace {

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

TIniFile::TIniFile(const std::string& text) {
  m_sections.push_back(TSection{});
  // Every leading byte-order mark: a second one would hide the first line now and
  // reappear as its start once the file is written back without the first.
  std::string body = text;
  while (body.rfind("\xEF\xBB\xBF", 0) == 0) body.erase(0, 3);
  std::istringstream in(body);
  std::string raw;
  while (std::getline(in, raw)) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::string line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      m_sections.push_back(TSection{Trim(line.substr(1, line.size() - 2)), {}});
      continue;
    }
    size_t equals = line.find('=');
    bool isValue = equals != std::string::npos && equals > 0 && line[0] != ';';
    if (isValue)
      m_sections.back().lines.push_back(TLine{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), raw});
    else
      m_sections.back().lines.push_back(TLine{{}, {}, raw});
  }
}

TIniFile TIniFile::Load(const std::string& path) {
  std::ifstream in(ToPath(path), std::ios::binary);
  if (!in) return TIniFile();
  std::ostringstream text;
  text << in.rdbuf();
  return TIniFile(text.str());
}

size_t TIniFile::SectionIndex(const std::string& section) const {
  for (size_t s = 1; s < m_sections.size(); ++s)
    if (EqualsIgnoringAsciiCase(m_sections[s].name, section)) return s;
  return 0;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  if (size_t index = SectionIndex(section))
    for (const TLine& line : m_sections[index].lines)
      if (!line.key.empty() && EqualsIgnoringAsciiCase(line.key, key)) return line.value;
  return defaultValue;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t defaultValue) const {
  return StrToIntDef(ReadString(section, key, {}), defaultValue);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  size_t index = SectionIndex(section);
  if (index == 0) {
    index = m_sections.size();
    m_sections.push_back(TSection{section, {}});
  }
  TSection* target = &m_sections[index];
  for (TLine& line : target->lines) {
    if (!line.key.empty() && EqualsIgnoringAsciiCase(line.key, key)) {
      line.value = value;
      line.raw = line.key + "=" + value;
      return;
    }
  }
  // New keys go after the section's last value, before trailing blank lines.
  auto at = target->lines.end();
  while (at != target->lines.begin() && Trim((at - 1)->raw).empty()) --at;
  target->lines.insert(at, TLine{key, value, key + "=" + value});
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::string TIniFile::Text() const {
  std::string text;
  for (size_t s = 0; s < m_sections.size(); ++s) {
    if (s > 0) text += "[" + m_sections[s].name + "]\r\n";
    for (const TLine& line : m_sections[s].lines) text += line.raw + "\r\n";
  }
  return text;
}
