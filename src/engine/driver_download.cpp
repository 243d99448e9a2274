// TDataManager's download run: each outdated, not ignored device's package fetched into
// its own folder under the download location and confirmed with the server by its MD5;
// and the questions and deletes the result pages ask of that folder.
#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>

#include "core/link_check.h"
#include "core/paths.h"
#include "platform/ascii_case.h"
#include "engine/busy_flag.h"
#include "engine/data_manager.h"
#include "engine/download_names.h"
#include "engine/package_record.h"
#include "engine/server_contract.h"
#include "platform/path_parts.h"
#include "proto/client_codecs.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* DOWNLOAD_AGENT = "DriverDownload";
constexpr const char* ACCEPT_ANY_HEADER = "Accept: */*\r\n";
constexpr int DOWNLOAD_COMPLETE = 0;
constexpr int DOWNLOAD_FILE_PROBLEM = 2;
constexpr int DOWNLOAD_LINK_REFUSED = 3;
constexpr uint32_t HTTP_STATUS_FORBIDDEN = 403;

// A package link with the driver server's scheme, so that a TLS server's packages never
// travel in clear text.
std::string WithServerScheme(const std::string& link, bool tls) {
  for (const char* scheme : {"https://", "http://"})
    if (StartsWithIgnoringAsciiCase(link, scheme)) return (tls ? "https://" : "http://") + link.substr(std::strlen(scheme));
  return link;
}

// The folder of a path given with or without trailing separators.
fs::path ParentFolder(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return ToPath(path).parent_path();
}

// Creates the download folder (one level) when it is missing; false only when that
// failed because the folder it belongs in does not exist.
bool DownloadFolderReady(const std::string& location) {
  std::error_code error;
  if (fs::exists(ToPath(location), error)) return true;
  fs::create_directory(ToPath(location), error);
  if (!error) return true;
  const fs::path parent = ParentFolder(location);
  return !parent.empty() && fs::is_directory(parent, error);
}

}  // namespace

void TDataManager::DownloadCancel() { m_stopped = true; }

bool TDataManager::Download(const TDriverMap& devices, TICallbackHandler* pCallbackHandler) {
  m_stopped = false;
  const std::string location = m_model.DownloadLocation();
  if (!DownloadFolderReady(location)) return false;

  TBusyFlag downloading(m_downloading);
  const bool tls = m_model.ServerUsesTls();
  IInternetPort& internet = m_ports.internet;
  if (pCallbackHandler) pCallbackHandler->StartDownload(static_cast<int32_t>(devices.size()));
  TInternetHandle session;
  QvInternetOpen(DOWNLOAD_AGENT, session);

  uint32_t connectionFlags = 0;
  if (!internet.ConnectedState(connectionFlags)) {
    ShowServerError(true);
    m_stopped = true;
    if (pCallbackHandler) pCallbackHandler->FinishDownload(false);
    return false;
  }

  for (TDeviceProperties* entry : devices) {
    if (m_stopped) {
      session.Reset();
      if (pCallbackHandler) pCallbackHandler->FinishDownload(false);
      return false;
    }
    if (entry == nullptr) continue;
    TDeviceProperties& device = *entry;
    if (device.IsUpdated() || device.IsIgnored()) continue;
    if (pCallbackHandler) pCallbackHandler->StartDriverDownload(device);

    // The package of this very record is taken when it is still the file the server
    // confirmed; otherwise what the program put there before is deleted and it is fetched again.
    const std::string recorded = RecordedPackagePath(device.strDriverDBId);
    if (!recorded.empty() && !HasLinkOn(location, recorded) && OpenRecordedPackage(device.strDriverDBId, recorded)) {
      if (pCallbackHandler) pCallbackHandler->FinishDriverDownload(device, DOWNLOAD_COMPLETE);
      continue;
    }
    DiscardPackage(device.strDriverDBId);

    // An expired link is found by a probe and renewed by asking the server about this
    // device alone; whatever the probe finds, the fetch below runs.
    bool refused = false;
    {
      TInternetHandle probe(internet, internet.OpenUrl(session.Get(), WithServerScheme(device.strDownloadUrl, tls),
                                                       ACCEPT_ANY_HEADER, INTERNET_FLAG_EXISTING_CONNECT));
      uint32_t responseError = 0;
      std::string responseText;
      refused = probe && internet.LastResponseInfo(responseError, responseText, LAST_RESPONSE_INFO_CHARS) &&
                responseError == HTTP_STATUS_FORBIDDEN;
    }
    if (refused) {
      try {
        CheckForUpdates(TDriverMap{&device});
      } catch (const std::exception&) {
        // An answer that cannot be decoded renews nothing; the fetch reports the link.
      }
    }

    // The driver id names the folder and the address names the file; either one that
    // could leave its folder (or is empty, which would make the download folder itself
    // the package folder) is refused without touching the disk.
    const std::string fileName = DownloadFileName(device.strDownloadUrl);
    if (!IsPlainEntryName(device.strDriverDBId) || !IsPlainEntryName(fileName)) {
      if (pCallbackHandler) pCallbackHandler->FinishDriverDownload(device, DOWNLOAD_FILE_PROBLEM);
      continue;
    }
    const std::string folder = JoinPath(location, device.strDriverDBId);
    std::error_code ignored;
    const bool folderCreated = fs::create_directory(ToPath(folder), ignored);
    const std::string target = JoinPath(folder, fileName);
    // A file already at the package's name is not the program's: it is neither replaced nor recorded.
    if (fs::exists(fs::symlink_status(ToPath(target), ignored))) {
      if (pCallbackHandler) pCallbackHandler->FinishDriverDownload(device, DOWNLOAD_FILE_PROBLEM);
      continue;
    }
    // Recorded before the fetch starts, so that whatever ends the run, a later delete finds
    // the file it made, and the folder only when it made that too.
    if (!StorePackagePlace(m_ports.registry, device.strDriverDBId, TPackagePlace{folder, folderCreated, fileName})) {
      if (folderCreated) m_ports.fileSystem.RemoveEmptyFolder(folder);
      if (pCallbackHandler) pCallbackHandler->FinishDriverDownload(device, DOWNLOAD_FILE_PROBLEM);
      continue;
    }
    if (HasLinkOn(location, target)) {
      DiscardPackage(device.strDriverDBId);
      if (pCallbackHandler) pCallbackHandler->FinishDriverDownload(device, DOWNLOAD_FILE_PROBLEM);
      continue;
    }

    const int result = GetFileFromInternet(session, WithServerScheme(device.strDownloadUrl, tls), target,
                                           pCallbackHandler, AnnouncedPackageSize(device));
    if (result != DOWNLOAD_COMPLETE || !ConfirmPackage(device.strDriverDBId, target))
      DiscardPackage(device.strDriverDBId);
    if (result == DOWNLOAD_LINK_REFUSED) m_stopped = true;
    if (pCallbackHandler) pCallbackHandler->FinishDriverDownload(device, result);
  }

  session.Reset();
  const bool completed = !m_stopped;
  if (pCallbackHandler) pCallbackHandler->FinishDownload(completed);
  return completed;
}

int TDataManager::IsDownloadAvailable(const std::string& strHID) {
  const TDeviceProperties* device = m_model.GetDevice(strHID);
  return device == nullptr ? 0 : IsDownloadAvailable(*device);
}

int TDataManager::IsDownloadAvailable(const TDeviceProperties& device) {
  if (!IsPlainEntryName(device.strDriverDBId)) return 0;
  const std::string package = FirstFileIn(JoinPath(m_model.DownloadLocation(), device.strDriverDBId));
  if (package.empty()) return 0;
  return PackageFileTypeOf(package) == pfProgram ? 1 : 2;
}

std::string TDataManager::PackageFolderToOpen(const TDeviceProperties& device) {
  const std::string folder = RecordedPackageFolder(device.strDriverDBId);
  std::error_code error;
  // Only a real folder: the shell would start a program put in its place, elevated.
  if (folder.empty() || HasLinkOn(FolderOfPath(folder), folder) ||
      !fs::is_directory(fs::symlink_status(ToPath(folder), error)))
    return {};
  return folder;
}

bool TDataManager::DeleteDriverFile(uintptr_t, const TDeviceProperties& devProps) {
  return DiscardPackage(devProps.strDriverDBId);
}

std::string TDataManager::RecordedPackageFolder(const std::string& driverId) {
  // An empty or path-like driver id would name the download folder itself or a place outside it.
  if (!IsPlainEntryName(driverId)) return {};
  const std::optional<TPackagePlace> place = ReadPackagePlace(m_ports.registry, driverId);
  if (!place) return {};
  // A record older than the folder value names the folder the download run has always used.
  return place->folder.empty() ? JoinPath(m_model.DownloadLocation(), driverId) : place->folder;
}

std::string TDataManager::RecordedPackagePath(const std::string& driverId) {
  const std::string folder = RecordedPackageFolder(driverId);
  if (folder.empty()) return {};
  const std::string fileName = ReadPackagePlace(m_ports.registry, driverId)->fileName;
  return IsPlainEntryName(fileName) ? JoinPath(folder, fileName) : std::string();
}

bool TDataManager::DeleteFolder(uintptr_t Awnd, const std::string& AFolder) {
  return m_ports.fileSystem.DeleteTree(Awnd, AFolder);
}

bool TDataManager::HasLinkOn(const std::string& root, const std::string& path) {
  return !FirstLinkOnPath(m_ports.fileSystem, root, path).empty();
}

bool TDataManager::ConfirmPackage(const std::string& driverId, const std::string& path) {
  // Read while nobody can write it: the digests recorded are those of the file confirmed.
  const std::unique_ptr<IOpenFile> file = m_ports.fileSystem.OpenFile(path, fomReadDenyWriters);
  if (!file) return false;
  const std::optional<TPackageRecord> measured = MeasurePackage(m_ports.hashing, *file, FileNameOfPath(path));
  return measured && PostChecksum(measured->md5, driverId) && StorePackageRecord(m_ports.registry, driverId, *measured);
}

std::unique_ptr<IOpenFile> TDataManager::OpenRecordedPackage(const std::string& driverId, const std::string& path) {
  if (path.empty()) return nullptr;
  const std::optional<TPackageRecord> recorded = ReadPackageRecord(m_ports.registry, driverId);
  if (!recorded || recorded->fileName != FileNameOfPath(path)) return nullptr;
  std::unique_ptr<IOpenFile> file = m_ports.fileSystem.OpenFile(path, fomReadDenyWriters);
  if (!file) return nullptr;
  const std::optional<TPackageRecord> measured = MeasurePackage(m_ports.hashing, *file, recorded->fileName);
  if (!measured || *measured != *recorded) return nullptr;
  return file;
}

bool TDataManager::DiscardPackage(const std::string& driverId) {
  if (!IsPlainEntryName(driverId)) return false;
  bool deleted = false;
  const std::optional<TPackagePlace> place = ReadPackagePlace(m_ports.registry, driverId);
  const std::string package = RecordedPackagePath(driverId);
  if (place && !package.empty()) {
    deleted = m_ports.fileSystem.DeleteFileAt(package);
    // A record older than the folder value cannot tell who made the folder: it goes only when empty, as a made one does.
    if (place->folderCreated || place->folder.empty()) m_ports.fileSystem.RemoveEmptyFolder(FolderOfPath(package));
  }
  ForgetPackageRecord(m_ports.registry, driverId);
  return deleted;
}

bool TDataManager::PostChecksum(const std::string& cksum, const std::string& DriverDBId) {
  TClientStatus status;
  status.AddDownload(cksum, DriverDBId);
  TStatusBuilder builder;
  builder.Write(status);
  const std::vector<uint8_t> body = builder.GetBuf().GetBytes();

  std::vector<uint8_t> answer;
  if (!SendReceive(QV_USER_AGENT, m_model.ServerURL(), m_model.ServerPort(), QV_CLIENT_STATUS_ROUTE, body.data(),
                   static_cast<uint32_t>(body.size()), QV_PROTOBUF_CONTENT_TYPE, &answer, QV_SHORT_ANSWER_LIMIT, true))
    return false;
  return answer.size() >= 4 && std::memcmp(answer.data(), "true", 4) == 0;
}
