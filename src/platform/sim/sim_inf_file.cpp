#include "platform/sim/sim_inf_file.h"

#include <fstream>
#include <iterator>

#include "platform/ascii_case.h"

namespace {

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Splits a line outside quotes at the separator; a ";" outside quotes ends the line.
std::vector<std::string> SplitOutsideQuotes(const std::string& line, char separator, bool* cut = nullptr) {
  std::vector<std::string> parts(1);
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (!quoted && c == ';') break;
    if (!quoted && c == separator) {
      parts.emplace_back();
      continue;
    }
    parts.back() += c;
  }
  if (cut) *cut = parts.size() > 1;
  return parts;
}

std::string Unquote(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '"') {
      result += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '"') {  // "" inside quotes is one quote
      result += '"';
      ++i;
    }
  }
  return result;
}

}  // namespace

std::optional<TSimInfFile> TSimInfFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Parse(std::string(std::istreambuf_iterator<char>(in), {}));
}

TSimInfFile TSimInfFile::Parse(const std::string& text) {
  TSimInfFile inf;
  std::vector<TSimInfLine>* section = nullptr;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(SplitOutsideQuotes(text.substr(start, end - start), '\0').front());
    start = end + 1;
    if (line.empty()) continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      section = &inf.m_sections[AsciiLower(Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)))];
      continue;
    }
    if (section == nullptr) continue;
    TSimInfLine entry;
    bool hasKey = false;
    std::vector<std::string> sides = SplitOutsideQuotes(line, '=', &hasKey);
    std::string values = line;
    if (hasKey) {
      entry.key = Trim(sides.front());
      values = line.substr(line.find('=', sides.front().size()) + 1);
    }
    for (const auto& field : SplitOutsideQuotes(values, ',')) entry.fields.push_back(Trim(field));
    section->push_back(std::move(entry));
  }
  for (const auto& line : inf.Lines("Strings"))
    if (!line.key.empty() && !line.fields.empty()) inf.m_strings[AsciiLower(line.key)] = Unquote(line.fields.front());
  for (auto& [name, lines] : inf.m_sections) {
    if (name == "strings") continue;
    for (auto& line : lines) {
      line.key = inf.Substitute(line.key);
      for (auto& field : line.fields) field = inf.Substitute(field);
    }
  }
  return inf;
}

std::string TSimInfFile::Substitute(const std::string& text) const {
  // One pass: quotes are taken off ("" inside quotes is one quote), %name% is
  // replaced by its string as it stands, %% is one percent sign.
  std::string result;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
        result += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
      continue;
    }
    const size_t close = c == '%' ? text.find('%', i + 1) : std::string::npos;
    if (close == std::string::npos) {
      result += c;
      continue;
    }
    if (close == i + 1) {
      result += '%';
    } else {
      auto found = m_strings.find(AsciiLower(text.substr(i + 1, close - i - 1)));
      result += found != m_strings.end() ? found->second : text.substr(i, close - i + 1);
    }
    i = close;
  }
  return result;
}

bool TSimInfFile::HasSection(const std::string& section) const { return m_sections.count(AsciiLower(section)) != 0; }

const std::vector<TSimInfLine>& TSimInfFile::Lines(const std::string& section) const {
  static const std::vector<TSimInfLine> none;
  auto found = m_sections.find(AsciiLower(section));
  return found == m_sections.end() ? none : found->second;
}

const TSimInfLine* TSimInfFile::FindLine(const std::string& section, const std::string& key) const {
  for (const auto& line : Lines(section))
    if (EqualsIgnoringAsciiCase(line.key, key)) return &line;
  return nullptr;
}
