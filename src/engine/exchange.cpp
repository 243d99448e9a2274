// TDataManager's server exchange: one POST to the driver server, through the configured
// proxy or the system's own settings, and the download session.
#include <algorithm>
#include <cstring>
#include <memory>

#include "core/errors.h"
#include "core/message_box_kinds.h"
#include "engine/data_manager.h"
#include "res/string_ids.h"

namespace {

constexpr uint32_t EXCHANGE_READ_SIZE = 65535;

const char* const APPLICATION_NAME = "Quorvane";

// "HTTP=http://host:port HTTPS=http://host:port": the proxy is named for both schemes,
// so that a TLS request goes through it too (tunnelled with CONNECT) instead of directly.
std::string ProxyListText(const TDriverDatamodel& model) {
  const std::string proxy = "http://" + model.ProxyURL() + ":" + std::to_string(model.ProxyPort());
  return "HTTP=" + proxy + " HTTPS=" + proxy;
}

// The step failed when no handle came back or the call left a last-error code.
bool StepFailed(IInternetPort& internet, const TInternetHandle& handle) {
  return !handle || internet.LastError() != ERROR_SUCCESS;
}

// Sends the request and reads the whole answer into Response (or drops it); false,
// with the server message, when sending or a read fails, or when the answer is longer
// than maxAnswer bytes (announced so, or found so while reading: nothing more is read).
bool SendAndRead(IInternetPort& internet, const TInternetHandle& request, const void* Data, uint32_t DataSize,
                 const std::string& ContentType, std::vector<uint8_t>* Response, size_t maxAnswer,
                 TDataManager& manager, bool showMsg) {
  std::string header = "Content-Type: " + ContentType;
  if (!internet.SendRequest(request.Get(), header, Data, DataSize)) {
    manager.ShowServerError(showMsg);
    return false;
  }
  uint64_t announced = 0;
  if (internet.QueryContentLength(request.Get(), announced) && announced > maxAnswer) {
    manager.ShowServerError(showMsg);
    return false;
  }
  auto buffer = std::make_unique<uint8_t[]>(EXCHANGE_READ_SIZE);
  size_t total = 0;
  for (;;) {
    uint32_t read = 0;
    if (!internet.Read(request.Get(), buffer.get(), EXCHANGE_READ_SIZE, read)) {
      manager.ShowServerError(showMsg);
      return false;
    }
    if (read == 0) return true;
    total += read;
    if (total > maxAnswer) {
      manager.ShowServerError(showMsg);
      return false;
    }
    if (Response != nullptr) Response->insert(Response->end(), buffer.get(), buffer.get() + read);
  }
}

}  // namespace

// One exchange's session, known to CancelExchanges while it runs; declared after the
// session's handle, so it is forgotten before the handle is closed.
class TRunningExchange {
 public:
  TRunningExchange(TDataManager& manager, TInternetRaw session) : m_manager(manager), m_session(session) {
    std::lock_guard lock(m_manager.m_exchangesLock);
    m_manager.m_exchanges.push_back(session);
  }
  ~TRunningExchange() {
    std::lock_guard lock(m_manager.m_exchangesLock);
    auto& sessions = m_manager.m_exchanges;
    sessions.erase(std::find(sessions.begin(), sessions.end(), m_session));
  }
  TRunningExchange(const TRunningExchange&) = delete;
  TRunningExchange& operator=(const TRunningExchange&) = delete;

 private:
  TDataManager& m_manager;
  TInternetRaw m_session;
};

void TDataManager::CancelExchanges() {
  std::lock_guard lock(m_exchangesLock);
  for (TInternetRaw session : m_exchanges) m_ports.internet.CancelSession(session);
}

void TDataManager::ShowServerError(bool AShow) {
  if (!AShow || m_messageSink == nullptr) return;
  const std::string text = FormatText(m_ports.strings.Load(IDS_SERVER_PROBLEM_TEXT), APPLICATION_NAME);
  m_messageSink->QvMessageBox(APPLICATION_NAME, text, QV_KIND_SERVER_ERROR);
}

bool TDataManager::SendReceive(const std::string& UserAgent, const std::string& Server, int32_t nPort,
                               const std::string& Resource, const void* Data, uint32_t DataSize,
                               const std::string& ContentType, std::vector<uint8_t>* Response, size_t AMaxAnswer,
                               bool showMsg) {
  if (m_model.ProxyEnabled())
    return SendReceiveProxy(UserAgent, Server, nPort, Resource, Data, DataSize, ContentType, Response, AMaxAnswer,
                            showMsg);
  return SendReceiveDirect(UserAgent, Server, nPort, Resource, Data, DataSize, ContentType, Response, AMaxAnswer,
                           showMsg);
}

bool TDataManager::SendReceiveProxy(const std::string& UserAgent, const std::string& Server, int32_t nPort,
                                    const std::string& Resource, const void* Data, uint32_t DataSize,
                                    const std::string& ContentType, std::vector<uint8_t>* Response,
                                    size_t AMaxAnswer, bool showMsg) {
  IInternetPort& internet = m_ports.internet;
  internet.SetLastErrorCode(ERROR_SUCCESS);
  TInternetHandle session(internet,
                          internet.OpenSession(UserAgent, INTERNET_OPEN_TYPE_PROXY, ProxyListText(m_model), 0));
  if (StepFailed(internet, session)) {
    ShowServerError(showMsg);
    return false;
  }
  TRunningExchange running(*this, session.Get());
  SetTimeouts(session);
  internet.SetLastErrorCode(ERROR_SUCCESS);
  TInternetHandle connection(internet, internet.Connect(session.Get(), Server, static_cast<uint16_t>(nPort),
                                                        INTERNET_SERVICE_HTTP, 0));
  if (StepFailed(internet, connection)) {
    ShowServerError(showMsg);
    return false;
  }
  if (!m_model.ProxyUserName().empty() && !m_model.ProxyPassword().empty()) {
    if (!internet.SetOptionText(session.Get(), INTERNET_OPTION_PROXY_USERNAME, m_model.ProxyUserName()) ||
        !internet.SetOptionText(session.Get(), INTERNET_OPTION_PROXY_PASSWORD, m_model.ProxyPassword()))
      return false;
  }
  // TLS through the proxy as well: the proxy sees only the tunnel.
  internet.SetLastErrorCode(ERROR_SUCCESS);
  TInternetHandle request(internet, internet.OpenRequest(connection.Get(), "POST", Resource,
                                                         UsesTls(Server, nPort) ? INTERNET_FLAG_SECURE : 0));
  if (StepFailed(internet, request)) {
    ShowServerError(showMsg);
    return false;
  }
  return SendAndRead(internet, request, Data, DataSize, ContentType, Response, AMaxAnswer, *this, showMsg);
}

bool TDataManager::SendReceiveDirect(const std::string& UserAgent, const std::string& Server, int32_t nPort,
                                     const std::string& Resource, const void* Data, uint32_t DataSize,
                                     const std::string& ContentType, std::vector<uint8_t>* Response,
                                     size_t AMaxAnswer, bool showMsg) {
  IInternetPort& internet = m_ports.internet;
  internet.SetLastErrorCode(ERROR_SUCCESS);
  TInternetHandle session(internet, internet.OpenSession(UserAgent, INTERNET_OPEN_TYPE_PRECONFIG, "", 0));
  if (StepFailed(internet, session)) return false;
  TRunningExchange running(*this, session.Get());
  SetTimeouts(session);
  internet.SetLastErrorCode(ERROR_SUCCESS);
  TInternetHandle connection(internet, internet.Connect(session.Get(), Server, static_cast<uint16_t>(nPort),
                                                        INTERNET_SERVICE_HTTP, 0));
  if (StepFailed(internet, connection)) return false;
  uint32_t flags = UsesTls(Server, nPort) ? INTERNET_FLAG_SECURE : INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
  TInternetHandle request(internet, internet.OpenRequest(connection.Get(), "POST", Resource, flags));
  if (!request) return false;
  return SendAndRead(internet, request, Data, DataSize, ContentType, Response, AMaxAnswer, *this, showMsg);
}

bool TDataManager::UsesTls(const std::string& Server, int32_t nPort) const {
  if (Server == m_model.ServerURL() && nPort == m_model.ServerPort()) return m_model.ServerUsesTls();
  return nPort == 443;
}

void TDataManager::SetTimeouts(const TInternetHandle& session) {
  IInternetPort& internet = m_ports.internet;
  uint32_t timeout = static_cast<uint32_t>(m_timeout);
  internet.SetOptionNumber(session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, timeout);
  internet.SetOptionNumber(session.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, timeout);
  internet.SetOptionNumber(session.Get(), INTERNET_OPTION_SEND_TIMEOUT, timeout);
}

void TDataManager::QvInternetOpen(const std::string& strAgent, TInternetHandle& hConnect) {
  IInternetPort& internet = m_ports.internet;
  if (!m_model.ProxyEnabled()) {
    hConnect = TInternetHandle(internet, internet.OpenSession(strAgent, INTERNET_OPEN_TYPE_PRECONFIG, "", 0));
    return;
  }
  hConnect = TInternetHandle(internet, internet.OpenSession(strAgent, INTERNET_OPEN_TYPE_PROXY,
                                                            ProxyListText(m_model), 0));
  if (!m_model.ProxyUserName().empty() && !m_model.ProxyPassword().empty() &&
      internet.SetOptionText(hConnect.Get(), INTERNET_OPTION_PROXY_USERNAME, m_model.ProxyUserName()))
    internet.SetOptionText(hConnect.Get(), INTERNET_OPTION_PROXY_PASSWORD, m_model.ProxyPassword());
}
