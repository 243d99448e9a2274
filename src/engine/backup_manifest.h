// The manifest a backup folder holds: each file the backup wrote, by its name in the
// folder, with its size and SHA-256. The manifest's own digest is recorded under HKLM,
// so a backup's files are trusted only as the manifest, checked by that digest, lists them.
//
// Its text, in UTF-8, each line ended by "\n":
//   Quorvane backup manifest 1
//   <64 lower-case hexadecimal digits> <size in decimal> <file name>
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The manifest's name in the backup folder.
inline constexpr const char* QV_BACKUP_MANIFEST_NAME = "quorvane.manifest";
// The longest manifest read, and the most files it lists.
inline constexpr size_t QV_BACKUP_MANIFEST_MAX_BYTES = 1024 * 1024;
inline constexpr size_t QV_BACKUP_MANIFEST_MAX_FILES = 4096;

struct TManifestEntry {
  std::string name;  // a plain file name directly in the backup folder
  uint64_t size = 0;
  std::string sha256;  // 64 lower-case hexadecimal digits

  bool operator==(const TManifestEntry&) const = default;
};

// The manifest's text for the entries, in their order.
std::string WriteBackupManifest(const std::vector<TManifestEntry>& entries);
// The entries of a manifest's text; nothing when the text is not one the writer makes from
// plain, distinct names (case ignored, as Windows compares them) within the limits above.
std::optional<std::vector<TManifestEntry>> ReadBackupManifest(std::string_view text);
