#include "ui/win32/dpi.h"

#include <cstdlib>

#include "platform/win32/win32_handles.h"
#include "ui/shell_layout.h"

namespace {

// GetDpiForWindow and GetDpiForSystem exist from Windows 10 1607; resolved at
// run time so the program still starts on older systems.
template <typename T>
T UserFunction(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int ScreenDpi() {
  TClientDC screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : QV_DESIGN_DPI;
  return dpi > 0 ? dpi : QV_DESIGN_DPI;
}

}  // namespace

std::optional<int> DpiOverride() {
  static const std::optional<int> value = ParseDpiOverride(std::getenv("QUORVANE_DPI"));
  return value;
}

int WindowDpi(HWND hwnd) {
  if (auto forced = DpiOverride()) return *forced;
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = UserFunction<TGetDpiForWindow>("GetDpiForWindow");
  if (getDpiForWindow && hwnd) {
    UINT dpi = getDpiForWindow(hwnd);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

int SystemDpi() {
  if (auto forced = DpiOverride()) return *forced;
  using TGetDpiForSystem = UINT(WINAPI*)();
  static const auto getDpiForSystem = UserFunction<TGetDpiForSystem>("GetDpiForSystem");
  if (getDpiForSystem) {
    UINT dpi = getDpiForSystem();
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}
