// The progress window follows UpdateProgress (bar, percentage text and colour,
// status line), and the program update's download against a one-request HTTP
// server in this process: the setup is saved and handed to the shell, failures
// save and start nothing, and a stalled download can be abandoned.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/program_update.h"
#include "app/progress_form.h"
#include "platform/sim/builtin_strings.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_text.h"
#include "support/one_request_server.h"
#include "support/scoped_policy_value.h"
#include "ui/callback_dispatcher.h"
#include "ui/win32/ui_thread.h"
#include "ui/win32/window.h"

namespace {

using namespace std::chrono;

// A plain top-level window standing in for the main window.
class TOwner : public TWindow {
 public:
  bool Create() {
    TClassStyle style;
    style.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return TWindow::Create(L"QvProgressOwner", style, WS_OVERLAPPEDWINDOW, 0, L"owner", {100, 100, 900, 600},
                           nullptr);
  }
  bool closeAsked = false;

 protected:
  bool OnClose() override {
    closeAsked = true;
    return false;
  }
};

void Pump(milliseconds duration) {
  const auto end = steady_clock::now() + duration;
  MSG message;
  while (steady_clock::now() < end) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
}

std::string WindowText(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return WideToUtf8(std::wstring(text));
}

int BarPosition(HWND bar) { return static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)); }
int BarMaximum(HWND bar) { return static_cast<int>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0)); }

// How many pixels of the bar between two fractions of its width, in its middle
// band, are (nearly) the colour.
int CountPixels(HWND bar, COLORREF color, double from, double to) {
  RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RECT client{};
  GetClientRect(bar, &client);
  HDC dc = GetDC(bar);
  int count = 0;
  for (int y = client.bottom / 4; y < client.bottom * 3 / 4; ++y) {
    for (int x = static_cast<int>(client.right * from); x < static_cast<int>(client.right * to); ++x) {
      const COLORREF pixel = GetPixel(dc, x, y);
      if (abs(GetRValue(pixel) - GetRValue(color)) < 24 && abs(GetGValue(pixel) - GetGValue(color)) < 24 &&
          abs(GetBValue(pixel) - GetBValue(color)) < 24)
        ++count;
    }
  }
  ReleaseDC(bar, dc);
  return count;
}

class ProgressForm : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(owner.Create());
    ShowWindow(owner.Handle(), SW_SHOW);
    ASSERT_TRUE(form.Create(owner.Handle()));
  }
  TBuiltinStringTable strings;
  TOwner owner;
  TProgressForm form{strings};
};

TEST_F(ProgressForm, FollowsUpdateProgressAndResetsAtEachShowing) {
  HWND bar = form.ProgressBar();
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  form.ShowProgress("Downloading program update...");
  ASSERT_TRUE(IsWindowVisible(form.Handle()));
  Pump(100ms);
  EXPECT_EQ(GetWindow(form.Handle(), GW_OWNER), owner.Handle());
  EXPECT_EQ(GetWindowLongW(form.Handle(), GWL_STYLE) & WS_SYSMENU, 0);  // no title-bar buttons
  RECT client{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, form.Scale(400));
  EXPECT_EQ(client.bottom, form.Scale(111));
  // Centred on the owner.
  RECT frame{}, ownerFrame{};
  GetWindowRect(form.Handle(), &frame);
  GetWindowRect(owner.Handle(), &ownerFrame);
  EXPECT_NEAR((frame.left + frame.right) / 2, (ownerFrame.left + ownerFrame.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (ownerFrame.top + ownerFrame.bottom) / 2, 1);

  EXPECT_EQ(BarPosition(bar), 0);
  EXPECT_EQ(BarMaximum(bar), 100);
  EXPECT_EQ(WindowText(bar), "0%");
  EXPECT_EQ(WindowText(form.ProgressStatus()), "Downloading program update...");

  struct TCase {
    int value;
    const char* status;
    int position;
    const char* percent;
    bool white;
    const char* statusLine;
  };
  const TCase cases[] = {
      {40, "", 40, "40%", false, "Downloading program update..."},
      {60, "", 60, "60%", true, "Downloading program update..."},
      {30, "", 30, "30%", true, "Downloading program update..."},  // stays white
      {100, "Download complete.", 100, "100%", true, "Download complete."},
  };
  for (const TCase& c : cases) {
    form.UpdateProgress(c.value, c.status);
    EXPECT_EQ(BarPosition(bar), c.position) << c.value;
    EXPECT_EQ(BarMaximum(bar), 100) << c.value;
    EXPECT_EQ(WindowText(bar), c.percent);
    EXPECT_EQ(form.Look().whiteText, c.white) << c.value;
    EXPECT_EQ(WindowText(form.ProgressStatus()), c.statusLine) << c.value;
  }
  // The percentage is painted over the bar in its colour: white on the filled
  // part once past half (the text's middle lies on the filled part).
  form.UpdateProgress(60, "");
  EXPECT_GT(CountPixels(bar, RGB(255, 255, 255), 0.4, 0.58), 0);

  form.HideProgress();
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  form.ShowProgress("Again");
  Pump(50ms);
  EXPECT_EQ(BarPosition(bar), 0);
  EXPECT_EQ(WindowText(bar), "0%");
  EXPECT_FALSE(form.Look().whiteText);
  // Black on the empty part.
  form.UpdateProgress(20, "");
  EXPECT_GT(CountPixels(bar, RGB(0, 0, 0), 0.4, 0.6), 0);
}

TEST_F(ProgressForm, HidesAfterItsPauseWhilePaintingAndAShowingCancelsIt) {
  form.ShowProgress("x");
  bool after = false;
  form.HideProgressAfter(300, [&] { after = true; });
  Pump(100ms);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  Pump(500ms);
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  EXPECT_TRUE(after);

  after = false;
  form.ShowProgress("x");
  form.HideProgressAfter(100, [&] { after = true; });
  form.ShowProgress("y");
  Pump(300ms);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_FALSE(after);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(std::filesystem::path(Utf8ToWide(path)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class ProgressDownload : public ProgressForm {
 protected:
  void SetUp() override {
    ProgressForm::SetUp();
    target = TProgramUpdate::SetupFilePath(machine.shell);
    ASSERT_FALSE(target.empty());
    DeleteFileW(Utf8ToWide(target).c_str());
  }
  void TearDown() override {
    setupUrl.reset();
    DeleteFileW(Utf8ToWide(target).c_str());
  }
  // The administrator's setup address for the update (put back at the end of the test).
  void PointAt(const std::string& url) {
    setupUrl.reset();
    setupUrl.emplace(machine.registry, QV_POLICY_SETUP_URL, url);
  }

  // Runs one download to its end and returns how it ended.
  TProgramUpdateOutcome Run() {
    TWin32UiThread uiThread;
    TCallbackDispatcher dispatcher(uiThread);
    TProgramUpdate update(dispatcher, Ports(), [this](const std::string& text) { errors.push_back(text); });
    EXPECT_TRUE(update.DoProgramUpdate(owner.Handle(), form));
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    EXPECT_EQ(WindowText(form.ProgressStatus()), "Downloading program update...");
    EXPECT_FALSE(update.DoProgramUpdate(owner.Handle(), form));  // one at a time
    const auto start = steady_clock::now();
    MSG message;
    while (update.LastOutcome() == TProgramUpdateOutcome::none && steady_clock::now() - start < 20s) {
      if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
          TranslateMessage(&message);
          DispatchMessageW(&message);
        }
      }
    }
    EXPECT_FALSE(update.Downloading());
    return update.LastOutcome();
  }

  // The machine's ports with the built-in English texts (this program has no string resources).
  TSystemPorts Ports() {
    TWin32Machine& m = machine;
    return TSystemPorts{m.registry, m.osVersion,  m.shell,         m.processes, m.power,
                        m.locale,   m.fileSystem, m.hashing,       strings,     m.devices,
                        m.imageLists, m.moduleVersion, m.internet, m.systemRestore, m.threadWait,
                        m.firmware, m.hardware, m.scheduler};
  }

  TWin32Machine machine;
  std::optional<TScopedPolicyValue> setupUrl;
  std::string target;
  std::vector<std::string> errors;  // what the update told the user
};

TEST_F(ProgressDownload, AnUnverifiedSetupIsDeletedAndNotStarted) {
  // Not a signed program (and this test program has no signer either): it is
  // downloaded whole, then deleted instead of started, and the user is told.
  std::string body;
  for (int i = 0; body.size() < 300000; ++i) body += "not a program, line " + std::to_string(i) + "\r\n";
  TOneRequestServer server(HttpAnswer("200 OK", body, body.size()));
  PointAt(server.Url());
  EXPECT_EQ(Run(), TProgramUpdateOutcome::notVerified);
  EXPECT_EQ(GetFileAttributesW(Utf8ToWide(target).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(errors, (std::vector<std::string>{"The downloaded update could not be verified and was not started."}));
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  EXPECT_EQ(form.Look().percentText, "100%");
  EXPECT_EQ(form.Look().status, "Download complete.");
  EXPECT_FALSE(owner.closeAsked);
  EXPECT_TRUE(IsWindow(owner.Handle()));
  // No partial file is left beside it.
  EXPECT_EQ(GetFileAttributesW(Utf8ToWide(target + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ProgressDownload, ARunningSetupOfTheSameNameKeepsItsFile) {
  // A copy of the command interpreter named like the setup, waiting on its input.
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring folder = Utf8ToWide(target.substr(0, target.rfind('\\'))) + L"\\qv-running-setup";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring running = folder + L"\\QVTEMPINSTALLER.EXE";
  ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\cmd.exe").c_str(), running.c_str(), FALSE));
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE input = nullptr, feed = nullptr;
  ASSERT_TRUE(CreatePipe(&input, &feed, &inherit, 0));
  SetHandleInformation(feed, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  HANDLE discard = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                               nullptr);
  startup.hStdOutput = discard;
  startup.hStdError = discard;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + running + L"\"";
  ASSERT_TRUE(CreateProcessW(running.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &startup, &process));
  CloseHandle(input);
  CloseHandle(discard);

  {
    std::ofstream older(std::filesystem::path(Utf8ToWide(target)), std::ios::binary);
    older << "older setup";
  }
  const std::string body = "newer setup";
  TOneRequestServer server(HttpAnswer("200 OK", body, body.size()));
  PointAt(server.Url());
  EXPECT_EQ(Run(), TProgramUpdateOutcome::notSaved);
  EXPECT_EQ(ReadFileBytes(target), "older setup");
  EXPECT_EQ(form.Look().status, "Download complete.");
  EXPECT_FALSE(owner.closeAsked);

  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 5000);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(feed);
  DeleteFileW(running.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(ProgressDownload, AFailedDownloadSavesAndStartsNothing) {
  for (const TNamedAnswer& c : FailingAnswers()) {
    TOneRequestServer server(c.response);
    PointAt(server.Url());
    EXPECT_EQ(Run(), TProgramUpdateOutcome::failed) << c.name;
    EXPECT_EQ(GetFileAttributesW(Utf8ToWide(target).c_str()), INVALID_FILE_ATTRIBUTES) << c.name;
    EXPECT_FALSE(IsWindowVisible(form.Handle())) << c.name;
    EXPECT_NE(form.Look().status, "Download complete.") << c.name;
    EXPECT_FALSE(owner.closeAsked) << c.name;
  }
  // Nothing listens there.
  PointAt("http://127.0.0.1:1/download/qvsetup.exe");
  EXPECT_EQ(Run(), TProgramUpdateOutcome::failed);
  EXPECT_EQ(GetFileAttributesW(Utf8ToWide(target).c_str()), INVALID_FILE_ATTRIBUTES);
}

// The setup is taken from the administrator's policy only: an address the unelevated
// user sets in the environment is not downloaded.
TEST_F(ProgressDownload, OnlyThePolicyChoosesTheSetup) {
  const std::string body = "setup from the test server";
  TOneRequestServer server(HttpAnswer("200 OK", body, body.size()));
  struct Case {
    const char* name;
    std::optional<std::string> policy;
    std::string expected;
  };
  const Case cases[] = {
      {"environment only", std::nullopt, QV_SETUP_URL},
      {"policy names the test server", server.Url(), server.Url()},
      {"policy not a web address", std::string("C:\\Users\\Public\\qvsetup.exe"), QV_SETUP_URL},
  };
  SetEnvironmentVariableW(L"QUORVANE_SETUP_URL", L"http://attacker.example.org/qvsetup.exe");
  _wputenv(L"QUORVANE_SETUP_URL=http://attacker.example.org/qvsetup.exe");
  for (const Case& c : cases) {
    TScopedPolicyValue policy(machine.registry, QV_POLICY_SETUP_URL, c.policy);
    TWin32UiThread uiThread;
    TCallbackDispatcher dispatcher(uiThread);
    EXPECT_EQ(TProgramUpdate(dispatcher, Ports()).SetupUrl(), c.expected) << c.name;
  }
  SetEnvironmentVariableW(L"QUORVANE_SETUP_URL", nullptr);
  _wputenv(L"QUORVANE_SETUP_URL=");
  // The policy's address is the one downloaded from.
  PointAt(server.Url());
  EXPECT_EQ(Run(), TProgramUpdateOutcome::notVerified);
  EXPECT_TRUE(server.requested);
}

TEST_F(ProgressDownload, AStalledDownloadIsAbandonedWhenTheUpdateEnds) {
  TOneRequestServer server("", true);
  PointAt(server.Url());
  const auto start = steady_clock::now();
  {
    TWin32UiThread uiThread;
    TCallbackDispatcher dispatcher(uiThread);
    TProgramUpdate update(dispatcher, Ports());
    ASSERT_TRUE(update.DoProgramUpdate(owner.Handle(), form));
    while (!server.requested && steady_clock::now() - start < 10s) Pump(20ms);
    ASSERT_TRUE(server.requested);
  }
  EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 10000);
  Pump(100ms);  // what the download had posted is dropped
  EXPECT_EQ(GetFileAttributesW(Utf8ToWide(target).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
