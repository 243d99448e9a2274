// Reparse points on the paths the elevated program writes, extracts into or deletes under:
// such a folder lives in the user's writable data, so a junction there would redirect the
// program's administrator rights to any place on the disk.
#pragma once

#include <string>

#include "platform/file_system.h"

// The first path from folder down to path (both included, path below folder) that is a
// reparse point; empty when there is none. A path outside folder has each of its parts checked.
std::string FirstLinkOnPath(IFileSystem& fileSystem, const std::string& folder, const std::string& path);
