// WinInet forwarders: texts converted to UTF-16 at the call, results as WinInet gives them.
#include "platform/win32/win32_internet.h"

#include <windows.h>
#include <wininet.h>

#include <cwchar>

#include "platform/win32/win32_text.h"

namespace {
// Null for an empty text: WinInet reads a null pointer as "none".
const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }
}  // namespace

TInternetRaw TWin32Internet::OpenSession(const std::string& agent, uint32_t accessType, const std::string& proxyList,
                                         uint32_t flags) {
  std::wstring wideAgent = Utf8ToWide(agent);
  std::wstring wideProxy = Utf8ToWide(proxyList);
  return InternetOpenW(wideAgent.c_str(), accessType, OrNull(wideProxy), nullptr, flags);
}

bool TWin32Internet::SetOptionNumber(TInternetRaw handle, uint32_t option, uint32_t value) {
  DWORD number = value;
  return InternetSetOptionW(handle, option, &number, sizeof(number)) != FALSE;
}

bool TWin32Internet::SetOptionText(TInternetRaw handle, uint32_t option, const std::string& text) {
  std::wstring wide = Utf8ToWide(text);
  return InternetSetOptionW(handle, option, wide.data(), static_cast<DWORD>(wide.size())) != FALSE;
}

TInternetRaw TWin32Internet::Connect(TInternetRaw session, const std::string& server, uint16_t port,
                                     uint32_t service, uint32_t flags) {
  std::wstring wideServer = Utf8ToWide(server);
  return InternetConnectW(session, wideServer.c_str(), port, nullptr, nullptr, service, flags, 0);
}

TInternetRaw TWin32Internet::OpenRequest(TInternetRaw connection, const std::string& verb, const std::string& object,
                                         uint32_t flags) {
  std::wstring wideVerb = Utf8ToWide(verb);
  std::wstring wideObject = Utf8ToWide(object);
  return HttpOpenRequestW(connection, wideVerb.c_str(), wideObject.c_str(), nullptr, nullptr, nullptr, flags, 0);
}

bool TWin32Internet::SendRequest(TInternetRaw request, const std::string& headers, const void* data,
                                 uint32_t dataSize) {
  std::wstring wideHeaders = Utf8ToWide(headers);
  return HttpSendRequestW(request, OrNull(wideHeaders), static_cast<DWORD>(wideHeaders.size()),
                          const_cast<void*>(data), dataSize) != FALSE;
}

bool TWin32Internet::Read(TInternetRaw request, void* buffer, uint32_t bytesToRead, uint32_t& bytesRead) {
  DWORD read = 0;
  BOOL ok = InternetReadFile(request, buffer, bytesToRead, &read);
  bytesRead = read;
  return ok != FALSE;
}

TInternetRaw TWin32Internet::OpenUrl(TInternetRaw session, const std::string& url, const std::string& headers,
                                     uint32_t flags) {
  std::wstring wideUrl = Utf8ToWide(url);
  std::wstring wideHeaders = Utf8ToWide(headers);
  return InternetOpenUrlW(session, wideUrl.c_str(), OrNull(wideHeaders), static_cast<DWORD>(wideHeaders.size()),
                          flags, 0);
}

bool TWin32Internet::QueryStatusCode(TInternetRaw request, uint32_t& status) {
  DWORD number = 0;
  DWORD size = sizeof(number);
  DWORD index = 0;
  BOOL ok = HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &number, &size, &index);
  status = number;
  return ok != FALSE;
}

bool TWin32Internet::QueryContentLength(TInternetRaw request, uint64_t& length) {
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

bool TWin32Internet::Close(TInternetRaw handle) { return InternetCloseHandle(handle) != FALSE; }

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
