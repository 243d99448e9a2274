// Names inside the download folder: a package's file name from its download address,
// the type of package a file name stands for, the check that a driver id or file
// name stays one entry inside its folder, and the file a package folder holds.
#pragma once

#include <string>

// The text before the first "?", its percent escapes decoded as UTF-8 ("+" stays "+"),
// the part after the last "/", and of that the part after the first "_".
// "http://h/files/77_net%20driver_v2.zip?x=1" gives "net driver_v2.zip".
std::string DownloadFileName(const std::string& url);

// Package file types by the file name's extension, compared without case. The
// download folder reports a program apart from every other package; the install
// run runs programs and installer packages alike.
enum TPackageFileType {
  pfProgram,           // ".exe"
  pfInstallerPackage,  // ".msi"
  pfArchive,           // ".zip"
  pfOther,
};

// The type of the file a path ends in ("\" or "/" separating the path's parts).
TPackageFileType PackageFileTypeOf(const std::string& path);

// True when the name can only name an entry directly inside a folder: not empty, not
// "." or "..", no path separator, drive colon, wildcard or control character, and no
// trailing dot or blank (which Windows drops, so "..." or ".. " would mean "..").
bool IsPlainEntryName(const std::string& name);

// The path of the first entry of a folder's listing that is not a directory: a package
// folder's package. Empty when there is none or the folder cannot be listed.
std::string FirstFileIn(const std::string& folder);
