// FetchSetup: the GET of the program's new setup over the internet port into memory,
// on a session of its own that the UI thread can cancel while the worker waits.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/internet.h"

struct TFetchedSetup {
  bool complete = false;  // the whole answer of a successful request arrived
  std::vector<uint8_t> body;
};

// The cancel of one fetch, shared by the worker and the UI thread. The worker's session
// is known to it only while open, so a cancel never reaches a session that has closed.
class TFetchCancel {
 public:
  // Ends the fetch: a wait for the network returns at once and nothing more is read.
  void Cancel();
  bool Cancelled() const { return m_cancelled; }

  // The worker's session from opening to closing; false when cancelled already.
  bool Attach(IInternetPort& internet, TInternetRaw session);
  void Detach();

 private:
  std::mutex m_mutex;
  IInternetPort* m_internet = nullptr;
  TInternetRaw m_session = nullptr;
  std::atomic<bool> m_cancelled{false};
};

// Bytes received so far, and the announced length (0 when the server sent none).
using TFetchProgress = std::function<void(uint64_t received, uint64_t total)>;

// Reads the answer to a GET of url block by block, reporting each. It is complete when
// the status is a success (or unknown), every read succeeded, the fetch was not
// cancelled and, when a length was announced, exactly that many bytes arrived.
TFetchedSetup FetchSetup(IInternetPort& internet, const std::string& url, TFetchCancel& cancel,
                         const TFetchProgress& progress);
