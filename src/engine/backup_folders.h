// The restore list: the backup folders directly under the backup location, and
// the check that a listed name still names one of them when it is used.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The folders directly under the backup location, by name, sorted; never "."
// or "..", nor a link or junction. Empty when the location cannot be listed.
std::vector<std::string> BackupFolderNames(const std::string& backupRoot);
// The path of the backup folder `name` under the location: a plain name that is
// a real folder there now; nothing otherwise.
std::optional<std::string> BackupFolderPath(const std::string& backupRoot, const std::string& name);
