// Internet port: the WinInet operations of the server exchange and the file download,
// with WinInet's constants, results and last-error codes (libcurl natively).
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "platform/win32_errors.h"

// An open session, connection or request; null when an operation failed.
using TInternetRaw = void*;

#ifndef INTERNET_OPEN_TYPE_PRECONFIG
constexpr uint32_t INTERNET_OPEN_TYPE_PRECONFIG = 0;
#endif
#ifndef INTERNET_OPEN_TYPE_PROXY
constexpr uint32_t INTERNET_OPEN_TYPE_PROXY = 3;
#endif
#ifndef INTERNET_FLAG_ASYNC
constexpr uint32_t INTERNET_FLAG_ASYNC = 0x10000000;
#endif
#ifndef INTERNET_OPTION_CONNECT_TIMEOUT
constexpr uint32_t INTERNET_OPTION_CONNECT_TIMEOUT = 2;
#endif
#ifndef INTERNET_OPTION_SEND_TIMEOUT
constexpr uint32_t INTERNET_OPTION_SEND_TIMEOUT = 5;
#endif
#ifndef INTERNET_OPTION_RECEIVE_TIMEOUT
constexpr uint32_t INTERNET_OPTION_RECEIVE_TIMEOUT = 6;
#endif
#ifndef INTERNET_OPTION_PROXY_USERNAME
constexpr uint32_t INTERNET_OPTION_PROXY_USERNAME = 43;
#endif
#ifndef INTERNET_OPTION_PROXY_PASSWORD
constexpr uint32_t INTERNET_OPTION_PROXY_PASSWORD = 44;
#endif
#ifndef INTERNET_SERVICE_HTTP
constexpr uint32_t INTERNET_SERVICE_HTTP = 3;
#endif
#ifndef INTERNET_FLAG_SECURE
constexpr uint32_t INTERNET_FLAG_SECURE = 0x00800000;
#endif
#ifndef INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS
constexpr uint32_t INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS = 0x00004000;
#endif
#ifndef INTERNET_FLAG_EXISTING_CONNECT
constexpr uint32_t INTERNET_FLAG_EXISTING_CONNECT = 0x20000000;
#endif
#ifndef INTERNET_FLAG_RELOAD
constexpr uint32_t INTERNET_FLAG_RELOAD = 0x80000000;
#endif
#ifndef INTERNET_FLAG_NO_CACHE_WRITE
constexpr uint32_t INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;
#endif
#ifndef INTERNET_FLAG_PRAGMA_NOCACHE
constexpr uint32_t INTERNET_FLAG_PRAGMA_NOCACHE = 0x00000100;
#endif
#ifndef INTERNET_FLAG_NO_UI
constexpr uint32_t INTERNET_FLAG_NO_UI = 0x00000200;
#endif
#ifndef INTERNET_FLAG_NO_COOKIES
constexpr uint32_t INTERNET_FLAG_NO_COOKIES = 0x00080000;
#endif
#ifndef HTTP_QUERY_STATUS_CODE
constexpr uint32_t HTTP_QUERY_STATUS_CODE = 19;
#endif
#ifndef HTTP_QUERY_CONTENT_LENGTH
constexpr uint32_t HTTP_QUERY_CONTENT_LENGTH = 5;
#endif
#ifndef HTTP_QUERY_FLAG_NUMBER
constexpr uint32_t HTTP_QUERY_FLAG_NUMBER = 0x20000000;
#endif

#ifndef INTERNET_CONNECTION_LAN
constexpr uint32_t INTERNET_CONNECTION_LAN = 0x02;
#endif
// The buffer, in characters, the download run reads the last response information into.
constexpr uint32_t LAST_RESPONSE_INFO_CHARS = 1024;

// WinInet last-error codes the implementations report.
#ifndef ERROR_INTERNET_TIMEOUT
constexpr uint32_t ERROR_INTERNET_TIMEOUT = 12002;
#endif
#ifndef ERROR_INTERNET_INTERNAL_ERROR
constexpr uint32_t ERROR_INTERNET_INTERNAL_ERROR = 12004;
#endif
#ifndef ERROR_INTERNET_INVALID_URL
constexpr uint32_t ERROR_INTERNET_INVALID_URL = 12005;
#endif
#ifndef ERROR_INTERNET_UNRECOGNIZED_SCHEME
constexpr uint32_t ERROR_INTERNET_UNRECOGNIZED_SCHEME = 12006;
#endif
#ifndef ERROR_INTERNET_NAME_NOT_RESOLVED
constexpr uint32_t ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
#endif
#ifndef ERROR_INTERNET_OPERATION_CANCELLED
constexpr uint32_t ERROR_INTERNET_OPERATION_CANCELLED = 12017;
#endif
#ifndef ERROR_INTERNET_INCORRECT_HANDLE_TYPE
constexpr uint32_t ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
#endif
#ifndef ERROR_INTERNET_CANNOT_CONNECT
constexpr uint32_t ERROR_INTERNET_CANNOT_CONNECT = 12029;
#endif
#ifndef ERROR_INTERNET_CONNECTION_ABORTED
constexpr uint32_t ERROR_INTERNET_CONNECTION_ABORTED = 12030;
#endif
#ifndef ERROR_INTERNET_CONNECTION_RESET
constexpr uint32_t ERROR_INTERNET_CONNECTION_RESET = 12031;
#endif
#ifndef ERROR_INTERNET_SECURITY_CHANNEL_ERROR
constexpr uint32_t ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;
#endif
#ifndef ERROR_INTERNET_SEC_INVALID_CERT
constexpr uint32_t ERROR_INTERNET_SEC_INVALID_CERT = 12169;
#endif
#ifndef ERROR_HTTP_HEADER_NOT_FOUND
constexpr uint32_t ERROR_HTTP_HEADER_NOT_FOUND = 12150;
#endif

class IInternetPort {
 public:
  virtual ~IInternetPort() = default;
  // InternetOpenW: proxyList empty means no proxy list (and no bypass list). With
  // INTERNET_FLAG_ASYNC, OpenUrl and Read on the session still return their results as
  // the synchronous calls do, and CancelSession can end their waits; such a session
  // serves OpenUrl, Read, the queries, SetOptionNumber and Close only.
  virtual TInternetRaw OpenSession(const std::string& agent, uint32_t accessType, const std::string& proxyList,
                                    uint32_t flags) = 0;
  // InternetSetOptionW with a 4-byte number (timeouts).
  virtual bool SetOptionNumber(TInternetRaw handle, uint32_t option, uint32_t value) = 0;
  // InternetSetOptionW with a text and its length in characters (proxy user name, password).
  virtual bool SetOptionText(TInternetRaw handle, uint32_t option, const std::string& text) = 0;
  // InternetConnectW without user name and password, context 0.
  virtual TInternetRaw Connect(TInternetRaw session, const std::string& server, uint16_t port,
                                       uint32_t service, uint32_t flags) = 0;
  // HttpOpenRequestW with the default HTTP version, no referrer, no accept types, context 0.
  virtual TInternetRaw OpenRequest(TInternetRaw connection, const std::string& verb, const std::string& object,
                                       uint32_t flags) = 0;
  // HttpSendRequestW: headers are CR LF separated lines (may be empty); data may be null.
  virtual bool SendRequest(TInternetRaw request, const std::string& headers, const void* data,
                               uint32_t dataSize) = 0;
  // InternetReadFile: true with bytesRead 0 at the end of the answer.
  virtual bool Read(TInternetRaw request, void* buffer, uint32_t bytesToRead, uint32_t& bytesRead) = 0;
  // InternetOpenUrlW: a GET of url on the session, context 0. Another thread may
  // close the session or request meanwhile: on Windows that ends a blocked call.
  virtual TInternetRaw OpenUrl(TInternetRaw session, const std::string& url, const std::string& headers,
                                       uint32_t flags) = 0;
  // HttpQueryInfoW with HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, index 0.
  virtual bool QueryStatusCode(TInternetRaw request, uint32_t& status) = 0;
  // HttpQueryInfoW with HTTP_QUERY_CONTENT_LENGTH, index 0, as a number; false
  // (ERROR_HTTP_HEADER_NOT_FOUND) when the answer announced no length.
  virtual bool QueryContentLength(TInternetRaw request, uint64_t& length) = 0;
  virtual bool Close(TInternetRaw handle) = 0;
  // InternetGetConnectedState: whether the system has an Internet connection; flags
  // receives the INTERNET_CONNECTION_* description.
  virtual bool ConnectedState(uint32_t& flags) = 0;
  // InternetGetLastResponseInfoW with a buffer of bufferChars characters: the error value
  // and text of the calling thread's last response; false when the text does not fit.
  virtual bool LastResponseInfo(uint32_t& error, std::string& text, uint32_t bufferChars) = 0;
  // The calling thread's last-error code, as GetLastError gives it after the calls above.
  virtual uint32_t LastError() = 0;
  // Sets the calling thread's last-error code.
  virtual void SetLastErrorCode(uint32_t code) = 0;
  // From any thread, on a session opened with INTERNET_FLAG_ASYNC: a call waiting in
  // OpenUrl or Read on the session or one of its requests returns at once, and every
  // later one does too, failing with ERROR_INTERNET_OPERATION_CANCELLED. The handles
  // stay open for their owner to close, so no thread is left using a handle value
  // that another thread closed (WinInet reuses the values), and it works where closing
  // a handle does not end a call (Wine). On a synchronous session the session's handles
  // are closed, which ends a blocked call where WinInet does so (Windows, libcurl's
  // port); later calls on them fail the same way and their owner's Close only forgets them.
  virtual void CancelSession(TInternetRaw session) = 0;
};

// Owns one internet handle and closes it with its port.
class TInternetHandle {
 public:
  TInternetHandle() = default;
  TInternetHandle(IInternetPort& internet, TInternetRaw handle) : m_internet(&internet), m_handle(handle) {}
  ~TInternetHandle() { Reset(); }
  TInternetHandle(TInternetHandle&& other) noexcept
      : m_internet(other.m_internet), m_handle(std::exchange(other.m_handle, nullptr)) {}
  TInternetHandle& operator=(TInternetHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      m_internet = other.m_internet;
      m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
  }
  TInternetHandle(const TInternetHandle&) = delete;
  TInternetHandle& operator=(const TInternetHandle&) = delete;

  TInternetRaw Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  void Reset() {
    if (m_handle != nullptr) m_internet->Close(m_handle);
    m_handle = nullptr;
  }

 private:
  IInternetPort* m_internet = nullptr;
  TInternetRaw m_handle = nullptr;
};
