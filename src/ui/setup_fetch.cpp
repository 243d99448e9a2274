#include "ui/setup_fetch.h"

#include <cstdlib>

#include "engine/server_contract.h"

namespace {

constexpr uint32_t QV_READ_BLOCK = 64 * 1024;
// The request's connect, send and receive time limits.
constexpr uint32_t QV_DOWNLOAD_TIMEOUT_MS = 50000;
constexpr uint32_t QV_SETUP_REQUEST_FLAGS = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                            INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI |
                                            INTERNET_FLAG_NO_COOKIES;

// The announced length; 0 when the server sent none or not a number.
uint64_t ContentLength(IInternetPort& internet, TInternetRaw request) {
  std::string text;
  if (!internet.QueryContentLength(request, text)) return 0;
  char* end = nullptr;
  const unsigned long long length = std::strtoull(text.c_str(), &end, 10);
  return end != text.c_str() ? length : 0;
}

// Detaches the session from the cancel before the session closes.
class TAttachment {
 public:
  explicit TAttachment(TFetchCancel& cancel) : m_cancel(cancel) {}
  ~TAttachment() { m_cancel.Detach(); }
  TAttachment(const TAttachment&) = delete;
  TAttachment& operator=(const TAttachment&) = delete;

 private:
  TFetchCancel& m_cancel;
};

TFetchedSetup Receive(IInternetPort& internet, TInternetRaw session, const std::string& url,
                      const TFetchCancel& cancel, const TFetchProgress& progress) {
  TFetchedSetup result;
  for (const uint32_t option :
       {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    internet.SetOptionNumber(session, option, QV_DOWNLOAD_TIMEOUT_MS);
  }
  TInternetHandle request(internet, internet.OpenUrl(session, url, "", QV_SETUP_REQUEST_FLAGS));
  if (!request) return result;
  // An error answer (404, 500 …) is a page about the error, not the setup.
  uint32_t status = 0;
  const bool statusOk = !internet.QueryStatusCode(request.Get(), status) || (status >= 200 && status < 300);
  const uint64_t total = ContentLength(internet, request.Get());

  bool readOk = true;
  std::vector<uint8_t> block(QV_READ_BLOCK);
  while (statusOk && !cancel.Cancelled()) {
    uint32_t read = 0;
    if (!internet.Read(request.Get(), block.data(), QV_READ_BLOCK, read)) {
      readOk = false;
      break;
    }
    if (read == 0) break;
    result.body.insert(result.body.end(), block.begin(), block.begin() + read);
    progress(result.body.size(), total);
  }
  // A shorter answer than announced was cut off on the way.
  result.complete = readOk && statusOk && !cancel.Cancelled() && (total == 0 || result.body.size() == total);
  return result;
}

}  // namespace

void TFetchCancel::Cancel() {
  std::lock_guard lock(m_mutex);
  m_cancelled = true;
  if (m_session != nullptr) m_internet->CancelSession(m_session);
}

bool TFetchCancel::Attach(IInternetPort& internet, TInternetRaw session) {
  std::lock_guard lock(m_mutex);
  if (m_cancelled) return false;
  m_internet = &internet;
  m_session = session;
  return true;
}

void TFetchCancel::Detach() {
  std::lock_guard lock(m_mutex);
  m_session = nullptr;
}

TFetchedSetup FetchSetup(IInternetPort& internet, const std::string& url, TFetchCancel& cancel,
                         const TFetchProgress& progress) {
  // The system's own connection settings, no proxy of the program's; asynchronous, so
  // that a cancel ends a wait for the network.
  TInternetHandle session(internet,
                          internet.OpenSession(QV_USER_AGENT, INTERNET_OPEN_TYPE_PRECONFIG, "", INTERNET_FLAG_ASYNC));
  if (!session || !cancel.Attach(internet, session.Get())) return {};
  TAttachment attachment(cancel);
  return Receive(internet, session.Get(), url, cancel, progress);
}
