// What "Remove my settings and driver backups" removes when the program is uninstalled:
// the program's own data folders, found where the system names them. config.ini is never
// read for it: its locations are the user's to write and may name any folder.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/shell.h"

enum TDataRemovalOutcome {
  droRemoved,    // the folder and everything in it are gone
  droAbsent,     // nothing was there
  droLeftAlone,  // a reparse point or a file, not a folder the program made: untouched
  droRefused,    // the system named no usable place for it (empty, relative, in the Windows folder)
  droFailed,     // removal was attempted and something stays
};

struct TDataFolderRemoval {
  std::string folder;  // as it was chosen; empty when the system named none
  TDataRemovalOutcome outcome;
};

// The folder named after the program in the user's roaming application-data folder
// (settings, scan results, and the default download and backup folders), then the one
// in the machine's program-data folder (the protected work area). Each is removed with
// IFileSystem::DeleteTree only when it is a real folder: a reparse point inside is
// removed as a link, never followed.
std::vector<TDataFolderRemoval> RemoveProgramDataFolders(IFileSystem& fileSystem, IShell& shell);

// Whether every folder is gone or was never there.
bool AllDataRemoved(const std::vector<TDataFolderRemoval>& removals);
