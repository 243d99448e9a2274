// The WinInet handle tree over libcurl. A session keeps the settings, a connection the
// host and port; a request owns the libcurl transfer that carries it.
#include "platform/native/curl_internet.h"

#include <algorithm>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/native/curl_transfer.h"

namespace {

thread_local uint32_t tLastError = ERROR_SUCCESS;
// The HTTP status of the last request this thread started; 0 when it got no answer.
thread_local uint32_t tLastResponseStatus = 0;

// One line per header, CR LF separated as WinInet takes them.
std::vector<std::string> HeaderLines(const std::string& headers) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < headers.size()) {
    size_t end = headers.find("\r\n", start);
    if (end == std::string::npos) end = headers.size();
    if (end > start) lines.push_back(headers.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The proxy WinInet would use for a URL of this scheme: "scheme=url" entries name one
// scheme, a bare entry every scheme; none: a direct connection.
std::string ProxyForScheme(const std::string& proxyList, const std::string& scheme) {
  std::string list = proxyList;
  std::replace(list.begin(), list.end(), ';', ' ');
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(' ', start);
    if (end == std::string::npos) end = list.size();
    std::string entry = list.substr(start, end - start);
    start = end + 1;
    if (entry.empty()) continue;
    size_t equals = entry.find('=');
    if (equals == std::string::npos) return entry;
    if (StartsWithIgnoringAsciiCase(entry, scheme + "=")) return entry.substr(equals + 1);
  }
  return {};
}

}  // namespace

struct TCurlInternet::TObject {
  virtual ~TObject() = default;
};

struct TCurlSession : TCurlInternet::TObject {
  // Shared with the transfers of its requests; CancelSession sets it.
  std::shared_ptr<TCurlCancel> cancel = std::make_shared<TCurlCancel>();
  std::string agent;
  uint32_t accessType = INTERNET_OPEN_TYPE_PRECONFIG;
  std::string proxyList;
  uint32_t connectTimeout = 0;  // 0: libcurl's default
  uint32_t receiveTimeout = 0;
  uint32_t sendTimeout = 0;
  std::string proxyUserName;
  std::string proxyPassword;
};

struct TCurlConnection : TCurlInternet::TObject {
  TCurlSession* session = nullptr;
  std::string server;
  uint16_t port = 0;
};

struct TCurlRequest : TCurlInternet::TObject {
  TCurlConnection* connection = nullptr;  // null for a URL request
  std::string verb;
  std::string url;
  TCurlTransfer transfer;
  std::string body;
  bool sent = false;
};

TCurlInternet::TCurlInternet(std::string caFile) : m_caFile(std::move(caFile)) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
}

TCurlInternet::~TCurlInternet() {
  m_objects.clear();
  curl_global_cleanup();
}

bool TCurlInternet::ConnectedState(uint32_t& flags) {
  flags = INTERNET_CONNECTION_LAN;
  return true;
}

bool TCurlInternet::LastResponseInfo(uint32_t& error, std::string& text, uint32_t) {
  error = tLastResponseStatus;
  text.clear();
  return true;
}

uint32_t TCurlInternet::LastError() { return tLastError; }
void TCurlInternet::SetLastErrorCode(uint32_t code) { tLastError = code; }

void TCurlInternet::CancelSession(TInternetRaw handle) {
  if (auto session = Find<TCurlSession>(handle)) session->cancel->Cancel();
}

bool TCurlInternet::Fail(uint32_t code) {
  tLastError = code;
  return false;
}

template <typename T>
std::shared_ptr<T> TCurlInternet::Find(TInternetRaw handle) {
  std::lock_guard lock(m_lock);
  auto found = m_objects.find(static_cast<TObject*>(handle));
  if (found == m_objects.end()) {
    tLastError = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  auto typed = std::dynamic_pointer_cast<T>(found->second);
  if (typed == nullptr) tLastError = ERROR_INTERNET_INCORRECT_HANDLE_TYPE;
  return typed;
}

TInternetRaw TCurlInternet::Keep(std::unique_ptr<TObject> object) {
  std::lock_guard lock(m_lock);
  TObject* handle = object.get();
  m_objects.emplace(handle, std::move(object));
  return handle;
}

TInternetRaw TCurlInternet::OpenSession(const std::string& agent, uint32_t accessType,
                                         const std::string& proxyList, uint32_t) {
  if (accessType == INTERNET_OPEN_TYPE_PROXY && proxyList.empty()) {
    Fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto session = std::make_unique<TCurlSession>();
  session->agent = agent;
  session->accessType = accessType;
  session->proxyList = proxyList;
  return Keep(std::move(session));
}

bool TCurlInternet::SetOptionNumber(TInternetRaw handle, uint32_t option, uint32_t value) {
  auto session = Find<TCurlSession>(handle);
  if (session == nullptr) return false;
  switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT: session->connectTimeout = value; return true;
    case INTERNET_OPTION_RECEIVE_TIMEOUT: session->receiveTimeout = value; return true;
    case INTERNET_OPTION_SEND_TIMEOUT: session->sendTimeout = value; return true;
    default: return Fail(ERROR_INVALID_PARAMETER);
  }
}

bool TCurlInternet::SetOptionText(TInternetRaw handle, uint32_t option, const std::string& text) {
  auto session = Find<TCurlSession>(handle);
  if (session == nullptr) return false;
  switch (option) {
    case INTERNET_OPTION_PROXY_USERNAME: session->proxyUserName = text; return true;
    case INTERNET_OPTION_PROXY_PASSWORD: session->proxyPassword = text; return true;
    default: return Fail(ERROR_INVALID_PARAMETER);
  }
}

TInternetRaw TCurlInternet::Connect(TInternetRaw session, const std::string& server, uint16_t port,
                                            uint32_t service, uint32_t) {
  auto owner = Find<TCurlSession>(session);
  if (owner == nullptr) return nullptr;
  if (server.empty() || service != INTERNET_SERVICE_HTTP) {
    Fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto connection = std::make_unique<TCurlConnection>();
  connection->session = owner.get();
  connection->server = server;
  connection->port = port;
  return Keep(std::move(connection));
}

TInternetRaw TCurlInternet::OpenRequest(TInternetRaw connection, const std::string& verb,
                                            const std::string& object, uint32_t flags) {
  auto owner = Find<TCurlConnection>(connection);
  if (owner == nullptr) return nullptr;
  bool secure = (flags & INTERNET_FLAG_SECURE) != 0;
  std::string host = owner->server.find(':') != std::string::npos ? "[" + owner->server + "]" : owner->server;
  std::string path = object.empty() || object[0] != '/' ? "/" + object : object;
  auto request = std::make_unique<TCurlRequest>();
  request->connection = owner.get();
  request->verb = verb.empty() ? "GET" : verb;
  request->url = (secure ? "https://" : "http://") + host + ":" + std::to_string(owner->port) + path;
  request->transfer.CancelWith(owner->session->cancel);
  return Keep(std::move(request));
}

void TCurlInternet::Configure(TCurlSession& session, TCurlRequest& request, const std::string& url) {
  CURL* easy = request.transfer.Easy();
  if (easy == nullptr) return;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_USERAGENT, session.agent.c_str());
  if (session.accessType == INTERNET_OPEN_TYPE_PROXY) {
    std::string scheme = url.substr(0, url.find(':'));
    std::string proxy = ProxyForScheme(session.proxyList, scheme);
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");  // the list alone decides, not the environment
    if (!proxy.empty() && !session.proxyUserName.empty()) {
      curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, session.proxyUserName.c_str());
      curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, session.proxyPassword.c_str());
    }
  }
  if (session.connectTimeout != 0) curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(session.connectTimeout));
  // WinInet's send and receive timeouts bound each wait for the peer: no byte moving
  // for that long ends the transfer.
  request.transfer.IdleTimeout(std::max(session.receiveTimeout, session.sendTimeout));
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!m_caFile.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, m_caFile.c_str());
}

bool TCurlInternet::SendRequest(TInternetRaw handle, const std::string& headers, const void* data,
                                    uint32_t dataSize) {
  auto request = Find<TCurlRequest>(handle);
  if (request == nullptr) return false;
  if (request->sent || request->connection == nullptr) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  request->sent = true;
  Configure(*request->connection->session, *request, request->url);
  CURL* easy = request->transfer.Easy();
  if (easy == nullptr) return Fail(ERROR_INTERNET_INTERNAL_ERROR);
  if (request->verb == "POST") {
    if (data != nullptr) request->body.assign(static_cast<const char*>(data), dataSize);
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request->body.data());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, long(request->body.size()));
  } else if (request->verb != "GET") {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request->verb.c_str());
  }
  for (const std::string& line : HeaderLines(headers)) request->transfer.AddHeader(line);
  request->transfer.AddHeader("Expect:");  // WinInet sends the body without waiting for 100 Continue
  uint32_t error = ERROR_SUCCESS;
  const bool started = request->transfer.Start(error);
  tLastResponseStatus = started ? static_cast<uint32_t>(request->transfer.Status()) : 0;
  if (!started) return Fail(error);
  return true;
}

bool TCurlInternet::Read(TInternetRaw handle, void* buffer, uint32_t bytesToRead,
                                     uint32_t& bytesRead) {
  bytesRead = 0;
  auto request = Find<TCurlRequest>(handle);
  if (request == nullptr) return false;
  if (!request->sent) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  uint32_t error = ERROR_SUCCESS;
  if (!request->transfer.Read(buffer, bytesToRead, bytesRead, error)) return Fail(error);
  return true;
}

TInternetRaw TCurlInternet::OpenUrl(TInternetRaw session, const std::string& url,
                                            const std::string& headers, uint32_t) {
  auto owner = Find<TCurlSession>(session);
  if (owner == nullptr) return nullptr;
  if (!StartsWithIgnoringAsciiCase(url, "http://") && !StartsWithIgnoringAsciiCase(url, "https://")) {
    Fail(url.find("://") == std::string::npos ? ERROR_INTERNET_INVALID_URL : ERROR_INTERNET_UNRECOGNIZED_SCHEME);
    return nullptr;
  }
  auto request = std::make_unique<TCurlRequest>();
  request->verb = "GET";
  request->url = url;
  request->sent = true;
  if (owner->cancel->Cancelled()) {
    Fail(ERROR_INTERNET_OPERATION_CANCELLED);
    return nullptr;
  }
  request->transfer.CancelWith(owner->cancel);
  Configure(*owner, *request, url);
  for (const std::string& line : HeaderLines(headers)) request->transfer.AddHeader(line);
  uint32_t error = ERROR_SUCCESS;
  const bool started = request->transfer.Start(error);
  tLastResponseStatus = started ? static_cast<uint32_t>(request->transfer.Status()) : 0;
  if (!started) {
    Fail(error);
    return nullptr;
  }
  return Keep(std::move(request));
}

bool TCurlInternet::QueryStatusCode(TInternetRaw handle, uint32_t& status) {
  auto request = Find<TCurlRequest>(handle);
  if (request == nullptr) return false;
  long code = request->sent ? request->transfer.Status() : 0;
  if (code == 0) return Fail(ERROR_HTTP_HEADER_NOT_FOUND);
  status = static_cast<uint32_t>(code);
  return true;
}

bool TCurlInternet::Close(TInternetRaw handle) {
  std::shared_ptr<TObject> object;  // freed outside the lock, or by a call still using it
  {
    std::lock_guard lock(m_lock);
    auto found = m_objects.find(static_cast<TObject*>(handle));
    if (found == m_objects.end()) return Fail(ERROR_INVALID_HANDLE);
    object = std::move(found->second);
    m_objects.erase(found);
  }
  return true;
}

bool TCurlInternet::QueryContentLength(TInternetRaw handle, uint64_t& length) {
  auto request = Find<TCurlRequest>(handle);
  if (request == nullptr) return false;
  curl_off_t announced = -1;
  CURL* easy = request->transfer.Easy();
  if (!request->sent || easy == nullptr ||
      curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) != CURLE_OK || announced < 0) {
    return Fail(ERROR_HTTP_HEADER_NOT_FOUND);
  }
  length = static_cast<uint64_t>(announced);
  return true;
}
