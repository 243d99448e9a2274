// TTaskbarProgress: the progress shown on a window's taskbar button
// (ITaskbarList3). Where the system has no such interface every call does
// nothing. Use on the thread that created it (the UI thread).
#pragma once

#include <windows.h>

#include <cstdint>

struct ITaskbarList3;

enum class TTaskbarState { none, normal, paused, error, indeterminate };

class TTaskbarProgress {
 public:
  // `window` owns the taskbar button. COM is initialised for the calling thread
  // for the object's lifetime (balanced at destruction).
  explicit TTaskbarProgress(HWND window);
  ~TTaskbarProgress();
  TTaskbarProgress(const TTaskbarProgress&) = delete;
  TTaskbarProgress& operator=(const TTaskbarProgress&) = delete;

  // Whether the system offers taskbar progress.
  bool Available() const { return m_taskbar != nullptr; }
  // Each returns whether the taskbar took the change.
  bool SetState(TTaskbarState state);
  bool SetValue(uint64_t done, uint64_t total);
  // The download run's way: a new maximum keeps the position; a step adds to it.
  bool SetMax(uint64_t total);
  bool StepBy(uint64_t amount);
  uint64_t Position() const { return m_done; }
  uint64_t Max() const { return m_total; }

 private:
  bool Show();

  HWND m_window;
  ITaskbarList3* m_taskbar = nullptr;
  bool m_uninitializeCom = false;
  uint64_t m_done = 0;
  uint64_t m_total = 0;
};
