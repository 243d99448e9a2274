// TDataManager::GetFileFromInternet: one URL into one file, in chunks of m_DownloadSize,
// with progress, the stop flag and a result code; a file that is not complete is removed.
#include <filesystem>
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

std::filesystem::path PathFromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace

int TDataManager::GetFileFromInternet(const TInternetHandle& hOpen, const std::string& szUrl,
                                      const std::string& szFileName, TICallbackHandler* pCallbackHandler) {
  IInternetPort& internet = m_ports.internet;
  TInternetHandle url(internet, internet.OpenUrl(hOpen.Get(), szUrl, "Accept: */*\r\n", INTERNET_FLAG_EXISTING_CONNECT));
  if (!url) return DOWNLOAD_CONNECTION_PROBLEM;

  const std::filesystem::path path = PathFromUtf8(szFileName);
  std::error_code ignored;
  // A file already there is replaced: removed (a link as a link), then created anew, so
  // that whatever appears at the path meanwhile makes the creation fail, not followed.
  std::filesystem::remove(path, ignored);
  // Shared with nobody while it is written.
  std::unique_ptr<IOpenFile> file = m_ports.fileSystem.OpenFile(szFileName, fomCreateExclusive);
  const bool created = file != nullptr;
  int result = DOWNLOAD_FILE_PROBLEM;
  const uint32_t chunkSize = m_DownloadSize > 0 ? static_cast<uint32_t>(m_DownloadSize) : 0;
  std::unique_ptr<char[]> buffer(chunkSize > 0 ? new (std::nothrow) char[chunkSize] : nullptr);
  if (file && buffer) {
    for (;;) {
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
      if (!file->Write(buffer.get(), read)) {
        result = DOWNLOAD_FILE_PROBLEM;
        break;
      }
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
  if (result != DOWNLOAD_COMPLETE && created) std::filesystem::remove(path, ignored);
  return result;
}
