// Operating-system targets: INF model-section decorations (NTamd64.10.0 …) and the
// OS version and architecture texts a scan request carries.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvserver {

// Architectures as stored in the catalog: "x86", "amd64", "arm", "arm64", "ia64".
// OS versions are major * 1000 + minor; kUndecorated ranks below every version so that
// a decorated section without a version wins over the bare section.
constexpr int kUndecorated = -1;

struct Decoration {
  std::string architecture;
  int os_version = kUndecorated;
};

// Parses a TargetOSVersion such as "NTamd64", "NTamd64.10.0...19041" or "NT.6.1"
// (letter case ignored). The empty text is the bare section. A decoration without an
// architecture serves x86 only: 64-bit Windows requires an architecture decoration.
// Product type, suite mask and build number are accepted but not used: the scan
// request does not carry them.
std::optional<Decoration> parse_decoration(std::string_view text);

// The request's architecture ("x86", "amd64", "arm32", "arm86" for ARM64, and the
// common spellings "x64", "arm", "arm64"); nullopt for anything else.
std::optional<std::string> request_architecture(std::string_view text);

// The request's version text "10.0.0" as major * 1000 + minor; 0 when unreadable.
int request_os_version(std::string_view text);

}  // namespace qvserver
