// Internet port over WinInet: each operation forwards to its WinInet call. A session
// opened with INTERNET_FLAG_ASYNC runs its URL requests asynchronously, and OpenUrl and
// Read wait for their completion or for CancelSession. CancelSession on a synchronous
// session closes its WinInet handles from the cancelling thread, which is how WinInet
// ends a blocked call (Wine's WinInet finishes the call first). The port hands out
// handles of its own over WinInet's, so a handle it closed that way is never closed
// again nor used, even when WinInet gives its value to a new handle.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "platform/internet.h"

class TWin32Internet : public IInternetPort {
 public:
  TInternetRaw OpenSession(const std::string& agent, uint32_t accessType, const std::string& proxyList,
                           uint32_t flags) override;
  bool SetOptionNumber(TInternetRaw handle, uint32_t option, uint32_t value) override;
  bool SetOptionText(TInternetRaw handle, uint32_t option, const std::string& text) override;
  TInternetRaw Connect(TInternetRaw session, const std::string& server, uint16_t port, uint32_t service,
                       uint32_t flags) override;
  TInternetRaw OpenRequest(TInternetRaw connection, const std::string& verb, const std::string& object,
                           uint32_t flags) override;
  bool SendRequest(TInternetRaw request, const std::string& headers, const void* data, uint32_t dataSize) override;
  bool Read(TInternetRaw request, void* buffer, uint32_t bytesToRead, uint32_t& bytesRead) override;
  TInternetRaw OpenUrl(TInternetRaw session, const std::string& url, const std::string& headers,
                       uint32_t flags) override;
  bool QueryStatusCode(TInternetRaw request, uint32_t& status) override;
  bool QueryContentLength(TInternetRaw request, uint64_t& length) override;
  bool Close(TInternetRaw handle) override;
  bool ConnectedState(uint32_t& flags) override;
  bool LastResponseInfo(uint32_t& error, std::string& text, uint32_t bufferChars) override;
  uint32_t LastError() override;
  void SetLastErrorCode(uint32_t code) override;
  void CancelSession(TInternetRaw session) override;

  // What one request of an asynchronous session shares with WinInet's callback.
  struct TAsyncRequest;

 private:
  // A handle the port gave out, over WinInet's handle.
  struct TPortHandle {
    TInternetRaw handle = nullptr;
    TPortHandle* session = nullptr;  // none for a session
    bool async = false;              // of an asynchronous session
    bool closed = false;             // closed by CancelSession; its owner still closes it
    std::vector<TPortHandle*> children;  // a synchronous session's, in the order opened
  };
  // WinInet's handle behind a port handle, or none (the last error set) when it is not
  // one or was closed by a cancel.
  TInternetRaw Resolve(TInternetRaw handle);
  // A new port handle over a WinInet handle made on session (none: a session). A child
  // of a synchronous session cancelled meanwhile is closed at once: none is returned.
  TInternetRaw Adopt(TInternetRaw raw, TInternetRaw session, bool async);
  // After a failed call on a handle: a cancel that closed it meanwhile is the error.
  void NoteCancelled(TInternetRaw handle);
  bool CloseRaw(TInternetRaw handle);
  struct TAsyncSession {
    bool cancelled = false;
    std::set<TAsyncRequest*> requests;  // open, or being opened
  };
  struct TOpenRequest {
    TAsyncRequest* request;
    TInternetRaw session;
  };

  TInternetRaw OpenUrlAsync(TInternetRaw session, const std::wstring& url, const std::wstring& headers,
                            uint32_t flags);
  bool ReadAsync(TAsyncRequest& request, TInternetRaw handle, void* buffer, uint32_t bytesToRead,
                 uint32_t& bytesRead);

  // Guards the maps and the port handles; WinInet's callback never takes it.
  std::mutex m_lock;
  std::set<TPortHandle*> m_handles;
  std::map<TInternetRaw, TAsyncSession> m_sessions;
  std::map<TInternetRaw, TOpenRequest> m_requests;
};
