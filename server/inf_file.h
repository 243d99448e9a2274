// Generic INF syntax: sections, "key = value, value" entries, quotes, comments, line
// continuations and %strkey% tokens resolved from the [Strings] sections.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qvserver {

struct InfEntry {
  std::string key;                  // empty when the line has no "="
  std::vector<std::string> values;  // unquoted, tokens resolved, blanks trimmed
};

class InfFile {
 public:
  // Parses UTF-8 text (see inf_text_to_utf8). Never fails: lines it cannot read are kept
  // as entries without a key, as Windows' own parser does.
  static InfFile parse(std::string_view text);

  // The entries of a section, by name ignoring letter case; empty when absent.
  const std::vector<InfEntry>& section(std::string_view name) const;
  // The first value of the first entry with this key in the section, or "".
  std::string value(std::string_view section_name, std::string_view key) const;

 private:
  std::map<std::string, std::vector<InfEntry>> sections_;  // keyed by lower-case name
};

}  // namespace qvserver
