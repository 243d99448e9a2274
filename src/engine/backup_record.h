// What the program knows of a backup it made: kept under HKLM, where the user who can
// write the backup location cannot, and checked before the backup is restored.
#pragma once

#include <optional>
#include <string>

#include "platform/registry.h"

// HKLM key under which each backup's record is a key named by its folder's name.
inline constexpr const char* QV_BACKUPS_KEY = "SOFTWARE\\Quorvane\\Backups";

struct TBackupRecord {
  std::string folder;          // the backup folder's full path when it was made
  std::string manifestSha256;  // 64 lower-case hexadecimal digits

  bool operator==(const TBackupRecord&) const = default;
};

// Writes the record of the backup folder named folderName; false when the key or a value
// cannot be written.
bool StoreBackupRecord(IRegistry& registry, const std::string& folderName, const TBackupRecord& record);
// The record kept under that folder name; nothing when there is none or it is incomplete.
std::optional<TBackupRecord> ReadBackupRecord(IRegistry& registry, const std::string& folderName);
// Removes the record kept under that folder name.
void ForgetBackupRecord(IRegistry& registry, const std::string& folderName);
// Whether two paths name the same folder as Windows compares them: separators of either
// kind, a trailing separator and ASCII case aside.
bool SameFolderPath(const std::string& a, const std::string& b);
