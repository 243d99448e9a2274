// TSetupDownload: the program's new setup fetched over the internet port with the system's
// own connection settings, each block written to a file as it arrives, never more than a
// cap. The fetch runs on a worker on an
// asynchronous session of its own; any thread may cancel it, which ends a call that
// waits for the network at once (CancelSession), and the worker closes its handles.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "platform/file_system.h"
#include "platform/internet.h"

// The most a setup download writes, whatever the server announces.
inline constexpr uint64_t QV_SETUP_SIZE_LIMIT = 512ull * 1024 * 1024;

class TSetupDownload {
 public:
  // sizeLimit: the most it writes (tests give a small one).
  TSetupDownload(IInternetPort& internet, std::string url, uint64_t sizeLimit = QV_SETUP_SIZE_LIMIT)
      : m_internet(internet), m_url(std::move(url)), m_sizeLimit(sizeLimit) {}
  TSetupDownload(const TSetupDownload&) = delete;
  TSetupDownload& operator=(const TSetupDownload&) = delete;

  // The GET of the setup, each block written to file as it arrives. progress(received,
  // total) follows every block; total is 0 when the answer announced no length. True when
  // the whole answer of a successful request was written. An HTTP status outside 2xx, a
  // broken transfer, an answer shorter than announced, one that passes the announced length
  // or the size limit (an announced length above the limit fails before any block), a
  // write that fails or a cancel give false, with what was written so far left in file.
  bool Fetch(IOpenFile& file, const std::function<void(uint64_t received, uint64_t total)>& progress);
  // From any thread; a fetch after it opens nothing.
  void Cancel();
  bool Cancelled() const { return m_cancelled; }

 private:
  // The session of the running fetch, known to Cancel only while it is open; false
  // (attaching nothing) once cancelled.
  bool Attach(TInternetRaw session);
  void Detach();
  bool Receive(TInternetRaw session, IOpenFile& file,
               const std::function<void(uint64_t received, uint64_t total)>& progress);

  IInternetPort& m_internet;
  std::string m_url;
  uint64_t m_sizeLimit;
  std::mutex m_lock;
  TInternetRaw m_session = nullptr;
  std::atomic<bool> m_cancelled{false};
};
