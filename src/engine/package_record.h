// What the program knows of a downloaded package once the server has confirmed it:
// kept under HKLM, where the user who can write the download folder cannot, and
// checked again right before the package is installed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/hashing.h"
#include "platform/registry.h"

// HKLM key under which each package's record is a key named by its driver id.
inline constexpr const char* QV_PACKAGES_KEY = "SOFTWARE\\Quorvane\\Packages";

struct TPackageRecord {
  std::string fileName;
  uint64_t size = 0;
  std::string sha256;  // 64 lower-case hexadecimal digits, computed here
  std::string md5;     // 32 lower-case hexadecimal digits, the digest the server confirmed

  bool operator==(const TPackageRecord&) const = default;
};

// Where the download run puts a driver id's package, recorded under the same key before
// the fetch starts: a delete works from this, never from a path made of settings or scan
// results, and removes only what the program made.
struct TPackagePlace {
  std::string folder;          // the package folder; empty in records older than this value
  bool folderCreated = false;  // the download run made the folder, so it may remove it once empty
  std::string fileName;        // the package file in that folder
};

// The name given, and the size and digests of an open file read from its current
// position to its end, in one pass; nothing when a read fails.
std::optional<TPackageRecord> MeasurePackage(IHashing& hashing, IOpenFile& file, const std::string& fileName);

// Writes the record of a driver id's package; false when the key or a value cannot be written.
bool StorePackageRecord(IRegistry& registry, const std::string& driverId, const TPackageRecord& record);
// The record of a driver id's package; nothing when there is none or it is incomplete.
std::optional<TPackageRecord> ReadPackageRecord(IRegistry& registry, const std::string& driverId);
// Writes where a driver id's package goes, and forgets the size and digests of any earlier
// package (nothing is confirmed yet); false when the key or a value cannot be written.
bool StorePackagePlace(IRegistry& registry, const std::string& driverId, const TPackagePlace& place);
// Where a driver id's package was put, from a pending or a confirmed record; nothing
// without a file name. A record older than the folder value gives an empty folder.
std::optional<TPackagePlace> ReadPackagePlace(IRegistry& registry, const std::string& driverId);
// Removes a driver id's record, so that no file is taken for its package any more.
void ForgetPackageRecord(IRegistry& registry, const std::string& driverId);
