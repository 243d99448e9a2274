#include "engine/setup_download.h"

#include "engine/server_contract.h"

namespace {

constexpr uint32_t READ_BLOCK = 64 * 1024;
// The request's connect, send and receive time limits.
constexpr uint32_t DOWNLOAD_TIMEOUT_MS = 50000;
// Always from the network, nothing kept in the cache, no dialogs, no cookies.
constexpr uint32_t OPEN_URL_FLAGS = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                    INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;

}  // namespace

bool TSetupDownload::Publish(TInternetRaw& slot, TInternetRaw handle) {
  std::lock_guard lock(m_lock);
  if (m_cancelled) {
    if (handle) m_internet.Close(handle);
    return false;
  }
  slot = handle;
  return handle != nullptr;
}

void TSetupDownload::CloseAll() {
  std::lock_guard lock(m_lock);
  for (TInternetRaw* handle : {&m_request, &m_session}) {
    if (*handle) m_internet.Close(*handle);
    *handle = nullptr;
  }
}

void TSetupDownload::Cancel() {
  {
    std::lock_guard lock(m_lock);
    m_cancelled = true;
  }
  CloseAll();
}

TSetupDownloaded TSetupDownload::Fetch(const std::function<void(uint64_t, uint64_t)>& progress) {
  TSetupDownloaded result;
  // The system's own connection settings; no proxy of the program's.
  if (!Publish(m_session, m_internet.OpenSession(QV_USER_AGENT, INTERNET_OPEN_TYPE_PRECONFIG, "", 0))) {
    return result;
  }
  for (const uint32_t option :
       {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    m_internet.SetOptionNumber(m_session, option, DOWNLOAD_TIMEOUT_MS);
  }
  if (!Publish(m_request, m_internet.OpenUrl(m_session, m_url, "", OPEN_URL_FLAGS))) {
    CloseAll();
    return result;
  }
  // An error answer (404, 500 …) is a page about the error, not the setup.
  uint32_t status = 0;
  const bool statusKnown = m_internet.QueryStatusCode(m_request, status);
  const bool statusOk = !statusKnown || (status >= 200 && status < 300);
  uint64_t total = 0;
  if (!m_internet.QueryContentLength(m_request, total)) total = 0;

  bool readOk = true;
  std::vector<uint8_t> block(READ_BLOCK);
  while (statusOk && !m_cancelled) {
    uint32_t read = 0;
    if (!m_internet.Read(m_request, block.data(), READ_BLOCK, read)) {
      readOk = false;
      break;
    }
    if (read == 0) break;
    result.body.insert(result.body.end(), block.begin(), block.begin() + read);
    progress(result.body.size(), total);
  }
  CloseAll();
  // A shorter answer than announced was cut off on the way.
  result.complete = readOk && statusOk && !m_cancelled && (total == 0 || result.body.size() == total);
  return result;
}
