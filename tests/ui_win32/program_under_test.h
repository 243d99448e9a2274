// Driving Quorvane.exe from a test process: starting it, finding its windows,
// clicking its navigation and reading its texts and message boxes, all through
// window messages as a user's input would arrive.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <thread>

#include "app/main_form.h"
#include "app/result_row.h"
#include "app/results_page.h"
#include "ui/shell_layout.h"
#include "ui/win32/card_panel.h"
#include "ui/win32/dpi.h"

namespace program_under_test {

using namespace std::chrono_literals;

inline std::wstring ProgramBeside(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder + name;
}

// A started program; ended at the end of the scope if it still runs.
class TProcess {
 public:
  explicit TProcess(const std::wstring& arguments = L"", const wchar_t* program = L"Quorvane.exe") {
    std::wstring command = L"\"" + ProgramBeside(program) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_info)) {
      CloseHandle(m_info.hThread);
    }
  }
  // The running process `processId`, started elsewhere (a copy the program started itself).
  explicit TProcess(DWORD processId) {
    m_info.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (m_info.hProcess) m_info.dwProcessId = processId;
  }
  ~TProcess() {
    if (!m_info.hProcess) return;
    if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_info.hProcess, 99);
    CloseHandle(m_info.hProcess);
  }
  TProcess(const TProcess&) = delete;
  TProcess& operator=(const TProcess&) = delete;

  bool Started() const { return m_info.hProcess != nullptr; }
  // The exit code once the process has ended within the time; nothing otherwise.
  std::optional<DWORD> WaitForExit(std::chrono::milliseconds limit) {
    if (WaitForSingleObject(m_info.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(m_info.hProcess, &code);
    return code;
  }
  DWORD Id() const { return m_info.dwProcessId; }

 private:
  PROCESS_INFORMATION m_info{};
};

inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return condition();
}

// The first window of the process with the class name (and shown, when asked), or null.
inline HWND WindowOf(DWORD processId, const wchar_t* className, bool shown) {
  struct TSearch {
    DWORD processId;
    const wchar_t* className;
    bool shown;
    HWND found;
  } search{processId, className, shown, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<TSearch*>(data);
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->processId && lstrcmpW(name, s->className) == 0 && (!s->shown || IsWindowVisible(hwnd))) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The main window of the process, or null.
inline HWND MainWindowOf(DWORD processId) { return WindowOf(processId, QV_MAIN_CLASS, false); }

inline int CountMainWindows() {
  int count = 0;
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        if (lstrcmpW(name, QV_MAIN_CLASS) == 0) ++*reinterpret_cast<int*>(data);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

// The index of the one visible card; -1 when none or several are visible.
inline int VisibleCard(HWND window) {
  HWND cards = GetDlgItem(window, idContentCards);
  int visible = -1;
  for (int i = 0; i < 11; ++i) {
    HWND card = GetDlgItem(cards, TCardPanel::FIRST_CARD_ID + i);
    if (!card) return -1;
    if (IsWindowVisible(card)) {
      if (visible != -1) return -1;
      visible = i;
    }
  }
  return visible;
}

// The middle of a navigation list's item, as a mouse message's position.
inline LPARAM NavigationItemPoint(HWND list, int index) {
  RECT client{};
  GetClientRect(list, &client);
  TLayoutRect item = NavigationItemRect(index, client.right, WindowDpi(list));
  return MAKELPARAM(client.right / 2, (item.top + item.bottom) / 2);
}

// A left click in the middle of navigation item `index`, as mouse messages.
inline void ClickNavigation(HWND list, int index) {
  const LPARAM at = NavigationItemPoint(list, index);
  SendMessageW(list, WM_MOUSEMOVE, 0, at);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
}

inline std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return text;
}

// The first shown dialog box (message box, question) of the process and its
// texts (the static controls' texts joined), or null.
inline HWND DialogOf(DWORD processId, std::wstring* texts = nullptr) {
  HWND found = WindowOf(processId, L"#32770", true);
  if (found && texts) {
    texts->clear();
    EnumChildWindows(
        found,
        [](HWND child, LPARAM data) -> BOOL {
          wchar_t name[64] = {};
          GetClassNameW(child, name, 64);
          if (lstrcmpiW(name, L"Static") == 0) *reinterpret_cast<std::wstring*>(data) += TextOf(child);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(texts));
  }
  return found;
}

// Ends a program through its window as the close button does, answering OK to
// any box on the way (a scan's message, the question whether to stop a scan).
inline std::optional<DWORD> CloseAnswering(TProcess& process, HWND window) {
  if (window && IsWindow(window)) PostMessageW(window, WM_CLOSE, 0, 0);
  const auto end = std::chrono::steady_clock::now() + 15s;
  while (std::chrono::steady_clock::now() < end) {
    if (auto code = process.WaitForExit(100ms)) return code;
    if (HWND dialog = DialogOf(process.Id())) PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  }
  return process.WaitForExit(0ms);
}

// The card of page `index` in the window.
inline HWND CardOf(HWND window, int index) {
  return GetDlgItem(GetDlgItem(window, idContentCards), TCardPanel::FIRST_CARD_ID + index);
}

// A section of the results page: idOutdatedSection or idUpToDateSection.
inline HWND ResultsSection(HWND window, int sectionId) {
  HWND page = GetDlgItem(CardOf(window, cardScanResults), idResultsPage);
  return GetDlgItem(GetDlgItem(page, idDeviceListGroup), sectionId);
}

// The result rows of a section, top first.
inline std::vector<HWND> SectionRows(HWND section) {
  std::vector<HWND> rows;
  HWND body = section ? FindWindowExW(section, nullptr, L"QvSectionBody", nullptr) : nullptr;
  for (HWND row = body ? FindWindowExW(body, nullptr, TResultPanel::CLASS_NAME, nullptr) : nullptr; row;
       row = FindWindowExW(body, row, TResultPanel::CLASS_NAME, nullptr)) {
    rows.push_back(row);
  }
  return rows;
}

// Memory in another process, for the list view's messages that carry pointers.
class TRemoteBuffer {
 public:
  TRemoteBuffer(DWORD processId, size_t size) : m_size(size) {
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (m_process) m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~TRemoteBuffer() {
    if (m_address) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    if (m_process) CloseHandle(m_process);
  }
  TRemoteBuffer(const TRemoteBuffer&) = delete;
  TRemoteBuffer& operator=(const TRemoteBuffer&) = delete;

  char* Address() const { return static_cast<char*>(m_address); }
  bool Write(const void* data, size_t size, size_t offset = 0) const {
    return WriteProcessMemory(m_process, Address() + offset, data, size, nullptr) != FALSE;
  }
  bool Read(void* data, size_t size, size_t offset = 0) const {
    return ReadProcessMemory(m_process, Address() + offset, data, size, nullptr) != FALSE;
  }

 private:
  HANDLE m_process = nullptr;
  void* m_address = nullptr;
  size_t m_size;
};

// The text of a list view's cell in another process.
inline std::wstring ListItemText(DWORD processId, HWND list, int item, int column = 0) {
  constexpr size_t kChars = 256;
  TRemoteBuffer remote(processId, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  LVITEMW request{};
  request.iSubItem = column;
  request.cchTextMax = kChars;
  request.pszText = reinterpret_cast<wchar_t*>(remote.Address() + sizeof(LVITEMW));
  remote.Write(&request, sizeof(request));
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(remote.Address()));
  wchar_t text[kChars] = {};
  remote.Read(text, sizeof(text) - sizeof(wchar_t), sizeof(LVITEMW));
  return text;
}

// A click of a page's button, as the button reports it to its page.
inline void ClickButton(HWND page, int id) {
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

// Chooses an entry of the open popup menu (window class "#32768") with the
// keyboard: the first Down selects the first entry, Enter chooses.
inline void ChooseMenuItem(HWND menuWindow, int position) {
  for (int i = 0; i <= position; ++i) {
    PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menuWindow, WM_KEYUP, VK_DOWN, 0);
  }
  PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(menuWindow, WM_KEYUP, VK_RETURN, 0);
}

inline HWND FindMenuWindow() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// A value of the program's "config.ini" set for a scope and put back after it.
class TConfigValue {
 public:
  TConfigValue(const wchar_t* section, const wchar_t* key, const wchar_t* value) : m_section(section), m_key(key) {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    m_file = std::wstring(folder) + L"\\Quorvane\\config.ini";
    wchar_t old[256] = {};
    m_hadValue = GetPrivateProfileStringW(section, key, L"\x01", old, 256, m_file.c_str()) > 0 && old[0] != 1;
    m_old = old;
    WritePrivateProfileStringW(section, key, value, m_file.c_str());
  }
  ~TConfigValue() {
    WritePrivateProfileStringW(m_section.c_str(), m_key.c_str(), m_hadValue ? m_old.c_str() : nullptr, m_file.c_str());
  }
  TConfigValue(const TConfigValue&) = delete;
  TConfigValue& operator=(const TConfigValue&) = delete;

 private:
  std::wstring m_section, m_key, m_file, m_old;
  bool m_hadValue = false;
};

}  // namespace program_under_test

// The screenshot steps of the backup pages (backup_pages_test.cpp): the exit
// code of the step the arguments name, or -1 when they name none.
int BackupPagesStep(int argc, char** argv);
// The screenshot step of the schedule page (settings_pages_dpi_test.cpp):
// --show-weekly-page shows the page alone with Weekly chosen; -1 when the
// arguments name no step.
int SettingsPagesStep(int argc, char** argv);
