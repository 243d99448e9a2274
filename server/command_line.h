// Parses a subcommand's arguments: "--name value" options from a known list, and the rest.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvserver {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Arguments {
  std::map<std::string, std::string> options;  // by name without "--"
  std::vector<std::string> positional;

  std::optional<std::string> get(const std::string& name) const;
  std::string get_or(const std::string& name, const std::string& fallback) const;
  // A whole number in [low, high]; UsageError otherwise.
  long long number_or(const std::string& name, long long fallback, long long low, long long high) const;
};

// Raises UsageError for an unknown option or an option without its value.
Arguments parse_arguments(const std::vector<std::string>& args, const std::set<std::string>& known_options);

}  // namespace qvserver
