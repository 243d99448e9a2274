// TSetupDownload: the program's new setup fetched into memory over the internet
// port with the system's own connection settings. The fetch runs on a worker on an
// asynchronous session of its own; any thread may cancel it, which ends a call that
// waits for the network at once (CancelSession), and the worker closes its handles.
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
  TSetupDownload(const TSetupDownload&) = delete;
  TSetupDownload& operator=(const TSetupDownload&) = delete;

  // The GET of the setup. progress(received, total) follows every block; total
  // is 0 when the answer announced no length. An HTTP status outside 2xx, a
  // broken transfer, an answer shorter than announced or a cancel leave
  // `complete` false.
  TSetupDownloaded Fetch(const std::function<void(uint64_t received, uint64_t total)>& progress);
  // From any thread; a fetch after it opens nothing.
  void Cancel();
  bool Cancelled() const { return m_cancelled; }

 private:
  // The session of the running fetch, known to Cancel only while it is open; false
  // (attaching nothing) once cancelled.
  bool Attach(TInternetRaw session);
  void Detach();
  TSetupDownloaded Receive(TInternetRaw session,
                           const std::function<void(uint64_t received, uint64_t total)>& progress);

  IInternetPort& m_internet;
  std::string m_url;
  std::mutex m_lock;
  TInternetRaw m_session = nullptr;
  std::atomic<bool> m_cancelled{false};
};
