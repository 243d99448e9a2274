// How a downloaded driver package is installed: its kind by extension, the methods
// an archive's name selects, and the searches of an extracted archive's folder.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

// How the install run handles a package, by its file type (PackageFileTypeOf).
enum TPackageKind {
  pkProgram,   // ".exe", ".msi": run and waited for
  pkArchive,   // ".zip": extracted, then installed by its name's suffix
  pkDocument,  // anything else: opened with its associated program
};

TPackageKind PackageKindOf(const std::string& packagePath);

// Install methods inside an extracted archive.
enum TArchiveMethod {
  amInfFiles,   // "_qva": every "*.inf" offered to the Plug and Play installer
  amBatch,      // "_qvai": "install.bat", else "install.cmd"
  amMsi,        // "_qvam": the first "*.msi"
  amExe,        // "_qvae": the first "*.exe"
  amSetupExe,   // always last: the first "setup.exe"
};

// The methods to try, in order, for an archive: the one its name's suffix selects
// (the name without its last four characters, compared case-sensitively), then
// the "setup.exe" fallback.
std::vector<TArchiveMethod> ArchiveMethodsFor(const std::string& archivePath);

// Whether a file name matches a mask of the kind the system's file search takes:
// "*" any run of characters, "?" one character, letters compared without case.
bool MatchesFileMask(const std::string& fileName, const std::string& mask);

// The files under folder (sub-folders included) whose names match mask, in the
// order of a depth-first walk that lists each folder's entries sorted by their
// upper-cased names, as NTFS lists them, and enters each sub-folder where it is met.
// Junctions and links (as the file system tells them) are neither entered nor listed.
std::vector<std::string> FindFilesRecursive(IFileSystem& fileSystem, const std::string& folder, const std::string& mask);
