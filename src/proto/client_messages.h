// The program-version message (TClientVersion) and the download confirmation
// (TClientStatus, a list of TDownloadStatus entries).
#pragma once

#include <string>

#include "platform/module_version.h"
#include "proto/owned_list.h"

class TClientVersion {
 public:
  std::string Fversion_major;   // 1
  std::string Fversion_minor;   // 2
  std::string Fversion_vminor;  // 3
  std::string Fversion_vbuild;  // 4
  std::string Freadme;          // 5: text the server sends with a newer version

  // Fills the four version fields from the running program's version resource;
  // leaves everything as it was when the program has none. Freadme is untouched.
  void GetModuleVersion(IModuleVersion& moduleVersion);
};

struct TDownloadStatus {
  std::string Fdriver_checksum;  // 1: checksum of the downloaded file
  std::string Fdriver_id;        // 2: the server's id of the driver
};

class TClientStatus {
 public:
  TOwnedList<TDownloadStatus> FDownloads;  // 1, repeated

  void AddDownload(std::string aChecksum, std::string aID) {
    FDownloads.Add({std::move(aChecksum), std::move(aID)});
  }
  void DeleteDownload(size_t aIndex) { FDownloads.Delete(aIndex); }
  const TDownloadStatus& GetDownload(size_t aIndex) const { return FDownloads.Get(aIndex); }
  size_t DownloadCount() const { return FDownloads.Count(); }
};
