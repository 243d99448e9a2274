// TMainCallbacks: the main window's side of the engine's callbacks. It owns the
// UI-thread port (a message-only window of the UI thread), the dispatcher over
// it and the relay that is the window's TICallbackHandler, and hands each
// notification the pages show to them on the UI thread.
#pragma once

#include <memory>
#include <string>

#include "engine/callback_handler.h"
#include "ui/callback_dispatcher.h"
#include "ui/callback_view.h"

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

// The backup run's notifications as the backup pages show them: ActiveAction
// and ReleaseBackupList on the worker's thread, the others on the UI thread.
class IBackupProgress {
 public:
  virtual ~IBackupProgress() = default;
  virtual TActiveAction ActiveAction() const = 0;
  virtual void ShowBackupStart() = 0;
  virtual void ShowDriverBackupStart(const std::string& deviceName) = 0;
  virtual void ShowDriverBackupEnd(const std::string& deviceName, bool success) = 0;
  virtual void ShowBackupEnd(bool success) = 0;
  virtual void ReleaseBackupList() = 0;
};

class TMainCallbacks {
 public:
  // Create on the UI thread.
  TMainCallbacks(IScanProgress& scan, IBackupProgress& backup);
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
