#include "engine/backup_manifest.h"

#include <charconv>
#include <set>

#include "platform/ascii_case.h"
#include "platform/path_parts.h"

namespace {

constexpr std::string_view HEADER = "Quorvane backup manifest 1";
constexpr size_t SHA256_DIGITS = 64;
constexpr size_t MAX_SIZE_DIGITS = 20;  // 18446744073709551615

bool IsLowerHex(std::string_view text) {
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

bool IsDecimal(std::string_view text) {
  if (text.empty() || text.size() > MAX_SIZE_DIGITS || (text.size() > 1 && text[0] == '0')) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::optional<TManifestEntry> ReadEntry(std::string_view line) {
  // "<digest> <size> <name>": the name is the rest of the line, blanks included.
  if (line.size() < SHA256_DIGITS + 1 || line[SHA256_DIGITS] != ' ') return std::nullopt;
  TManifestEntry entry;
  const std::string_view digest = line.substr(0, SHA256_DIGITS);
  if (!IsLowerHex(digest)) return std::nullopt;
  entry.sha256 = std::string(digest);
  line.remove_prefix(SHA256_DIGITS + 1);
  const size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  const std::string_view size = line.substr(0, blank);
  if (!IsDecimal(size)) return std::nullopt;
  const auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), entry.size);
  if (error != std::errc() || end != size.data() + size.size()) return std::nullopt;
  const std::string_view name = line.substr(blank + 1);
  if (name.empty() || !IsPlainFileName(name)) return std::nullopt;
  entry.name = std::string(name);
  return entry;
}

}  // namespace

std::string WriteBackupManifest(const std::vector<TManifestEntry>& entries) {
  std::string text(HEADER);
  text += '\n';
  for (const TManifestEntry& entry : entries)
    text += entry.sha256 + ' ' + std::to_string(entry.size) + ' ' + entry.name + '\n';
  return text;
}

std::optional<std::vector<TManifestEntry>> ReadBackupManifest(std::string_view text) {
  if (text.size() > QV_BACKUP_MANIFEST_MAX_BYTES || text.empty() || text.back() != '\n') return std::nullopt;
  std::vector<TManifestEntry> entries;
  std::set<std::string> names;  // lower-cased
  bool header = true;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (header) {
      if (line != HEADER) return std::nullopt;
      header = false;
      continue;
    }
    std::optional<TManifestEntry> entry = ReadEntry(line);
    if (!entry || entries.size() == QV_BACKUP_MANIFEST_MAX_FILES) return std::nullopt;
    if (!names.insert(AsciiLower(entry->name)).second) return std::nullopt;
    entries.push_back(std::move(*entry));
  }
  if (header) return std::nullopt;
  return entries;
}
