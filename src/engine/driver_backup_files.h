// The pieces of a driver backup: the device found in the system, its installed
// driver's file list from the class installer, and the copy of each file, the
// INF, the index and the catalog into the device's backup folder.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "devices/device_properties.h"
#include "engine/backup_index.h"
#include "engine/backup_writer.h"
#include "engine/data_manager.h"
#include "platform/device_install.h"
#include "platform/path_parts.h"

// One device backup.
struct TDriverData {
  TSpDrvinfoDetailData driverInfoDetail;  // the installed driver's INF path and section
  std::string bkupPath;                   // the backup root
  std::string DeviceName;
  std::string strHID;
  std::string strVersion;
};

// Files of the system directory by exact name (case included), the first in a
// depth-first walk in listing order. The walk is made at most once and only as
// far as a search needs: every name met on the way is remembered with its first
// path, so each answer equals that of a fresh walk stopping at the first match.
class TCatalogSearch {
 public:
  explicit TCatalogSearch(IDeviceInstall& devices) : m_devices(devices) {}
  // The first file of that name; nothing when the directory holds none.
  std::optional<std::string> Find(const std::string& name);
  // Walks started (0 or 1).
  int32_t Walks() const { return m_walks; }

 private:
  IDeviceInstall& m_devices;
  int32_t m_walks = 0;
  bool m_started = false;
  bool m_finished = false;
  std::filesystem::recursive_directory_iterator m_walk;
  std::map<std::string, std::string> m_firstPaths;
};

// The first choice of a device's backup folder: the root joined with
// MakeValidFileName(device name, " - ", version); nothing when that name is not plain.
std::optional<std::string> DeviceBackupFolder(const std::string& root, const std::string& deviceName,
                                              const std::string& version);

// The backup of one device's installed driver; the copied-files counter lives
// with it, so it counts the files of this device only.
class TDriverBackup {
 public:
  TDriverBackup(TDataManager& manager, IDeviceInstall& devices, const std::atomic<bool>& stopped,
                TCatalogSearch& catalogs)
      : m_manager(manager), m_devices(devices), m_stopped(stopped), m_catalogs(catalogs) {}

  // Finds the device among all devices of the system and backs up its driver into a
  // folder of its own, ended by the manifest and its record.
  TBackupOutcome FindBackupDriverFiles(const TDeviceProperties& devProps, TDriverData& bkUpData);
  // Lists the installed driver's files through the class installer and hands
  // each to the file step.
  TBackupOutcome CopyDeviceDriverFiles(TDevInfoSet Devs, const TSpDevinfoData& DevInfo, TDriverData& bkData);
  bool FindCurrentDriverforBackUp(TDevInfoSet Devs, const TSpDevinfoData& DevInfo, TSpDrvinfoData& DriverInfoData);
  // One queued file (or none): the new folder, INF, index and catalog at the first
  // call, then the file itself. Always lets the scan go on; a step that cannot write
  // marks the backup failed, and a stopped backup removes the folder it made.
  bool CopyFileStep(const TDriverData& bkData, const std::string* targetPath);

  int32_t CopiedFiles() const { return m_copiedFiles; }
  // The folder this backup made; empty before the first file step, or once it was removed.
  std::string Folder() const { return m_writer ? m_writer->Folder() : std::string(); }

 private:
  // The file list from the INF section the driver key names, for systems that
  // cannot build a device's driver list.
  TBackupOutcome CopyDriverKeyFiles(TDevInfoSet Devs, const TSpDevinfoData& DevInfo, TDriverData& bkData);
  // Scans the queue into the file step; once without a file when it is empty. Then the
  // manifest ends a complete backup, and a failed or stopped one's folder is removed.
  TBackupOutcome CopyQueuedFiles(TFileQueue queue, TDriverData& bkData);
  // The INF, the index and the catalog; false when the INF or the index cannot be written.
  bool WriteFolderContents(const TDriverData& bkData);
  void RemoveFolder();

  TDataManager& m_manager;
  IDeviceInstall& m_devices;
  const std::atomic<bool>& m_stopped;
  TCatalogSearch& m_catalogs;
  int32_t m_copiedFiles = 0;
  std::unique_ptr<TBackupWriter> m_writer;  // the folder this backup made
  bool m_failed = false;                    // a file step could not write
};
