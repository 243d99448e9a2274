// WinInet forwarders: texts converted to UTF-16 at the call, results as WinInet gives them.
#include "platform/win32/win32_internet.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

// A request's context value for WinInet. WinInet calls back with it until the request's
// handle has closed and its last operation has completed, which can be after the port
// let go of it (a cancelled wait), so it counts its holders: the port, each operation
// WinInet has pending, each handle WinInet created with it. The last one frees it.
struct TWin32Internet::TAsyncRequest {
  std::atomic<long> holders{1};
  TKernelHandle completed{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  TKernelHandle cancelled{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  // The last INTERNET_ASYNC_RESULT: the handle of an opened URL, or TRUE/FALSE of a read.
  DWORD_PTR result = 0;
  DWORD error = ERROR_SUCCESS;
  // What a pending read fills; it may complete after its wait was cancelled.
  std::vector<char> buffer;
  DWORD read = 0;

  void Hold() { ++holders; }
  void Release() {
    if (--holders == 0) delete this;
  }
  // Waits for the operation to complete; false when its session was cancelled first.
  bool Wait() {
    HANDLE events[] = {completed.Get(), cancelled.Get()};
    return WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0;
  }
};

namespace {

// Null for an empty text: WinInet reads a null pointer as "none".
const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

using TAsyncRequest = TWin32Internet::TAsyncRequest;

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, void* information, DWORD) {
  auto* request = reinterpret_cast<TAsyncRequest*>(context);
  if (request == nullptr) return;
  switch (status) {
    case INTERNET_STATUS_HANDLE_CREATED:
      request->Hold();
      break;
    case INTERNET_STATUS_REQUEST_COMPLETE: {
      const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(information);
      request->result = result->dwResult;
      request->error = result->dwError;
      SetEvent(request->completed.Get());
      request->Release();
      break;
    }
    case INTERNET_STATUS_HANDLE_CLOSING:
      request->Release();
      break;
    default:
      break;
  }
}

}  // namespace

TInternetRaw TWin32Internet::Resolve(TInternetRaw handle) {
  std::lock_guard lock(m_lock);
  auto found = m_handles.find(static_cast<TPortHandle*>(handle));
  if (found == m_handles.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if ((*found)->closed) {
    SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
    return nullptr;
  }
  return (*found)->handle;
}

TInternetRaw TWin32Internet::Adopt(TInternetRaw raw, TInternetRaw parent, bool async) {
  if (raw == nullptr) return nullptr;
  auto* adopted = new TPortHandle{raw, nullptr, async, false, {}};
  std::lock_guard lock(m_lock);
  if (auto found = m_handles.find(static_cast<TPortHandle*>(parent)); found != m_handles.end()) {
    TPortHandle* session = (*found)->session != nullptr ? (*found)->session : *found;
    if (session->closed) {
      InternetCloseHandle(raw);
      delete adopted;
      SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
      return nullptr;
    }
    adopted->session = session;
    session->children.push_back(adopted);
  }
  m_handles.insert(adopted);
  return adopted;
}

void TWin32Internet::NoteCancelled(TInternetRaw handle) {
  std::lock_guard lock(m_lock);
  auto found = m_handles.find(static_cast<TPortHandle*>(handle));
  if (found != m_handles.end() && (*found)->closed) SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
}

TInternetRaw TWin32Internet::OpenSession(const std::string& agent, uint32_t accessType, const std::string& proxyList,
                                         uint32_t flags) {
  std::wstring wideAgent = Utf8ToWide(agent);
  std::wstring wideProxy = Utf8ToWide(proxyList);
  HINTERNET session = InternetOpenW(wideAgent.c_str(), accessType, OrNull(wideProxy), nullptr, flags);
  if (session != nullptr && (flags & INTERNET_FLAG_ASYNC) != 0) {
    // Without its callback no asynchronous call would ever be seen to complete.
    if (InternetSetStatusCallbackW(session, &OnStatus) == INTERNET_INVALID_STATUS_CALLBACK) {
      const DWORD error = GetLastError();
      InternetCloseHandle(session);
      SetLastError(error);
      return nullptr;
    }
    std::lock_guard lock(m_lock);
    m_sessions[session] = {};
  }
  return Adopt(session, nullptr, (flags & INTERNET_FLAG_ASYNC) != 0);
}

bool TWin32Internet::SetOptionNumber(TInternetRaw handle, uint32_t option, uint32_t value) {
  TInternetRaw raw = Resolve(handle);
  if (raw == nullptr) return false;
  DWORD number = value;
  return InternetSetOptionW(raw, option, &number, sizeof(number)) != FALSE;
}

bool TWin32Internet::SetOptionText(TInternetRaw handle, uint32_t option, const std::string& text) {
  TInternetRaw raw = Resolve(handle);
  if (raw == nullptr) return false;
  std::wstring wide = Utf8ToWide(text);
  return InternetSetOptionW(raw, option, wide.data(), static_cast<DWORD>(wide.size())) != FALSE;
}

TInternetRaw TWin32Internet::Connect(TInternetRaw session, const std::string& server, uint16_t port,
                                     uint32_t service, uint32_t flags) {
  TInternetRaw raw = Resolve(session);
  if (raw == nullptr) return nullptr;
  std::wstring wideServer = Utf8ToWide(server);
  return Adopt(InternetConnectW(raw, wideServer.c_str(), port, nullptr, nullptr, service, flags, 0), session, false);
}

TInternetRaw TWin32Internet::OpenRequest(TInternetRaw connection, const std::string& verb, const std::string& object,
                                         uint32_t flags) {
  TInternetRaw raw = Resolve(connection);
  if (raw == nullptr) return nullptr;
  std::wstring wideVerb = Utf8ToWide(verb);
  std::wstring wideObject = Utf8ToWide(object);
  return Adopt(HttpOpenRequestW(raw, wideVerb.c_str(), wideObject.c_str(), nullptr, nullptr, nullptr, flags, 0),
               connection, false);
}

bool TWin32Internet::SendRequest(TInternetRaw request, const std::string& headers, const void* data,
                                 uint32_t dataSize) {
  TInternetRaw raw = Resolve(request);
  if (raw == nullptr) return false;
  std::wstring wideHeaders = Utf8ToWide(headers);
  if (HttpSendRequestW(raw, OrNull(wideHeaders), static_cast<DWORD>(wideHeaders.size()), const_cast<void*>(data),
                       dataSize))
    return true;
  NoteCancelled(request);
  return false;
}

bool TWin32Internet::Read(TInternetRaw handle, void* buffer, uint32_t bytesToRead, uint32_t& bytesRead) {
  TInternetRaw request = Resolve(handle);
  if (request == nullptr) {
    bytesRead = 0;
    return false;
  }
  TAsyncRequest* async = nullptr;
  bool cancelled = false;
  {
    std::lock_guard lock(m_lock);
    if (auto open = m_requests.find(request); open != m_requests.end()) {
      async = open->second.request;
      auto session = m_sessions.find(open->second.session);
      cancelled = session != m_sessions.end() && session->second.cancelled;
    }
  }
  if (cancelled) {
    bytesRead = 0;
    SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
    return false;
  }
  if (async != nullptr) return ReadAsync(*async, request, buffer, bytesToRead, bytesRead);
  DWORD read = 0;
  BOOL ok = InternetReadFile(request, buffer, bytesToRead, &read);
  bytesRead = read;
  if (!ok) NoteCancelled(handle);
  return ok != FALSE;
}

TInternetRaw TWin32Internet::OpenUrl(TInternetRaw handle, const std::string& url, const std::string& headers,
                                     uint32_t flags) {
  TInternetRaw session = Resolve(handle);
  if (session == nullptr) return nullptr;
  std::wstring wideUrl = Utf8ToWide(url);
  std::wstring wideHeaders = Utf8ToWide(headers);
  bool async = false;
  {
    std::lock_guard lock(m_lock);
    async = m_sessions.count(session) != 0;
  }
  if (async) return Adopt(OpenUrlAsync(session, wideUrl, wideHeaders, flags), handle, true);
  TInternetRaw opened = Adopt(InternetOpenUrlW(session, wideUrl.c_str(), OrNull(wideHeaders),
                                               static_cast<DWORD>(wideHeaders.size()), flags, 0),
                              handle, false);
  if (opened == nullptr) NoteCancelled(handle);
  return opened;
}

TInternetRaw TWin32Internet::OpenUrlAsync(TInternetRaw session, const std::wstring& url, const std::wstring& headers,
                                          uint32_t flags) {
  auto* request = new TAsyncRequest;  // the port's hold
  {
    std::lock_guard lock(m_lock);
    TAsyncSession& owner = m_sessions[session];
    if (owner.cancelled) {
      request->Release();
      SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
      return nullptr;
    }
    owner.requests.insert(request);
  }
  request->Hold();  // the operation's, until its completion
  HINTERNET handle = InternetOpenUrlW(session, url.c_str(), OrNull(headers), static_cast<DWORD>(headers.size()),
                                      flags, reinterpret_cast<DWORD_PTR>(request));
  DWORD error = GetLastError();
  if (handle == nullptr && error == ERROR_IO_PENDING) {
    if (request->Wait()) {
      handle = reinterpret_cast<HINTERNET>(request->result);
      error = request->error;
    } else {
      error = ERROR_INTERNET_OPERATION_CANCELLED;
    }
  } else {
    request->Release();  // completed at once: no completion follows
  }
  std::lock_guard lock(m_lock);
  if (handle == nullptr) {
    // A handle WinInet made for it closes with the session.
    if (auto owner = m_sessions.find(session); owner != m_sessions.end()) owner->second.requests.erase(request);
    request->Release();
    SetLastError(error);
    return nullptr;
  }
  m_requests[handle] = {request, session};
  return handle;
}

bool TWin32Internet::ReadAsync(TAsyncRequest& request, TInternetRaw handle, void* buffer, uint32_t bytesToRead,
                               uint32_t& bytesRead) {
  bytesRead = 0;
  request.buffer.resize(bytesToRead);
  request.Hold();  // the operation's, until its completion
  BOOL ok = InternetReadFile(handle, request.buffer.data(), bytesToRead, &request.read);
  DWORD error = GetLastError();
  if (!ok && error == ERROR_IO_PENDING) {
    if (!request.Wait()) {
      SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
      return false;
    }
    ok = request.result != FALSE;
    error = request.error;
  } else {
    request.Release();
  }
  if (!ok) {
    SetLastError(error);
    return false;
  }
  std::memcpy(buffer, request.buffer.data(), request.read);
  bytesRead = request.read;
  return true;
}

bool TWin32Internet::QueryStatusCode(TInternetRaw handle, uint32_t& status) {
  TInternetRaw request = Resolve(handle);
  if (request == nullptr) return false;
  DWORD number = 0;
  DWORD size = sizeof(number);
  DWORD index = 0;
  BOOL ok = HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &number, &size, &index);
  status = number;
  return ok != FALSE;
}

bool TWin32Internet::QueryContentLength(TInternetRaw handle, uint64_t& length) {
  TInternetRaw request = Resolve(handle);
  if (request == nullptr) return false;
  // As text: a number query gives only 32 bits.
  wchar_t text[32] = {};
  DWORD size = sizeof(text);
  DWORD index = 0;
  if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, &index)) return false;
  wchar_t* end = nullptr;
  const unsigned long long value = std::wcstoull(text, &end, 10);
  if (end == text) {
    SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
    return false;
  }
  length = value;
  return true;
}

bool TWin32Internet::Close(TInternetRaw handle) {
  auto* port = static_cast<TPortHandle*>(handle);
  TInternetRaw raw = nullptr;
  bool closed = false;
  {
    std::lock_guard lock(m_lock);
    if (m_handles.erase(port) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    raw = port->handle;
    closed = port->closed;
    if (port->session != nullptr) std::erase(port->session->children, port);
    for (TPortHandle* child : port->children) child->session = nullptr;
  }
  delete port;
  return closed || CloseRaw(raw);  // a cancel has closed it already
}

bool TWin32Internet::CloseRaw(TInternetRaw handle) {
  TAsyncRequest* async = nullptr;
  {
    std::lock_guard lock(m_lock);
    if (auto open = m_requests.find(handle); open != m_requests.end()) {
      async = open->second.request;
      if (auto session = m_sessions.find(open->second.session); session != m_sessions.end())
        session->second.requests.erase(async);
      m_requests.erase(open);
    }
    m_sessions.erase(handle);
  }
  const BOOL closed = InternetCloseHandle(handle);
  const DWORD error = GetLastError();
  if (async != nullptr) async->Release();
  SetLastError(error);
  return closed != FALSE;
}

bool TWin32Internet::ConnectedState(uint32_t& flags) {
  DWORD state = 0;
  BOOL connected = InternetGetConnectedState(&state, 0);
  flags = state;
  return connected != FALSE;
}

bool TWin32Internet::LastResponseInfo(uint32_t& error, std::string& text, uint32_t bufferChars) {
  std::wstring buffer(bufferChars + 1, L'\0');
  DWORD code = 0;
  DWORD length = bufferChars;
  BOOL ok = InternetGetLastResponseInfoW(&code, buffer.data(), &length);
  error = code;
  text = ok ? WideToUtf8(std::wstring(buffer.c_str())) : std::string();
  return ok != FALSE;
}

uint32_t TWin32Internet::LastError() { return GetLastError(); }

void TWin32Internet::SetLastErrorCode(uint32_t code) { SetLastError(code); }

void TWin32Internet::CancelSession(TInternetRaw handle) {
  std::lock_guard lock(m_lock);
  auto port = m_handles.find(static_cast<TPortHandle*>(handle));
  if (port == m_handles.end() || (*port)->session != nullptr || (*port)->closed) return;
  TPortHandle& session = **port;
  if (!session.async) {
    // A blocked call ends when its handle closes: the requests before their
    // connections, the session last. Their owners' Close then only forgets them.
    for (auto child = session.children.rbegin(); child != session.children.rend(); ++child) {
      if ((*child)->closed) continue;
      (*child)->closed = true;
      InternetCloseHandle((*child)->handle);
    }
    session.closed = true;
    InternetCloseHandle(session.handle);
    return;
  }
  auto found = m_sessions.find(session.handle);
  if (found == m_sessions.end()) return;
  found->second.cancelled = true;
  for (TAsyncRequest* request : found->second.requests) SetEvent(request->cancelled.Get());
}
