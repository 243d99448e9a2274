// TMainCallbacks: the main window's side of the engine's callbacks. It owns the
// UI-thread port (a message-only window of the UI thread), the dispatcher over
// it and the relay that is the window's TICallbackHandler, and hands each
// notification the pages show to them on the UI thread.
#pragma once

#include <memory>
#include <string>

#include "engine/callback_handler.h"
#include "ui/callback_dispatcher.h"

class TCallbackRelay;
class TUpdateFlow;

// The scan's notifications as the overview shows them (UI thread).
class IScanProgress {
 public:
  virtual ~IScanProgress() = default;
  virtual void ShowScanningDevice(const std::string& deviceName) = 0;
  virtual void ShowCheckingForUpdates() = 0;
  virtual void ShowServerProblem() = 0;
  virtual void Repaint() = 0;
};

class TMainCallbacks {
 public:
  // Create on the UI thread.
  explicit TMainCallbacks(IScanProgress& scan);
  ~TMainCallbacks();
  TMainCallbacks(const TMainCallbacks&) = delete;
  TMainCallbacks& operator=(const TMainCallbacks&) = delete;

  TICallbackHandler& Handler();
  TCallbackDispatcher& Dispatcher();
  TCallbackRelay& Relay();
  // The update flow the download, install and extract notifications go to.
  void AttachUpdates(TUpdateFlow& flow);
  // Nothing more reaches the UI thread; workers waiting for it are released.
  void Shutdown();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> m_impl;
};
