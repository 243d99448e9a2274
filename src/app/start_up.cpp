#include "app/start_up.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "app/main_form.h"
#include "app/splash_form.h"
#include "core/data_model.h"
#include "core/windows_policies.h"
#include "engine/data_manager.h"
#include "gui_resources.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_text.h"
#include "ui/command_line.h"
#include "ui/win32/private_messages.h"

namespace {

// Waits for the process to end; a process that cannot be opened (it has
// ended, or never existed) is not waited for.
void WaitForPredecessor(uint32_t processId) {
  TKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  if (!process) return;
  WaitForSingleObject(process.Get(), INFINITE);
}

std::wstring SystemErrorText(DWORD code) {
  TLocalMemory<wchar_t> buffer;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.Receive()), 0, nullptr);
  std::wstring text = length ? std::wstring(buffer.Get(), length) : std::wstring();
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
  return text;
}

void ShowStartError(const std::wstring& text) { MessageBoxW(nullptr, text.c_str(), L"Quorvane", MB_OK | MB_ICONERROR); }

// The wheel scrolls what is under the pointer, not what has the focus: the
// window holding the mouse capture, else the window under the pointer, when
// it is one of this thread's.
void ReaddressWheel(MSG& message) {
  HWND target = GetCapture();
  if (!target) {
    POINT at{static_cast<short>(LOWORD(message.lParam)), static_cast<short>(HIWORD(message.lParam))};
    target = WindowFromPoint(at);
  }
  if (target && GetWindowThreadProcessId(target, nullptr) == GetCurrentThreadId()) message.hwnd = target;
}

// Handles one message of the UI thread; the queued start-up refresh is a
// thread message and reaches the window through here.
void DispatchOne(MSG& message, TDriverAppForm* form) {
  if (message.hwnd == nullptr && message.message == QV_STARTUP_REFRESH) {
    if (form && form->Handle()) form->UpdateGUI(false);
    return;
  }
  if (message.message == WM_MOUSEWHEEL || message.message == WM_MOUSEHWHEEL) ReaddressWheel(message);
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace

int RunQuorvane(const std::vector<std::string>& parameters) {
  const TStartSwitches switches = ReadStartSwitches(parameters);

  // 1. A restarted copy waits for its predecessor to end. It does so before
  // the data model reads "config.ini" and "config.bin", so it reads what the
  // predecessor saved while closing.
  if (switches.pidPresent) {
    if (auto processId = ParseProcessId(switches.pidText)) WaitForPredecessor(*processId);
  }

  // COM on this thread for the calls made from the window (System Restore among them).
  TComScope com;
  // The two global objects: the data model, then the engine over it.
  TWin32Machine machine;
  // The interface language chosen for this program, before the first text.
  machine.strings.SetLanguage(LoadLanguageChoice(machine.registry, machine.processes.ModuleFileName()));
  std::unique_ptr<TDriverDatamodel> model;
  std::unique_ptr<TDataManager> engine;
  try {
    model = std::make_unique<TDriverDatamodel>(machine.Ports());
    engine = std::make_unique<TDataManager>(*model, machine.Ports());
  } catch (const std::exception& error) {
    ShowStartError(Utf8ToWide(error.what()));
    return 1;
  }

  // 2. Single instance: a second copy brings the first one forward and ends.
  TKernelHandle lock(CreateMutexW(nullptr, FALSE, L"APPID"));
  if (!lock) {
    const DWORD code = GetLastError();
    wchar_t head[64];
    wsprintfW(head, L"System Error.  Code: %d.\r\n", static_cast<int>(code));
    ShowStartError(head + SystemErrorText(code));
    return static_cast<int>(code);
  }
  // The lock is held while the program runs.
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (HWND running = FindWindowW(QV_MAIN_CLASS, nullptr)) {
      // This copy was started by the user, so it may hand the foreground on to the first.
      DWORD firstCopy = 0;
      GetWindowThreadProcessId(running, &firstCopy);
      AllowSetForegroundWindow(firstCopy);
      SendMessageW(running, QV_BRING_FORWARD, 0, 0);
    }
    return 0;
  }

  // 3. One refresh of the window's texts, queued to this thread (which gets
  // its message queue here).
  MSG message;
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  PostThreadMessageW(GetCurrentThreadId(), QV_STARTUP_REFRESH, 0, 0);

  // 4. The application: common controls version 6.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES | ICC_LINK_CLASS};
  InitCommonControlsEx(&controls);

  // 5. The scan switch starts minimised, without showing the window.
  bool showMainWindow = true;
  if (!parameters.empty()) {
    model->SetScanMinimized(switches.scan);
    showMainWindow = !model->ScanMinimized();
  }

  // 7. The splash, shown only when the setting asks for it and no scan switch was given.
  TIcon mark(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUORVANE), IMAGE_ICON, 128, 128, 0)));
  auto splash = std::make_unique<TSplashScreenForm>(machine.strings, machine.moduleVersion, mark.Get());
  splash->Create();
  if (model->ShowSplash() && !model->ScanMinimized() && splash->Handle()) {
    ShowWindow(splash->Handle(), SW_SHOW);
    UpdateWindow(splash->Handle());
  }

  // 6., 9., 10. The main window owns the taskbar button and carries the title.
  TDriverAppForm form(*model, *engine, machine.Ports());
  if (!form.Create()) {
    const DWORD code = GetLastError();
    wchar_t head[64];
    wsprintfW(head, L"System Error.  Code: %d.\r\n", static_cast<int>(code));
    ShowStartError(head + SystemErrorText(code));
    return static_cast<int>(code ? code : 1);
  }

  // 11. The splash holds the start until its time is up; the loop waits for
  // messages rather than spinning.
  bool quit = false;
  while (splash->Handle() && !splash->Completed()) {  // a splash that was never made holds nothing
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    DispatchOne(message, &form);
  }
  // 12.
  if (splash->Handle() && IsWindowVisible(splash->Handle())) ShowWindow(splash->Handle(), SW_HIDE);
  splash.reset();
  mark.Reset();
  if (quit) return 0;

  if (showMainWindow) form.ShowFirstTime();
  // 13. A minimised scan.
  if (model->ScanMinimized()) {
    form.MinimizeApplication();
    form.ExecuteStartScan();
  }

  // 14. The message loop, until the main window has been destroyed.
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchOne(message, &form);
  return 0;
}
