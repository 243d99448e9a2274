// TSetupDownload: the program's new setup fetched into memory over the internet
// port with the system's own connection settings. The fetch runs on a worker;
// any thread may cancel it, which closes its open handles so that a blocked
// call ends where the system supports that (Windows does, Wine does not).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/internet.h"

struct TSetupDownloaded {
  bool complete = false;  // the whole answer of a successful request arrived
  std::vector<uint8_t> body;
};

class TSetupDownload {
 public:
  TSetupDownload(IInternetPort& internet, std::string url) : m_internet(internet), m_url(std::move(url)) {}
  ~TSetupDownload() { CloseAll(); }
  TSetupDownload(const TSetupDownload&) = delete;
  TSetupDownload& operator=(const TSetupDownload&) = delete;

  // The GET of the setup. progress(received, total) follows every block; total
  // is 0 when the answer announced no length. An HTTP status outside 2xx, a
  // broken transfer, an answer shorter than announced or a cancel leave
  // `complete` false.
  TSetupDownloaded Fetch(const std::function<void(uint64_t received, uint64_t total)>& progress);
  void Cancel();
  bool Cancelled() const { return m_cancelled; }

 private:
  // Keeps a handle the fetch opened; false (and the handle closed) once cancelled.
  bool Publish(TInternetRaw& slot, TInternetRaw handle);
  void CloseAll();

  IInternetPort& m_internet;
  std::string m_url;
  std::mutex m_lock;
  TInternetRaw m_session = nullptr;
  TInternetRaw m_request = nullptr;
  std::atomic<bool> m_cancelled{false};
};
