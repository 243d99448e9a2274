// qv_update_answer: drives an installed Quorvane.exe through its own update for
// tests/e2e/setup_under_wine.sh. Starts the program (with "Check Update" on and a
// server offering a newer version), answers Yes to its question and checks the
// outcome: "started" when the program closes for its setup, "refused" when it tells
// that the download could not be verified, deletes the file and stays.
// Usage: qv_update_answer.exe PROGRAM.exe started|refused   (exit code 0: as expected)
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/program_update.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/message_dialog.h"
#include "ui_win32/program_under_test.h"

using namespace program_under_test;

namespace {

constexpr const wchar_t* QUESTION_TITLE = L"Quorvane Software Update Available";
constexpr const wchar_t* REFUSAL = L"The downloaded update could not be verified and was not started.";

int Fail(const std::string& text) {
  std::printf("qv_update_answer: %s\n", text.c_str());
  return 1;
}

void Press(HWND box, int buttonId) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
}

int Run(const std::wstring& program, bool expectStarted) {
  std::wstring command = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return Fail("the program did not start");
  }
  CloseHandle(info.hThread);
  TOwnedHandle<HANDLE, CloseHandle> process(info.hProcess);
  const auto ended = [&](DWORD milliseconds) { return WaitForSingleObject(process.Get(), milliseconds) == WAIT_OBJECT_0; };
  const auto endProgram = [&] {
    if (!ended(0)) TerminateProcess(process.Get(), 99);
  };

  HWND question = nullptr;
  std::wstring texts;
  if (!WaitFor([&] { return (question = DialogOf(info.dwProcessId, &texts)) != nullptr; }, 60s)) {
    endProgram();
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    return Fail(ended(0) ? "the program ended with " + std::to_string(code) : "no update question came");
  }
  if (TextOf(question) != QUESTION_TITLE) {
    endProgram();
    return Fail("the program asked: " + WideToUtf8(TextOf(question)) + ": " + WideToUtf8(texts));
  }
  Press(question, QV_BOX_YES_ID);
  if (expectStarted) {
    if (!ended(60000)) {
      endProgram();
      return Fail("the program did not close for its setup");
    }
    std::printf("qv_update_answer: the program closed for its setup\n");
    return 0;
  }

  HWND refusal = nullptr;
  WaitFor([&] { return !IsWindow(question); }, 10s);
  if (!WaitFor([&] { return (refusal = DialogOf(info.dwProcessId, &texts)) != nullptr; }, 60s)) {
    endProgram();
    return Fail(ended(0) ? "the program closed: the setup was started" : "no message came");
  }
  int result = 0;
  TWin32Shell shell;
  if (texts.find(REFUSAL) == std::wstring::npos) result = Fail("the message says: " + WideToUtf8(texts));
  if (GetFileAttributesW(Utf8ToWide(TProgramUpdate::SetupFilePath(shell)).c_str()) != INVALID_FILE_ATTRIBUTES) {
    result = Fail("the refused setup was kept");
  }
  Press(refusal, QV_BOX_OK_ID);
  if (ended(2000)) result = Fail("the program ended after the refusal");
  if (HWND window = MainWindowOf(info.dwProcessId)) PostMessageW(window, WM_CLOSE, 0, 0);
  if (!ended(15000)) {
    endProgram();
    result = Fail("the program did not close afterwards");
  }
  if (result == 0) std::printf("qv_update_answer: refused, told, file deleted\n");
  return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 || (std::wstring(argv[2]) != L"started" && std::wstring(argv[2]) != L"refused")) {
    return Fail("usage: qv_update_answer.exe PROGRAM.exe started|refused");
  }
  return Run(argv[1], std::wstring(argv[2]) == L"started");
}
