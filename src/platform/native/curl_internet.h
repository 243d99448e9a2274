// Internet port over libcurl: WinInet's sessions, connections and requests, its proxy
// list form, timeouts and last-error codes. TLS peers are verified, against caFile when given.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/internet.h"

class TCurlInternet : public IInternetPort {
 public:
  explicit TCurlInternet(std::string caFile = {});
  ~TCurlInternet() override;
  // Verifies TLS peers against the certificates in this PEM file instead of the system's.
  void TrustCaFile(std::string caFile) { m_caFile = std::move(caFile); }

  TInternetRaw OpenSession(const std::string& agent, uint32_t accessType, const std::string& proxyList,
                            uint32_t flags) override;
  bool SetOptionNumber(TInternetRaw handle, uint32_t option, uint32_t value) override;
  bool SetOptionText(TInternetRaw handle, uint32_t option, const std::string& text) override;
  TInternetRaw Connect(TInternetRaw session, const std::string& server, uint16_t port, uint32_t service,
                               uint32_t flags) override;
  TInternetRaw OpenRequest(TInternetRaw connection, const std::string& verb, const std::string& object,
                               uint32_t flags) override;
  bool SendRequest(TInternetRaw request, const std::string& headers, const void* data,
                       uint32_t dataSize) override;
  bool Read(TInternetRaw request, void* buffer, uint32_t bytesToRead, uint32_t& bytesRead) override;
  TInternetRaw OpenUrl(TInternetRaw session, const std::string& url, const std::string& headers,
                               uint32_t flags) override;
  bool QueryStatusCode(TInternetRaw request, uint32_t& status) override;
  bool QueryContentLength(TInternetRaw request, uint64_t& length) override;
  bool Close(TInternetRaw handle) override;
  // Always connected: the system has no offline state to report.
  bool ConnectedState(uint32_t& flags) override;
  // The HTTP status of the last URL or request this thread opened (0 when none was
  // answered), with an empty text.
  bool LastResponseInfo(uint32_t& error, std::string& text, uint32_t bufferChars) override;
  uint32_t LastError() override;
  void SetLastErrorCode(uint32_t code) override;
  // Every session can be cancelled, with or without INTERNET_FLAG_ASYNC.
  void CancelSession(TInternetRaw session) override;

  struct TObject;

 private:
  // The object a handle names, kept alive for the caller even when another
  // thread closes the handle meanwhile (as WinInet allows).
  template <typename T>
  std::shared_ptr<T> Find(TInternetRaw handle);
  TInternetRaw Keep(std::unique_ptr<TObject> object);
  // Applies the session's agent, proxy, timeouts and TLS trust to a request for url.
  void Configure(struct TCurlSession& session, struct TCurlRequest& request, const std::string& url);
  bool Fail(uint32_t code);

  std::string m_caFile;
  std::mutex m_lock;
  std::map<TObject*, std::shared_ptr<TObject>> m_objects;
};
