// Operating-system targets: INF model-section decorations and the request's OS texts.
#include "os_target.h"

#include <array>
#include <charconv>

#include "ascii_text.h"

namespace qvserver {

namespace {

constexpr std::array<std::string_view, 5> kArchitectures{"amd64", "arm64", "ia64", "x86", "arm"};

int parse_small_number(std::string_view text) {
  int value = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > 999) return -1;
  return value;
}

}  // namespace

std::optional<Decoration> parse_decoration(std::string_view text) {
  text = trim(text);
  if (text.empty()) return Decoration{"x86", kUndecorated};
  if (!istarts_with(text, "nt")) return std::nullopt;
  text.remove_prefix(2);
  Decoration decoration{"x86", 0};
  for (auto architecture : kArchitectures) {  // "arm64" is tried before "arm"
    if (istarts_with(text, architecture)) {
      decoration.architecture = std::string(architecture);
      text.remove_prefix(architecture.size());
      break;
    }
  }
  if (text.empty()) return decoration;
  if (text.front() != '.') return std::nullopt;
  auto pieces = split(text.substr(1), '.');
  if (pieces.size() > 5) return std::nullopt;
  int major = pieces[0].empty() ? 0 : parse_small_number(pieces[0]);
  int minor = pieces.size() < 2 || pieces[1].empty() ? 0 : parse_small_number(pieces[1]);
  if (major < 0 || minor < 0) return std::nullopt;
  decoration.os_version = major * 1000 + minor;
  return decoration;
}

std::optional<std::string> request_architecture(std::string_view text) {
  std::string lower = ascii_lower(trim(text));
  if (lower == "x86") return "x86";
  if (lower == "amd64" || lower == "x64") return "amd64";
  if (lower == "arm32" || lower == "arm") return "arm";
  if (lower == "arm86" || lower == "arm64") return "arm64";
  if (lower == "ia64") return "ia64";
  return std::nullopt;
}

int request_os_version(std::string_view text) {
  auto pieces = split(trim(text), '.');
  if (pieces.size() < 2) return 0;
  int major = parse_small_number(pieces[0]);
  int minor = parse_small_number(pieces[1]);
  if (major < 0 || minor < 0) return 0;
  return major * 1000 + minor;
}

}  // namespace qvserver
