// TDataManager::GetFileFromInternet: one URL into one file, written in chunks of
// m_DownloadSize as they arrive, with progress, the stop flag, a size it may not pass and a
// result code; a file that is not complete is removed.
#include <charconv>
#include <memory>
#include <new>
#include <system_error>

#include "engine/data_manager.h"

namespace {

constexpr int DOWNLOAD_COMPLETE = 0;
constexpr int DOWNLOAD_CONNECTION_PROBLEM = 1;
constexpr int DOWNLOAD_FILE_PROBLEM = 2;
constexpr int DOWNLOAD_LINK_REFUSED = 3;
constexpr int DOWNLOAD_STOPPED = 4;
constexpr uint32_t HTTP_STATUS_FORBIDDEN = 403;

}  // namespace

uint64_t TDataManager::AnnouncedPackageSize(const TDeviceProperties& device) {
  uint64_t kilobytes = 0;
  const char* first = device.strDriverSize.data();
  const char* last = first + device.strDriverSize.size();
  const auto [end, error] = std::from_chars(first, last, kilobytes);
  // The server gives whole kilobytes, rounded up.
  if (error != std::errc() || end != last || first == last || kilobytes == 0 ||
      kilobytes > QV_PACKAGE_SIZE_LIMIT / 1024)
    return QV_PACKAGE_SIZE_LIMIT;
  return kilobytes * 1024;
}

int TDataManager::GetFileFromInternet(const TInternetHandle& hOpen, const std::string& szUrl,
                                      const std::string& szFileName, TICallbackHandler* pCallbackHandler,
                                      uint64_t maxBytes) {
  IInternetPort& internet = m_ports.internet;
  TInternetHandle url(internet, internet.OpenUrl(hOpen.Get(), szUrl, "Accept: */*\r\n", INTERNET_FLAG_EXISTING_CONNECT));
  if (!url) return DOWNLOAD_CONNECTION_PROBLEM;

  // Created new and shared with nobody while it is written: anything already at the path (a
  // link too) is not the program's to replace, and makes the creation fail.
  std::unique_ptr<IOpenFile> file = m_ports.fileSystem.OpenFile(szFileName, fomCreateExclusive);
  const bool created = file != nullptr;
  int result = DOWNLOAD_FILE_PROBLEM;
  const uint32_t chunkSize = m_DownloadSize > 0 ? static_cast<uint32_t>(m_DownloadSize) : 0;
  std::unique_ptr<char[]> buffer(chunkSize > 0 ? new (std::nothrow) char[chunkSize] : nullptr);
  if (file && buffer) {
    for (uint64_t written = 0;;) {
      uint32_t read = 0;
      if (!internet.Read(url.Get(), buffer.get(), chunkSize, read)) {
        result = DOWNLOAD_CONNECTION_PROBLEM;
        break;
      }
      uint32_t status = 0;
      if (internet.QueryStatusCode(url.Get(), status) && status == HTTP_STATUS_FORBIDDEN) {
        result = DOWNLOAD_LINK_REFUSED;
        break;
      }
      if (read == 0) {
        result = DOWNLOAD_COMPLETE;
        break;
      }
      // More than the server announced is not the package it offered.
      if (read > maxBytes - written || !file->Write(buffer.get(), read)) {
        result = DOWNLOAD_FILE_PROBLEM;
        break;
      }
      written += read;
      if (m_stopped) {
        result = DOWNLOAD_STOPPED;
        break;
      }
      if (pCallbackHandler != nullptr) pCallbackHandler->StepDriverDownload(static_cast<int32_t>(read));
    }
  }
  file.reset();
  url.Reset();
  // Only a file this fetch created is removed.
  if (result != DOWNLOAD_COMPLETE && created) m_ports.fileSystem.DeleteFileAt(szFileName);
  return result;
}
