// qv_setup_next: presses the default button (Next, I Agree, Install, Finish) of the
// running setup's wizard, as a click would, for installer/screenshots.sh.
// Usage: qv_setup_next.exe   (exit code 1: no setup window)
#include <windows.h>

#include <string>

namespace {

// The wizard: a dialog whose title begins with "Quorvane Setup".
BOOL CALLBACK FindWizard(HWND window, LPARAM found) {
  wchar_t name[64] = {};
  wchar_t title[64] = {};
  GetClassNameW(window, name, 64);
  GetWindowTextW(window, title, 64);
  if (std::wstring(name) == L"#32770" && std::wstring(title).starts_with(L"Quorvane Setup")) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int wmain() {
  HWND wizard = nullptr;
  EnumWindows(FindWizard, reinterpret_cast<LPARAM>(&wizard));
  if (!wizard) return 1;
  PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(wizard, IDOK)));
  return 0;
}
