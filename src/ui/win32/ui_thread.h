// TWin32UiThread: the "post to the UI thread" port over a message-only window.
// A worker's closure travels in a posted message; one that cannot be posted is
// freed at once, and closures still queued at Close are freed without running.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>

#include "ui/ui_thread_port.h"

class TWin32UiThread : public IUiThreadPort {
 public:
  // Create on the UI thread: the message-only window belongs to it.
  TWin32UiThread();
  ~TWin32UiThread() override;
  TWin32UiThread(const TWin32UiThread&) = delete;
  TWin32UiThread& operator=(const TWin32UiThread&) = delete;

  bool Post(std::function<void()> work) override;
  bool IsUiThread() const override { return GetCurrentThreadId() == m_thread; }
  // Refuses every later Post and frees what is still queued (on the UI thread).
  void Close();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  DWORD m_thread;
  HWND m_hwnd = nullptr;
  std::mutex m_mutex;  // Post against Close
  bool m_closed = false;
};
