#include "core/paths.h"

#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <system_error>

#include "core/errors.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t TEMPORARY_TAG_LENGTH = 16;

// "<name>.<16 lowercase hex digits>.tmp", as WriteFileAtomically names its files.
bool IsTemporaryOf(const std::string& entry, const std::string& name) {
  const std::string ending = ".tmp";
  if (entry.size() != name.size() + 1 + TEMPORARY_TAG_LENGTH + ending.size()) return false;
  if (entry.compare(0, name.size(), name) != 0 || entry[name.size()] != '.') return false;
  if (entry.compare(entry.size() - ending.size(), ending.size(), ending) != 0) return false;
  for (size_t i = name.size() + 1; i < name.size() + 1 + TEMPORARY_TAG_LENGTH; ++i) {
    const char c = entry[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace

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

std::string TemporaryPathFor(const std::string& target) {
  std::random_device random;
  const std::uint64_t tag = (static_cast<std::uint64_t>(random()) << 32) ^ random();
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(tag));
  return target + suffix;
}

bool WriteFileAtomically(IFileSystem& fileSystem, const std::string& target, std::string_view bytes) {
  const std::string temporary = TemporaryPathFor(target);
  if (!fileSystem.WriteNewFile(temporary, bytes)) return false;
  if (fileSystem.MoveFileOver(temporary, target)) return true;
  std::error_code ignored;
  fs::remove(ToPath(temporary), ignored);
  return false;
}

void RemoveLeftoverTemporaries(IFileSystem& fileSystem, const std::string& target) {
  const fs::path targetPath = ToPath(target);
  const std::string folder = FromPath(targetPath.parent_path());
  const std::string name = FromPath(targetPath.filename());
  if (fileSystem.IsReparsePoint(folder)) return;
  const auto oldest = fs::file_time_type::clock::now() - std::chrono::minutes(1);
  std::error_code error;
  for (fs::directory_iterator it(ToPath(folder), error), end; !error && it != end; it.increment(error)) {
    const std::string path = FromPath(it->path());
    if (!IsTemporaryOf(FromPath(it->path().filename()), name)) continue;
    std::error_code ignored;
    if (!fs::is_regular_file(it->symlink_status(ignored)) || fileSystem.IsReparsePoint(path)) continue;
    const auto written = fs::last_write_time(it->path(), ignored);
    if (ignored || written > oldest) continue;
    fs::remove(it->path(), ignored);  // removes a link itself, should one replace the file meanwhile
  }
}
