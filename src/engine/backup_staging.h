// A backup folder of the user-writable backup location, judged by its HKLM record and
// copied into a staging folder of the protected work area: a restore reads and installs
// only those copies, checked after copying.
#pragma once

#include <string>

#include "engine/backup_record.h"
#include "platform/file_system.h"
#include "platform/hashing.h"
#include "platform/registry.h"

enum TBackupTrust {
  btRecorded,    // a record of this folder: its manifest and files are checked when it is used
  btUnverified,  // neither record nor manifest: made before backups had them
  btUnrecorded,  // a manifest but no record of this folder: not a backup the program made here
};

// What the record and the folder say without reading any file: the record kept under the
// folder's name that names this very folder, and whether a manifest is there.
TBackupTrust BackupTrustOf(IRegistry& registry, const std::string& folder);

enum TStagedBackup { sbStaged, sbFailed, sbChanged };

// Copies the folder's manifest and each file it lists into staging, checking the copied
// manifest against the record and each copied file against the manifest: sbChanged when a
// file is missing or differs, sbFailed when a copy cannot be made.
TStagedBackup StageRecordedBackup(IFileSystem& fileSystem, IHashing& hashing, const TBackupRecord& record,
                                  const std::string& folder, const std::string& staging);
// Copies every file directly in the folder (no links, no subfolders) into staging, as it is;
// false when a copy cannot be made.
bool StageUnverifiedBackup(IFileSystem& fileSystem, IHashing& hashing, const std::string& folder,
                           const std::string& staging);
