#include "core/paths.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <random>
#include <system_error>

#include "core/errors.h"

namespace fs = std::filesystem;

fs::path ToPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string FromPath(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return FromPath(ToPath(folder) / ToPath(name));
}

namespace {

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// Characters Windows refuses in a folder path; a colon only after a drive letter.
bool HasInvalidPathCharacters(const std::string& path) {
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (c < 32 || c == '"' || c == '<' || c == '>' || c == '|' || c == '*' || c == '?') return true;
    if (c == ':' && !(i == 1 && HasDriveLetter(path))) return true;
  }
  return false;
}

}  // namespace

void ForceFolder(IFileSystem& fileSystem, const std::string& folder) {
  if (folder.empty()) return;
  if (HasInvalidPathCharacters(folder)) throw EInOutError("Invalid characters in path");
  if (HasDriveLetter(folder) && !fileSystem.DriveExists(folder[0]))
    throw EInOutError("The drive cannot be found");
  std::error_code ignored;
  fs::create_directories(ToPath(folder), ignored);
}

bool WriteFileAtomically(IFileSystem& fileSystem, const std::string& target, std::string_view bytes) {
  // A name of its own for each write: two writers of the same file at once never
  // write into each other's temporary file.
  std::random_device random;
  const std::uint64_t tag = (static_cast<std::uint64_t>(random()) << 32) ^ random();
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(tag));
  const std::string temporary = target + suffix;
  if (!fileSystem.WriteNewFile(temporary, bytes)) return false;
  if (fileSystem.MoveFileOver(temporary, target)) return true;
  std::error_code ignored;
  fs::remove(ToPath(temporary), ignored);
  return false;
}
