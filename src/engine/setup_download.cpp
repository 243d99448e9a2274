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

bool TSetupDownload::Attach(TInternetRaw session) {
  std::lock_guard lock(m_lock);
  if (m_cancelled) return false;
  m_session = session;
  return true;
}

void TSetupDownload::Detach() {
  std::lock_guard lock(m_lock);
  m_session = nullptr;
}

void TSetupDownload::Cancel() {
  std::lock_guard lock(m_lock);
  m_cancelled = true;
  if (m_session != nullptr) m_internet.CancelSession(m_session);
}

TSetupDownloaded TSetupDownload::Fetch(const std::function<void(uint64_t, uint64_t)>& progress) {
  // The system's own connection settings, no proxy of the program's; asynchronous, so
  // that a cancel ends a wait for the network.
  TInternetHandle session(m_internet,
                          m_internet.OpenSession(QV_USER_AGENT, INTERNET_OPEN_TYPE_PRECONFIG, "", INTERNET_FLAG_ASYNC));
  if (!session || !Attach(session.Get())) return {};
  // Detached before the session closes, on every path.
  struct TAttachment {
    TSetupDownload& download;
    ~TAttachment() { download.Detach(); }
  } attachment{*this};
  return Receive(session.Get(), progress);
}

TSetupDownloaded TSetupDownload::Receive(TInternetRaw session,
                                         const std::function<void(uint64_t, uint64_t)>& progress) {
  TSetupDownloaded result;
  for (const uint32_t option :
       {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    m_internet.SetOptionNumber(session, option, DOWNLOAD_TIMEOUT_MS);
  }
  TInternetHandle request(m_internet, m_internet.OpenUrl(session, m_url, "", OPEN_URL_FLAGS));
  if (!request) return result;
  // An error answer (404, 500 …) is a page about the error, not the setup.
  uint32_t status = 0;
  const bool statusKnown = m_internet.QueryStatusCode(request.Get(), status);
  const bool statusOk = !statusKnown || (status >= 200 && status < 300);
  uint64_t total = 0;
  if (!m_internet.QueryContentLength(request.Get(), total)) total = 0;

  bool readOk = true;
  std::vector<uint8_t> block(READ_BLOCK);
  while (statusOk && !m_cancelled) {
    uint32_t read = 0;
    if (!m_internet.Read(request.Get(), block.data(), READ_BLOCK, read)) {
      readOk = false;
      break;
    }
    if (read == 0) break;
    result.body.insert(result.body.end(), block.begin(), block.begin() + read);
    progress(result.body.size(), total);
  }
  // A shorter answer than announced was cut off on the way.
  result.complete = readOk && statusOk && !m_cancelled && (total == 0 || result.body.size() == total);
  return result;
}
