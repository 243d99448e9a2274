// One libcurl transfer driven step by step, so that its answer can be read in chunks
// the way InternetReadFile reads a WinInet request.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

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
  // Sends the request and waits for the first bytes of the answer (or its end).
  // False with a WinInet error code when the request could not be carried out.
  bool Start(uint32_t& error);
  // Up to size bytes of the answer; read 0 at its end. False with an error code on failure.
  bool Read(void* buffer, uint32_t size, uint32_t& read, uint32_t& error);
  // The answer's HTTP status; 0 before one was received.
  long Status() const;
  // The text of the answer's header `name`; false when it has none.
  bool Header(const char* name, std::string& text) const;
  // From any thread: ends a wait in Start or Read at once; they and every later Read
  // fail with ERROR_INTERNET_OPERATION_CANCELLED.
  void Cancel();

 private:
  static size_t OnData(char* data, size_t size, size_t count, void* self);
  // Runs the transfer until answer bytes are waiting or it has ended.
  void RunUntilData();
  uint32_t ErrorCode() const;

  CURL* m_easy = nullptr;
  CURLM* m_multi = nullptr;
  curl_slist* m_headers = nullptr;
  std::vector<char> m_pending;
  size_t m_pendingOffset = 0;
  bool m_started = false;
  bool m_done = false;
  std::atomic<bool> m_cancelled{false};
  CURLcode m_result = CURLE_OK;
};

// The WinInet last-error code for a libcurl result.
uint32_t WinInetErrorFromCurl(CURLcode code);
