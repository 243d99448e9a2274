// TDataManager: the engine. One class whose runs live in files of their own; this
// header holds the shared fields and the device enumeration.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/data_model.h"
#include "engine/callback_handler.h"
#include "engine/message_sink.h"
#include "engine/server_contract.h"
#include "platform/internet.h"
#include "platform/system_ports.h"
#include "proto/driver_messages.h"

class TCatalogSearch;

// How a device's backup ended: its driver backed up, no installed driver found to back up
// (the device is not in the system, or has no driver), or failed (the driver could not be
// read, or its folder or a file could not be written, or the backup was stopped).
enum TBackupOutcome { boBackedUp, boNoDriver, boFailed };

// How a restore ended: the driver installed again; failed; refused because the backup has
// no record or was changed after it was made; or not tried because the backup predates
// manifests and records and the caller did not allow an unverified restore.
enum TRestoreOutcome { roRestored, roFailed, roChanged, roUnverified };

// A setup class name as the platform's class-name buffer holds it (at most 32 characters).
using TClassString = std::string;

class TDataManager {
 public:
  TDataManager(TDriverDatamodel& model, TSystemPorts ports);
  ~TDataManager();
  TDataManager(const TDataManager&) = delete;
  TDataManager& operator=(const TDataManager&) = delete;

  // Device enumeration.
  int EnumAllDevices(uint32_t index, TDeviceProperties& devProps);
  int EnumDeviceClasses(uint32_t index, TClassString& DeviceClassName, std::string& DeviceClassDesc,
                        bool& DevicePresent, int32_t& ClassImage);
  int EnumDevicesClassUnknown(const TClassString& DeviceClassName, int32_t DeviceImage,
                              const TDeviceList& OldDeviceList);
  int GetClassInfoFromGuid(const TGuid& Guid, TDeviceProperties& devProps);
  int FindCurrentDriver(TDevInfoSet Devs, const TSpDevinfoData& DevInfo, TSpDrvinfoData& DriverInfoData);
  bool GetDevMultiSz(TDevInfoSet Devs, const TSpDevinfoData& DevInfo, uint32_t Prop,
                     std::vector<std::string>& MultiStrings);
  std::string GetDeviceStringProperty(TDevInfoSet Devs, const TSpDevinfoData& DevInfo, uint32_t Prop);
  bool WildCompareHwIds(const std::vector<std::string>& HwIdList, const std::string& MatchEntry);
  void BuildImageList();

  // Server exchange: one POST through the configured proxy or the system's settings.
  // Response nullptr: the answer is read and dropped. An answer longer than AMaxAnswer
  // bytes is a failed exchange.
  bool SendReceive(const std::string& UserAgent, const std::string& Server, int32_t nPort, const std::string& Resource,
                   const void* Data, uint32_t DataSize, const std::string& ContentType,
                   std::vector<uint8_t>* Response, size_t AMaxAnswer, bool showMsg);
  // TLS for the data model's server as its scheme says; for any other, on port 443 only.
  bool UsesTls(const std::string& Server, int32_t nPort) const;
  bool SendReceiveProxy(const std::string& UserAgent, const std::string& Server, int32_t nPort,
                        const std::string& Resource, const void* Data, uint32_t DataSize,
                        const std::string& ContentType, std::vector<uint8_t>* Response, size_t AMaxAnswer,
                        bool showMsg);
  bool SendReceiveDirect(const std::string& UserAgent, const std::string& Server, int32_t nPort,
                         const std::string& Resource, const void* Data, uint32_t DataSize,
                         const std::string& ContentType, std::vector<uint8_t>* Response, size_t AMaxAnswer,
                         bool showMsg);
  // From any thread: every exchange running now stops waiting for the server and fails
  // (closing the program does not wait out a 50-second time-out); later ones are not touched.
  void CancelExchanges();
  // The session of a download run; hConnect stays empty when it cannot be opened.
  void QvInternetOpen(const std::string& strAgent, TInternetHandle& hConnect);
  // Fetches szUrl into szFileName, a new file: 0 complete, 1 connection, 2 file (a file
  // already there, or more than maxBytes arriving), 3 refused (403), 4 stopped.
  int GetFileFromInternet(const TInternetHandle& hOpen, const std::string& szUrl, const std::string& szFileName,
                          TICallbackHandler* pCallbackHandler, uint64_t maxBytes = QV_PACKAGE_SIZE_LIMIT);
  // The most a device's package may hold: the size the scan announced (whole kilobytes),
  // or QV_PACKAGE_SIZE_LIMIT when it announced none.
  static uint64_t AnnouncedPackageSize(const TDeviceProperties& device);
  // The server-problem message, shown through the message sink when AShow is true.
  void ShowServerError(bool AShow);
  // The front end's message box; none: messages are not shown.
  void SetMessageSink(IMessageSink* sink) { m_messageSink = sink; }
  IMessageSink* MessageSink() const { return m_messageSink; }

  // Scan run: the device list rebuilt from the machine, checked with the server, stored.
  void StartScan(TICallbackHandler* pCallbackHandler);
  // Asks the running scan to stop at its next check point.
  void StopScan();
  // Sends the list's devices to the server and applies the newer drivers of the
  // answer; false when the exchange failed or the server reported an error.
  bool CheckForUpdates(TDeviceList& devicepropertymap);
  bool CheckForUpdates(const TDriverMap& devicepropertymap);
  // The steps of the update check, public so that each can be timed on its own:
  // the request's bytes, its exchange with the server, one offer written into its record.
  std::vector<uint8_t> EncodeScanRequest(const TDriverMap& devices) const;
  bool PostScanRequest(const std::vector<uint8_t>& body, std::vector<uint8_t>& answer);
  static void ApplyOffer(const TDeviceDriver& offer, TDeviceProperties& device);
  // Program update check: "major.minor.vminor - readme" of a newer version, or empty.
  std::string CheckSoftwareUpdate();

  // Download run: each outdated, not ignored device's package into its folder
  // under the download location, confirmed with the server by its MD5.
  bool Download(const TDriverMap& devices, TICallbackHandler* pCallbackHandler);
  void DownloadCancel();
  // 0 no package, 1 the package is a program (".exe"), 2 any other file; of the first
  // device with the hardware id, or of the device record given.
  int IsDownloadAvailable(const std::string& strHID);
  int IsDownloadAvailable(const TDeviceProperties& device);
  // The folder the results page's Open shows for a device: the one recorded for its own
  // driver id's package, when it is a folder and no link; empty otherwise.
  std::string PackageFolderToOpen(const TDeviceProperties& device);
  // Deletes the package recorded for the device's driver id (see DiscardPackage); true
  // when its file was there and is gone.
  bool DeleteDriverFile(uintptr_t AHandle, const TDeviceProperties& devProps);
  // The folder and the file recorded for a driver id's package, pending or confirmed;
  // empty without a record or for a driver id that is not a plain name.
  std::string RecordedPackageFolder(const std::string& driverId);
  std::string RecordedPackagePath(const std::string& driverId);
  // Deletes a folder with everything in it, silently and permanently.
  bool DeleteFolder(uintptr_t Awnd, const std::string& AFolder);
  // Whether root, or a folder or file from it down to path, is a junction or symbolic link:
  // the program's folders are user-writable, so it never writes or reads through one.
  bool HasLinkOn(const std::string& root, const std::string& path);
  bool PostChecksum(const std::string& cksum, const std::string& DriverDBId);
  // Has the server confirm a fetched package by its MD5, then records the package (name,
  // size, SHA-256, MD5) under HKLM; false when either fails.
  bool ConfirmPackage(const std::string& driverId, const std::string& path);
  // The package opened so that nobody can write, rename or delete it while it is open,
  // when it is still the file recorded for the driver id; null when there is no record,
  // the file no longer matches it, or it cannot be opened so.
  std::unique_ptr<IOpenFile> OpenRecordedPackage(const std::string& driverId, const std::string& path);
  // A package held by OpenRecordedPackage copied into stagingFolder under its recorded name
  // and checked against its record again from the copy: the copy's path; empty when that fails.
  std::string StagePackage(IOpenFile& held, const std::string& driverId, const std::string& stagingFolder);
  // Deletes what the download run made for a driver id, as its record names it: the file by
  // its exact name, then the folder when the run made it and it is empty; then forgets the
  // record. Nothing else in the folder is touched. True when the recorded file was deleted.
  bool DiscardPackage(const std::string& driverId);

  // Install run: each device backed up, then its package installed by its kind.
  bool Install(const TDriverMap& devices, TICallbackHandler* pCallbackHandler);
  void InstallCancel();
  bool ProcessDriverFile(const std::string& strDriverFile, TDeviceProperties& devProps, bool& doReboot,
                         TICallbackHandler* pCallbackHandler);
  bool InstallDriverFile(const std::string& AfileName, const std::string& AsubFolder, TDeviceProperties& devProps,
                         bool& ArebootReq, TICallbackHandler* pCallbackHandler);
  // The Plug and Play installer on one INF, forced; 0 or the system's error code.
  uint32_t InstallDriver(const std::string& AhwID, const std::string& AinfPath, bool& ArebootRequired);
  // The archive reader's progress event: each entry reported once.
  void OnZipProgress(const std::string& FileName);
  bool UninstallDevice(const std::string& AhwID, bool& rebootReq);

  // Backup run and one-device backup into the backup location; restore of a backup folder.
  bool Backup(const TDriverMap& devices, TICallbackHandler* pCallbackHandler);
  bool Backup(TDeviceProperties& pDeviceProperty, TICallbackHandler* pCallbackHandler);
  // The one-device backup, telling a device without a driver to back up from a failure.
  TBackupOutcome BackupDevice(TDeviceProperties& pDeviceProperty, TICallbackHandler* pCallbackHandler);
  void BackupCancel();
  // The backup folder's files copied into a staging folder of the protected work area,
  // checked there against the manifest its record names, and its driver installed from
  // the copies. A folder with neither record nor manifest (made before backups had them)
  // is copied as it is, and only when allowUnverified.
  TRestoreOutcome Restore(const std::string& restoreDir, bool allowUnverified, bool& rebootReq);
  // Deletes a backup folder with everything in it, and its record.
  bool DeleteBackup(uintptr_t Awnd, const std::string& AFolder);

  // The system's ports, for the steps of the runs that live in files of their own.
  const TSystemPorts& Ports() const { return m_ports; }

  // Image lists.
  const TSpClassImageListData& DeviceImages() const { return m_ImageListData; }
  TImageListRef LargeDeviceImages() const { return m_DeviceImages.Ref(); }
  TImageListRef DeviceClassImages() const { return m_ClassImages.Ref(); }

  // Shared fields of the runs.
  int32_t m_timeout = 50000;  // milliseconds
  int32_t m_DownloadSize = 4096;
  std::atomic<bool> m_stopped{false};
  std::atomic<bool> m_scanning{false};
  std::atomic<bool> m_downloading{false};
  std::atomic<bool> m_installing{false};
  std::atomic<bool> m_doingbackup{false};

 private:
  // The set of all devices an enumeration walks; built at index 0 (or when
  // missing) and released at its end, so a scan builds one set, not one per index.
  TDevInfoSet AllDevicesSet(uint32_t index);
  void ReleaseAllDevicesSet();
  // Fills the installed-driver fields of a record; false when no driver was found.
  bool DescribeInstalledDriver(TDevInfoSet Devs, const TSpDevinfoData& DevInfo, TDeviceProperties& devProps);
  bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix);
  // The connect, receive and send timeouts of an exchange session: m_timeout each.
  void SetTimeouts(const TInternetHandle& session);
  // The sessions of the exchanges running now, for CancelExchanges.
  friend class TRunningExchange;
  std::mutex m_exchangesLock;
  std::vector<TInternetRaw> m_exchanges;
  // The scan's steps: the enumeration (false when the run ended there), the
  // devices without a setup class, and the stored result brought back.
  bool EnumerateIntoDeviceList(const TDeviceList& oldDevices, TICallbackHandler* pCallbackHandler);
  void AddClasslessDevices(const TDeviceList& oldDevices);
  void RestoreStoredScanResult();
  // The scan request for the devices sent, and the answer's offers read; false
  // when the exchange failed or the server reported an error.
  bool ExchangeScanRequest(const TDriverMap& devices, TDrivers& offers);

  TDriverDatamodel& m_model;
  TSystemPorts m_ports;
  IDeviceInstall& m_devices;
  TSpClassImageListData m_ImageListData{};
  TScopedImageList m_DeviceImages;
  TScopedImageList m_ClassImages;
  std::unique_ptr<TScopedDevInfoSet> m_enumerationSet;
  TDrivers m_pbUpdatedDriverList;  // emptied at every update check; nothing fills it
  IMessageSink* m_messageSink = nullptr;
  TICallbackHandler* m_pCallbackHandler = nullptr;  // set while a package is extracted
  std::string m_PreviousFilename;                    // the entry last reported by OnZipProgress
  // Backup run: the catalog search its device backups share; none outside a run.
  TCatalogSearch* m_backupCatalogs = nullptr;
};
