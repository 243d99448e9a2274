// Generic INF syntax: sections, entries, quotes, comments, continuations and %strkey% tokens.
#include "inf_file.h"

#include "ascii_text.h"

namespace qvserver {

namespace {

struct RawField {
  std::string text;
  bool quoted = false;
};

struct RawLine {
  std::string section;  // lower-case name of the section it belongs to
  bool has_key = false;
  RawField key;
  std::vector<RawField> values;
};

// The part of a physical line before its comment; a ";" inside quotes is text.
std::string_view strip_comment(std::string_view line) {
  bool in_quotes = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') in_quotes = !in_quotes;
    if (line[i] == ';' && !in_quotes) return line.substr(0, i);
  }
  return line;
}

RawField finish_field(std::string& text, bool quoted) {
  RawField field{quoted ? text : std::string(trim(text)), quoted};
  text.clear();
  return field;
}

// Splits "key = a, "b,c", d" into the key and its values.
void tokenize(std::string_view logical, RawLine& line) {
  std::string current;
  bool quoted = false;
  bool in_quotes = false;
  auto close_field = [&]() -> RawField {
    RawField field = quoted ? RawField{current, true} : finish_field(current, false);
    current.clear();
    quoted = false;
    return field;
  };
  for (size_t i = 0; i < logical.size(); ++i) {
    char c = logical[i];
    if (in_quotes) {
      if (c == '"' && i + 1 < logical.size() && logical[i + 1] == '"') {
        current += '"';
        ++i;
      } else if (c == '"') {
        in_quotes = false;
      } else {
        current += c;
      }
    } else if (c == '"') {
      // Text before the opening quote on the same field is blank padding.
      if (!quoted) current = std::string(trim(current));
      in_quotes = true;
      quoted = true;
    } else if (c == '=' && !line.has_key && line.values.empty()) {
      line.has_key = true;
      line.key = close_field();
    } else if (c == ',') {
      line.values.push_back(close_field());
    } else if (!(quoted && (c == ' ' || c == '\t'))) {
      current += c;
    }
  }
  line.values.push_back(close_field());
}

std::string resolve_tokens(const std::string& text, const std::map<std::string, std::string>& strings) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    size_t end = text.find('%', i + 1);
    if (end == std::string::npos) {
      out += text.substr(i);
      break;
    }
    std::string token = text.substr(i + 1, end - i - 1);
    if (token.empty()) {
      out += '%';  // "%%" is a literal percent sign
    } else if (auto found = strings.find(ascii_lower(token)); found != strings.end()) {
      out += found->second;
    } else {
      out += text.substr(i, end - i + 1);  // unknown tokens stay as written
    }
    i = end;
  }
  return out;
}

bool is_strings_section(const std::string& lower_name) {
  return lower_name == "strings" || lower_name.starts_with("strings.");
}

}  // namespace

InfFile InfFile::parse(std::string_view text) {
  std::vector<RawLine> lines;
  std::string section;
  std::string logical;
  auto physical = split(text, '\n');
  for (size_t n = 0; n < physical.size(); ++n) {
    std::string_view part = trim(strip_comment(physical[n]));
    if (!part.empty() && part.back() == '\\' && n + 1 < physical.size()) {
      part.remove_suffix(1);
      logical += part;
      continue;
    }
    logical += part;
    std::string_view whole = trim(logical);
    if (whole.empty()) {
      logical.clear();
      continue;
    }
    if (whole.front() == '[') {
      auto close = whole.find(']');
      section = ascii_lower(trim(whole.substr(1, close == std::string_view::npos ? whole.size() - 1 : close - 1)));
    } else {
      RawLine line;
      line.section = section;
      tokenize(whole, line);
      lines.push_back(std::move(line));
    }
    logical.clear();
  }

  // [Strings] first, then the localized [Strings.xxxx] sections for tokens it lacks.
  std::map<std::string, std::string> strings;
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& line : lines) {
      bool wanted = pass == 0 ? line.section == "strings" : is_strings_section(line.section);
      if (wanted && line.has_key && !line.values.empty())
        strings.emplace(ascii_lower(line.key.text), line.values.front().text);
    }
  }

  InfFile file;
  for (const auto& line : lines) {
    auto& entries = file.sections_[line.section];
    if (is_strings_section(line.section)) {
      InfEntry entry{line.key.text, {}};
      for (const auto& value : line.values) entry.values.push_back(value.text);
      entries.push_back(std::move(entry));
      continue;
    }
    InfEntry entry{line.has_key ? resolve_tokens(line.key.text, strings) : std::string(), {}};
    for (const auto& value : line.values) entry.values.push_back(resolve_tokens(value.text, strings));
    entries.push_back(std::move(entry));
  }
  return file;
}

const std::vector<InfEntry>& InfFile::section(std::string_view name) const {
  static const std::vector<InfEntry> kNone;
  auto found = sections_.find(ascii_lower(name));
  return found == sections_.end() ? kNone : found->second;
}

std::string InfFile::value(std::string_view section_name, std::string_view key) const {
  for (const auto& entry : section(section_name))
    if (iequals(entry.key, key) && !entry.values.empty()) return entry.values.front();
  return {};
}

}  // namespace qvserver
