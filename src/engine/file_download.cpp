// TDataManager::GetFileFromInternet: one URL into one file, in chunks of m_DownloadSize,
// with progress, the stop flag and a result code; a file that is not complete is removed.
#include <filesystem>
#include <fstream>
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
  int result = DOWNLOAD_FILE_PROBLEM;
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
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
        if (!file.write(buffer.get(), read)) {
          result = DOWNLOAD_FILE_PROBLEM;
          break;
        }
        if (m_stopped) {
          result = DOWNLOAD_STOPPED;
          break;
        }
        if (pCallbackHandler != nullptr) pCallbackHandler->StepDriverDownload(static_cast<int32_t>(read));
      }
      file.close();
      // A file whose content did not all reach the disk is not complete.
      if (result == DOWNLOAD_COMPLETE && file.fail()) result = DOWNLOAD_FILE_PROBLEM;
    }
  }
  url.Reset();
  if (result != DOWNLOAD_COMPLETE) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  return result;
}
