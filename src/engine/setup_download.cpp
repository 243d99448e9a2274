#include "engine/setup_download.h"

#include <vector>

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

bool TSetupDownload::Fetch(IOpenFile& file, const std::function<void(uint64_t, uint64_t)>& progress) {
  // The system's own connection settings, no proxy of the program's; asynchronous, so
  // that a cancel ends a wait for the network.
  TInternetHandle session(m_internet,
                          m_internet.OpenSession(QV_USER_AGENT, INTERNET_OPEN_TYPE_PRECONFIG, "", INTERNET_FLAG_ASYNC));
  if (!session || !Attach(session.Get())) return false;
  // Detached before the session closes, on every path.
  struct TAttachment {
    TSetupDownload& download;
    ~TAttachment() { download.Detach(); }
  } attachment{*this};
  return Receive(session.Get(), file, progress);
}

bool TSetupDownload::Receive(TInternetRaw session, IOpenFile& file,
                             const std::function<void(uint64_t, uint64_t)>& progress) {
  for (const uint32_t option :
       {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    m_internet.SetOptionNumber(session, option, DOWNLOAD_TIMEOUT_MS);
  }
  TInternetHandle request(m_internet, m_internet.OpenUrl(session, m_url, "", OPEN_URL_FLAGS));
  if (!request) return false;
  // An error answer (404, 500 …) is a page about the error, not the setup.
  uint32_t status = 0;
  if (m_internet.QueryStatusCode(request.Get(), status) && (status < 200 || status >= 300)) return false;
  uint64_t total = 0;
  if (!m_internet.QueryContentLength(request.Get(), total)) total = 0;
  if (total > m_sizeLimit) return false;
  // More than the server announced is not the setup it offered.
  const uint64_t most = total > 0 ? total : m_sizeLimit;

  uint64_t received = 0;
  std::vector<uint8_t> block(READ_BLOCK);
  while (!m_cancelled) {
    uint32_t read = 0;
    if (!m_internet.Read(request.Get(), block.data(), READ_BLOCK, read)) return false;
    if (read == 0) break;
    if (read > most - received || !file.Write(block.data(), read)) return false;
    received += read;
    progress(received, total);
  }
  // A shorter answer than announced was cut off on the way.
  return !m_cancelled && (total == 0 || received == total);
}
