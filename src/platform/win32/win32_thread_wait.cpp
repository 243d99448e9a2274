#include "platform/win32/win32_thread_wait.h"

#include <windows.h>
#include <process.h>

#include <system_error>

#include "platform/win32/win32_handles.h"

namespace {

unsigned __stdcall RunWork(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return 0;
}

// Dispatches the messages waiting for this thread; false when one was WM_QUIT, whose
// exit code is kept so that it can be posted again for the message loop it belongs to.
bool DispatchWaitingMessages(int& quitCode) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quitCode = static_cast<int>(message.wParam);
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

}  // namespace

void TWin32ThreadWait::RunAndWait(const std::function<void()>& work) {
  const uintptr_t started =
      _beginthreadex(nullptr, 0, &RunWork, const_cast<std::function<void()>*>(&work), 0, nullptr);
  if (started == 0) throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
  TKernelHandle thread(reinterpret_cast<HANDLE>(started));
  HANDLE handle = thread.Get();
  bool quit = false;
  int quitCode = 0;
  for (;;) {
    const DWORD wait = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) break;
    if (wait == WAIT_OBJECT_0 + 1) {
      if (!quit && !DispatchWaitingMessages(quitCode)) quit = true;
      // After WM_QUIT nothing more is dispatched; the thread alone is waited for.
      if (quit && WaitForSingleObject(handle, INFINITE) == WAIT_OBJECT_0) break;
      continue;
    }
    const DWORD error = GetLastError();
    WaitForSingleObject(handle, INFINITE);  // the thread still uses work
    throw std::system_error(static_cast<int>(error), std::system_category());
  }
  if (quit) PostQuitMessage(quitCode);
}
