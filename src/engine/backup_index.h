// A backup folder's "index.dat": which INF of the folder installs which device.
// "\oem12.inf:PCI\VEN_8086&DEV_1234" in UTF-16LE, without byte order mark or terminator.
// The folder lies in the user's backup location, so the file is untrusted input.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TBackupIndex {
  std::string infName;     // a plain file name, in the backup folder
  std::string hardwareId;  // everything after the first colon
};

// The index's bytes for an INF name and a hardware id.
std::vector<uint8_t> BackupIndexBytes(const std::string& infName, const std::string& hardwareId);
// The index read from the file's bytes; nothing when it names no plain INF file name.
std::optional<TBackupIndex> ReadBackupIndex(std::string_view bytes);
