// The ports of the download run and the restore points against Wine's real services:
// the shell's silent recursive delete, the wait that keeps messages flowing, the
// connection state, and WMI's System Restore class.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/restore_points.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_system_restore.h"
#include "platform/win32/win32_thread_wait.h"
#include "windows/wine_detection.h"

namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

class ShellDelete : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("qv-delete-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(root, ignored))
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(root, ignored);
  }
  static void Write(const fs::path& file, const std::string& content) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
  }

  fs::path root;
  TWin32FileSystem fileSystem;
};

TEST_F(ShellDelete, AFolderTreeGoesWithEverythingInIt) {
  const fs::path tree = root / L"12 \u00e9t\u00e9";  // a blank and letters outside ASCII
  Write(tree / "package.zip", "zip");
  Write(tree / "driver" / "x64" / "driver.inf", "inf");
  Write(tree / "driver" / "x64" / "driver.sys", "sys");
  fs::create_directories(tree / "empty");
  const fs::path readOnly = tree / "driver" / "readonly.cat";
  Write(readOnly, "cat");
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  Write(root / "12 other" / "keep.txt", "a sibling whose name starts the same");

  EXPECT_TRUE(fileSystem.DeleteTree(0, Utf8(tree)));
  EXPECT_FALSE(fs::exists(tree));
  EXPECT_TRUE(fs::exists(root / "12 other" / "keep.txt"));
}

TEST_F(ShellDelete, AMissingFolderIsAFailure) {
  EXPECT_FALSE(fileSystem.DeleteTree(0, Utf8(root / "missing")));
  EXPECT_TRUE(fs::exists(root));
}

// A window of the calling thread that answers one message by setting an event.
class TSignalWindow {
 public:
  static constexpr UINT SIGNAL_MESSAGE = WM_APP + 7;

  TSignalWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QvThreadWaitTest";
    RegisterClassW(&windowClass);
    handle = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
    handled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(handled));
  }
  ~TSignalWindow() {
    DestroyWindow(handle);
    CloseHandle(handled);
  }

  HWND handle;
  HANDLE handled;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == SIGNAL_MESSAGE) {
      SetEvent(reinterpret_cast<HANDLE>(GetWindowLongPtrW(window, GWLP_USERDATA)));
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
};

TEST(ThreadWait, TheWorkRunsElsewhereWhileThisThreadsMessagesAreDispatched) {
  TSignalWindow window;
  ASSERT_NE(window.handle, nullptr);
  TWin32ThreadWait wait;
  std::atomic<DWORD> workThread{0};
  std::atomic<DWORD> answered{WAIT_FAILED};
  wait.RunAndWait([&] {
    workThread = GetCurrentThreadId();
    // Only a waiting thread that dispatches its messages lets the window answer.
    PostMessageW(window.handle, TSignalWindow::SIGNAL_MESSAGE, 0, 0);
    answered = WaitForSingleObject(window.handled, 10000);
  });
  EXPECT_NE(workThread.load(), GetCurrentThreadId());
  EXPECT_EQ(answered.load(), WAIT_OBJECT_0);
}

TEST(ThreadWait, AQuitMessageDuringTheWaitIsPostedAgainAfterIt) {
  TWin32ThreadWait wait;
  const DWORD waiting = GetCurrentThreadId();
  wait.RunAndWait([waiting] {
    PostThreadMessageW(waiting, WM_QUIT, 5, 0);
    Sleep(200);
  });
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 5u);
}

TEST(DownloadInternet, TheSystemReportsAConnection) {
  TWin32Internet internet;
  uint32_t flags = 0xFFFFFFFF;
  // Wine reports a connection whenever the machine has a network interface; so does Windows.
  EXPECT_TRUE(internet.ConnectedState(flags));
  EXPECT_NE(flags, 0xFFFFFFFFu);
}

TEST(DownloadInternet, LastResponseInfoOfAThreadWithoutRequests) {
  TWin32Internet internet;
  uint32_t error = 12345;
  std::string text = "old";
  // A thread that made no WinInet request has no response to describe.
  std::thread fresh([&] { EXPECT_TRUE(internet.LastResponseInfo(error, text, LAST_RESPONSE_INFO_CHARS)); });
  fresh.join();
  EXPECT_EQ(error, 0u);
  EXPECT_EQ(text, "");
}

// Wine deviation: Wine (8.0) has WMI's namespace root\DEFAULT with the class
// "SystemRestore" and its methods, and the locator connects and gets the class object,
// but its scripting object cannot call a method: IDispatch::Invoke with DISPATCH_METHOD
// answers E_NOTIMPL ("flags 0x1 not supported"). Both methods therefore fail with that
// HRESULT, which the program shows in its message. On Windows the calls would create a
// real restore point or switch System Restore on, so they run under Wine only.
TEST(SystemRestore, WinesScriptingObjectCannotCallTheMethods) {
  if (!RunsUnderWine()) GTEST_SKIP() << "creates a real restore point on Windows";
  constexpr uint32_t WINE_E_NOTIMPL = 0x80004001;
  TWin32SystemRestore systemRestore;
  // Run on a thread of its own, as the program does, with COM set up there.
  TWmiMethodResult created, enabled;
  std::thread worker([&] {
    ASSERT_TRUE(systemRestore.InitializeCom());
    created = systemRestore.CreateRestorePoint("Quorvane test", DEVICE_DRIVER_INSTALL, BEGIN_SYSTEM_CHANGE);
    enabled = systemRestore.Enable("C:\\");
    systemRestore.UninitializeCom();
  });
  worker.join();
  EXPECT_FALSE(created.returned);
  EXPECT_EQ(created.hresult, WINE_E_NOTIMPL) << std::hex << created.hresult;
  EXPECT_FALSE(enabled.returned);
  EXPECT_EQ(enabled.hresult, WINE_E_NOTIMPL) << std::hex << enabled.hresult;
}

class TMessageRecorder : public IMessageSink {
 public:
  int QvMessageBox(const std::string& ATitle, const std::string& AMsg, int AType) override {
    title = ATitle;
    text = AMsg;
    kind = AType;
    ++count;
    return 1;
  }
  std::string title, text;
  int kind = -1;
  int count = 0;
};

// The whole path on this machine: the thread with COM, the message it hands back, and the
// frequency value left as it was found (absent).
TEST(SystemRestore, ARestorePointUnderWineFailsWithTheMessage) {
  if (!RunsUnderWine()) GTEST_SKIP() << "creates a real restore point on Windows";
  TWin32Machine machine;
  TMessageRecorder sink;
  EXPECT_FALSE(CreateSystemRestorePoint(machine.Ports(), &sink, "Quorvane test"));
  EXPECT_EQ(sink.count, 1);
  EXPECT_EQ(sink.title, "Quorvane");
  EXPECT_EQ(sink.kind, 0);
  EXPECT_EQ(sink.text,
            "System Restore point could not be created.\r\nError code 80004001\r\nPlease check system settings or "
            "contact support.");
  auto key = machine.registry.OpenKey(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY, TRegAccess::Read, false);
  if (key) {
    EXPECT_EQ(key->ValueType(RP_CREATION_FREQUENCY_VALUE), std::nullopt);
  }
}

TEST(SystemRestore, WithoutComTheLocatorCannotBeCreated) {
  TWin32SystemRestore systemRestore;
  TWmiMethodResult result;
  std::thread worker([&] { result = systemRestore.Enable("C:\\"); });  // no CoInitialize on this thread
  worker.join();
  EXPECT_FALSE(result.returned);
  EXPECT_EQ(result.hresult, static_cast<uint32_t>(CO_E_NOTINITIALIZED)) << std::hex << result.hresult;
}

}  // namespace
