// Parses a subcommand's arguments.
#include "command_line.h"

#include <charconv>

namespace qvserver {

std::optional<std::string> Arguments::get(const std::string& name) const {
  auto found = options.find(name);
  if (found == options.end()) return std::nullopt;
  return found->second;
}

std::string Arguments::get_or(const std::string& name, const std::string& fallback) const {
  return get(name).value_or(fallback);
}

long long Arguments::number_or(const std::string& name, long long fallback, long long low, long long high) const {
  auto text = get(name);
  if (!text) return fallback;
  long long value = 0;
  auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (error != std::errc() || end != text->data() + text->size() || value < low || value > high)
    throw UsageError("--" + name + " needs a number from " + std::to_string(low) + " to " + std::to_string(high));
  return value;
}

Arguments parse_arguments(const std::vector<std::string>& args, const std::set<std::string>& known_options) {
  Arguments parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!arg.starts_with("--")) {
      parsed.positional.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2);
    if (!known_options.contains(name)) throw UsageError("unknown option " + arg);
    if (i + 1 >= args.size()) throw UsageError("option " + arg + " needs a value");
    parsed.options[name] = args[++i];
  }
  return parsed;
}

}  // namespace qvserver
