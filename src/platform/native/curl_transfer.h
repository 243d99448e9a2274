// One libcurl transfer driven step by step, so that its answer can be read in chunks
// the way InternetReadFile reads a WinInet request; a cancel ends its waits.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The cancel a session shares with its transfers: once set, from any thread, their
// waits end and they fail with ERROR_INTERNET_OPERATION_CANCELLED.
class TCurlCancel {
 public:
  void Cancel();
  bool Cancelled() const { return m_cancelled; }
  // The multi handles whose polls Cancel wakes.
  void Watch(CURLM* multi);
  void Unwatch(CURLM* multi);

 private:
  std::atomic<bool> m_cancelled{false};
  std::mutex m_mutex;
  std::vector<CURLM*> m_multis;
};

class TCurlTransfer {
 public:
  TCurlTransfer();
  ~TCurlTransfer();
  TCurlTransfer(const TCurlTransfer&) = delete;
  TCurlTransfer& operator=(const TCurlTransfer&) = delete;

  // For setting the request's options before Start.
  CURL* Easy() const { return m_easy; }
  // Adds a request header line ("Name: value").
  void AddHeader(const std::string& line);
  // Before Start: the cancel that ends this transfer's waits.
  void CancelWith(std::shared_ptr<TCurlCancel> cancel) { m_cancel = std::move(cancel); }
  // Before Start: no byte moving either way for this long ends the transfer with
  // ERROR_INTERNET_TIMEOUT, as WinInet's send and receive time-outs do (0: no limit).
  void IdleTimeout(uint32_t milliseconds) { m_idleTimeout = milliseconds; }
  // Sends the request and waits for the first bytes of the answer (or its end).
  // False with a WinInet error code when the request could not be carried out.
  bool Start(uint32_t& error);
  // Up to size bytes of the answer; read 0 at its end. False with an error code on failure.
  bool Read(void* buffer, uint32_t size, uint32_t& read, uint32_t& error);
  // The answer's HTTP status; 0 before one was received.
  long Status() const;

 private:
  static size_t OnData(char* data, size_t size, size_t count, void* self);
  // Runs the transfer until answer bytes are waiting or it has ended.
  void RunUntilData();
  // The bytes sent and received so far, headers included.
  curl_off_t BytesMoved() const;
  uint32_t ErrorCode() const;
  bool Cancelled() const { return m_cancel && m_cancel->Cancelled(); }

  CURL* m_easy = nullptr;
  CURLM* m_multi = nullptr;
  curl_slist* m_headers = nullptr;
  std::shared_ptr<TCurlCancel> m_cancel;
  std::vector<char> m_pending;
  size_t m_pendingOffset = 0;
  uint32_t m_idleTimeout = 0;
  bool m_started = false;
  bool m_done = false;
  CURLcode m_result = CURLE_OK;
};

// The WinInet last-error code for a libcurl result.
uint32_t WinInetErrorFromCurl(CURLcode code);
