// Paths as UTF-8 text, folder creation with the program's errors, atomic file writes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_system.h"

std::filesystem::path ToPath(const std::string& utf8);
std::string FromPath(const std::filesystem::path& path);
// folder and name joined with the platform's separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// Creates the folder with its missing parents. Raises "Invalid characters in path"
// or "The drive cannot be found"; any other failure is silent (the write that
// follows reports it).
void ForceFolder(IFileSystem& fileSystem, const std::string& folder);

// A name of its own beside target for one write: "<target>.<16 lowercase hex digits>.tmp",
// with random digits, so that two writers of the same file never write into each other's.
std::string TemporaryPathFor(const std::string& target);

// Writes the bytes to a temporary file of its own beside the target, flushed to the
// disk, and replaces the target with it; false (and the target untouched) when any
// step fails.
bool WriteFileAtomically(IFileSystem& fileSystem, const std::string& target, std::string_view bytes);

// Removes the temporary files writers killed mid-write left beside target: regular files
// named target's name, a dot, 16 lowercase hex digits and ".tmp", last written more than
// a minute ago (a running writer's is younger). Nothing when the folder is a reparse
// point; an entry that is one is neither removed nor followed.
void RemoveLeftoverTemporaries(IFileSystem& fileSystem, const std::string& target);
