#include "ui/win32/ui_thread.h"

#include <exception>
#include <memory>

#include "ui/win32/private_messages.h"

namespace {

constexpr const wchar_t* QV_UI_THREAD_CLASS = L"QvUiThread";

}  // namespace

TWin32UiThread::TWin32UiThread() : m_thread(GetCurrentThreadId()) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  if (!GetClassInfoExW(instance, QV_UI_THREAD_CLASS, &windowClass)) {
    windowClass.lpfnWndProc = &TWin32UiThread::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = QV_UI_THREAD_CLASS;
    RegisterClassExW(&windowClass);
  }
  m_hwnd = CreateWindowExW(0, QV_UI_THREAD_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  m_closed = m_hwnd == nullptr;
}

TWin32UiThread::~TWin32UiThread() { Close(); }

bool TWin32UiThread::Post(std::function<void()> work) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_closed || !work) return false;
  auto closure = std::make_unique<std::function<void()>>(std::move(work));
  if (!PostMessageW(m_hwnd, QV_RUN_CLOSURE, 0, reinterpret_cast<LPARAM>(closure.get()))) return false;
  closure.release();  // the message owns it now
  return true;
}

void TWin32UiThread::Close() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_hwnd) return;
    m_closed = true;
  }
  // Nothing is posted any more: free what is still queued, then the window.
  MSG message;
  while (PeekMessageW(&message, m_hwnd, QV_RUN_CLOSURE, QV_RUN_CLOSURE, PM_REMOVE)) {
    delete reinterpret_cast<std::function<void()>*>(message.lParam);
  }
  DestroyWindow(m_hwnd);
  m_hwnd = nullptr;
}

LRESULT CALLBACK TWin32UiThread::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != QV_RUN_CLOSURE) return DefWindowProcW(hwnd, message, wParam, lParam);
  std::unique_ptr<std::function<void()>> closure(reinterpret_cast<std::function<void()>*>(lParam));
  try {
    (*closure)();
  } catch (const std::exception& error) {
    OutputDebugStringA(error.what());
  } catch (...) {
    OutputDebugStringA("Quorvane: unknown error in UI-thread work");
  }
  return 0;
}
