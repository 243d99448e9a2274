// The program's message box as a user meets it: a driver thread finds the
// dialog, reads its caption, text and buttons, and answers it through window
// messages (a click, the frame's close command, Enter or Escape) while the
// test thread runs the box. Then the message sink from a worker thread.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/builtin_strings.h"
#include "ui/callback_dispatcher.h"
#include "ui/win32/dialog_message_sink.h"
#include "ui/win32/message_dialog.h"
#include "ui/win32/ui_thread.h"

namespace {

using namespace std::chrono_literals;

enum class TAct { click, frameClose, enter, escape };

struct TAction {
  TAct act;
  int id = 0;  // the button clicked
};

// What the driver saw of the box.
struct TBoxView {
  bool found = false;
  DWORD thread = 0;
  std::wstring title;
  std::wstring text;
  std::wstring textClass;
  std::vector<std::wstring> buttons;  // shown, left to right
  std::wstring okHint;
  bool ownerEnabled = true;
  bool textFits = false;
  COLORREF background = CLR_INVALID;
  RECT box{};
};

std::wstring TextOf(HWND hwnd) {
  wchar_t buffer[1024] = {};
  GetWindowTextW(hwnd, buffer, 1024);
  return buffer;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

// The shown dialog box of the thread, or null.
HWND ShownBoxOf(DWORD thread) {
  HWND found = nullptr;
  EnumThreadWindows(
      thread,
      [](HWND hwnd, LPARAM param) {
        if (ClassOf(hwnd) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The hint text of a tooltip window owned by the box.
std::wstring HintOf(HWND box, DWORD thread) {
  struct TSearch {
    HWND box;
    HWND tips;
  } search{box, nullptr};
  EnumThreadWindows(
      thread,
      [](HWND hwnd, LPARAM param) {
        auto* s = reinterpret_cast<TSearch*>(param);
        if (ClassOf(hwnd) != TOOLTIPS_CLASSW || GetWindow(hwnd, GW_OWNER) != s->box) return TRUE;
        s->tips = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (!search.tips) return L"";
  wchar_t text[256] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.lpszText = text;
  if (!SendMessageW(search.tips, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) return L"";
  return text;
}

// Whether the text control shows its whole text at its size, in its font.
bool TextFits(HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  const std::wstring text = TextOf(control);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT needed{0, 0, client.right, 0};
  DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return needed.bottom <= client.bottom && needed.right <= client.right;
}

// From a thread of its own: waits for the box of `uiThread`, reads it and acts.
class TBoxDriver {
 public:
  TBoxDriver(DWORD uiThread, HWND owner, TAction action, std::chrono::milliseconds limit = 15s)
      : m_thread([=, this] { Run(uiThread, owner, action, limit); }) {}
  ~TBoxDriver() { Join(); }
  TBoxDriver(const TBoxDriver&) = delete;
  TBoxDriver& operator=(const TBoxDriver&) = delete;

  const TBoxView& View() {
    Join();
    return m_view;
  }

 private:
  void Join() {
    if (m_thread.joinable()) m_thread.join();
  }

  void Run(DWORD uiThread, HWND owner, TAction action, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    HWND box = nullptr;
    while (!(box = ShownBoxOf(uiThread)) && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(20ms);
    if (!box) return;
    m_view.found = true;
    m_view.thread = GetWindowThreadProcessId(box, nullptr);
    m_view.title = TextOf(box);
    m_view.text = TextOf(GetDlgItem(box, QV_BOX_TEXT_ID));
    m_view.textFits = TextFits(GetDlgItem(box, QV_BOX_TEXT_ID));
    m_view.textClass = ClassOf(GetDlgItem(box, QV_BOX_TEXT_ID));
    m_view.ownerEnabled = owner && IsWindowEnabled(owner);
    GetWindowRect(box, &m_view.box);
    std::vector<std::pair<LONG, std::wstring>> buttons;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ClassOf(child) != L"Button" || !IsWindowVisible(child)) continue;
      RECT rect{};
      GetWindowRect(child, &rect);
      buttons.emplace_back(rect.left, TextOf(child));
    }
    std::sort(buttons.begin(), buttons.end());
    for (auto& [left, caption] : buttons) m_view.buttons.push_back(caption);
    m_view.okHint = HintOf(box, uiThread);
    HDC screen = GetDC(nullptr);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(box, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(screen), reinterpret_cast<LPARAM>(box)));
    ReleaseDC(nullptr, screen);
    LOGBRUSH logBrush{};
    if (brush && GetObjectW(brush, sizeof(logBrush), &logBrush)) m_view.background = logBrush.lbColor;

    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    switch (action.act) {
      case TAct::click:
        PostMessageW(GetDlgItem(box, action.id), BM_CLICK, 0, 0);
        break;
      case TAct::frameClose:
        PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      case TAct::enter:
      case TAct::escape:
        GetGUIThreadInfo(uiThread, &info);
        PostMessageW(info.hwndFocus ? info.hwndFocus : box, WM_KEYDOWN,
                     action.act == TAct::enter ? VK_RETURN : VK_ESCAPE, 0);
        break;
    }
  }

  TBoxView m_view;
  std::thread m_thread;
};

// A plain visible top-level window to own the boxes.
class TOwner {
 public:
  TOwner() {
    m_hwnd = CreateWindowExW(0, WC_STATICW, L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200, 700, 500, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~TOwner() { DestroyWindow(m_hwnd); }
  TOwner(const TOwner&) = delete;
  TOwner& operator=(const TOwner&) = delete;
  HWND Handle() const { return m_hwnd; }

 private:
  HWND m_hwnd;
};

TEST(MessageDialog, ButtonsCaptionsAndAnswers) {
  const std::wstring yes = L"Yes", no = L"No", ok = L"OK", cancel = L"&Cancel";
  struct Case {
    int kind;
    TAction action;
    std::vector<std::wstring> buttons;
    int answer;
  } cases[] = {
      {13, {TAct::click, QV_BOX_YES_ID}, {yes, no}, 6},
      {13, {TAct::click, QV_BOX_CANCEL_ID}, {yes, no}, 2},
      {13, {TAct::frameClose}, {yes, no}, 2},
      {13, {TAct::escape}, {yes, no}, 2},
      {13, {TAct::enter}, {yes, no}, 2},  // Enter is the safe "No"
      {12, {TAct::click, QV_BOX_OK_ID}, {ok, cancel}, 1},
      {12, {TAct::click, QV_BOX_CANCEL_ID}, {ok, cancel}, 2},
      {12, {TAct::frameClose}, {ok, cancel}, 2},
      {12, {TAct::enter}, {ok, cancel}, 1},
      {12, {TAct::escape}, {ok, cancel}, 2},
      {36, {TAct::click, QV_BOX_OK_ID}, {yes, no}, 7},
      {36, {TAct::click, QV_BOX_YES_ID}, {yes, no}, 6},
      {36, {TAct::frameClose}, {yes, no}, 7},
      {36, {TAct::escape}, {yes, no}, 7},
      {36, {TAct::enter}, {yes, no}, 7},
      {9, {TAct::click, QV_BOX_OK_ID}, {L"Continue"}, 3},
      {9, {TAct::frameClose}, {L"Continue"}, 4},
      {7, {TAct::click, QV_BOX_OK_ID}, {L"Next"}, 3},
      {8, {TAct::click, QV_BOX_OK_ID}, {L"Download"}, 5},
      {8, {TAct::escape}, {L"Download"}, 4},
      {0, {TAct::click, QV_BOX_OK_ID}, {ok}, 7},
      {0, {TAct::frameClose}, {ok}, 7},
      {6, {TAct::enter}, {ok}, 7},
  };
  TBuiltinStringTable strings;
  TOwner owner;
  for (const Case& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind) + " action " + std::to_string(static_cast<int>(c.action.act)));
    TBoxDriver driver(GetCurrentThreadId(), owner.Handle(), c.action);
    const int answer = QvMessageBox(owner.Handle(), strings, "Quorvane", "Uninstall this device?", c.kind);
    const TBoxView& view = driver.View();
    ASSERT_TRUE(view.found);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(view.buttons, c.buttons);
    EXPECT_EQ(view.title, L"Quorvane");
    EXPECT_EQ(view.text, L"Uninstall this device?");
    EXPECT_EQ(view.okHint, c.kind == 8 ? L"Open browser with download page" : L"");
    EXPECT_EQ(view.background, RGB(215, 228, 242));
    EXPECT_FALSE(view.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  }
}

TEST(MessageDialog, SizedToItsTextAndCentredOnTheOwner) {
  TBuiltinStringTable strings;
  TOwner owner;
  std::string text = "Oops! There seems to be a problem communicating with the server.\r\n\r\n";
  for (int i = 0; i < 6; ++i) text += "Please check your Internet connection and then click the Start Scan button again. ";
  TBoxDriver driver(GetCurrentThreadId(), owner.Handle(), {TAct::click, QV_BOX_OK_ID});
  EXPECT_EQ(QvMessageBox(owner.Handle(), strings, "Quorvane", text, 6), 7);
  const TBoxView& view = driver.View();
  ASSERT_TRUE(view.found);
  EXPECT_TRUE(view.textFits);
  // Long lines wrap: the box stays narrower than the screen.
  EXPECT_LT(view.box.right - view.box.left, GetSystemMetrics(SM_CXSCREEN) / 2);
  RECT ownerRect{};
  GetWindowRect(owner.Handle(), &ownerRect);
  EXPECT_NEAR((view.box.left + view.box.right) / 2, (ownerRect.left + ownerRect.right) / 2, 2);
  EXPECT_NEAR((view.box.top + view.box.bottom) / 2, (ownerRect.top + ownerRect.bottom) / 2, 2);

  // Without an owner the box is centred on the screen's work area.
  TBoxDriver alone(GetCurrentThreadId(), nullptr, {TAct::click, QV_BOX_OK_ID});
  EXPECT_EQ(QvMessageBox(nullptr, strings, "Quorvane", "Done.", 0), 7);
  ASSERT_TRUE(alone.View().found);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((alone.View().box.left + alone.View().box.right) / 2, (work.left + work.right) / 2, 2);
  EXPECT_TRUE(alone.View().textFits);

  // A text taller than the screen scrolls inside a box that stays on the screen.
  std::string tall;
  for (int i = 0; i < 300; ++i) tall += "Line " + std::to_string(i) + "\r\n";
  TBoxDriver scrolling(GetCurrentThreadId(), owner.Handle(), {TAct::escape});
  EXPECT_EQ(QvMessageBox(owner.Handle(), strings, "Quorvane", tall, 0), 7);
  ASSERT_TRUE(scrolling.View().found);
  EXPECT_EQ(scrolling.View().textClass, L"Edit");
  EXPECT_GE(scrolling.View().box.top, work.top);
  EXPECT_LE(scrolling.View().box.bottom, work.bottom);
}

// Pumps the thread's messages until the flag is set or the time is up.
bool PumpUntil(const std::atomic<bool>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done && std::chrono::steady_clock::now() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return done;
}

TEST(MessageDialogSink, WorkerWaitsForTheBoxOnTheUiThread) {
  TWin32UiThread port;
  TCallbackDispatcher dispatcher(port);
  TBuiltinStringTable strings;
  TOwner owner;
  TDialogMessageSink sink(dispatcher, strings, [&] { return owner.Handle(); });
  struct Case {
    int kind;
    TAction action;
    int answer;
  } cases[] = {{13, {TAct::click, QV_BOX_YES_ID}, 6}, {13, {TAct::frameClose}, 2}, {9, {TAct::click, QV_BOX_OK_ID}, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind));
    TBoxDriver driver(GetCurrentThreadId(), owner.Handle(), c.action);
    std::atomic<bool> done{false};
    std::atomic<int> answer{-1};
    std::thread worker([&] {
      answer = sink.QvMessageBox("Quorvane", "Uninstall this device?", c.kind);
      done = true;
    });
    EXPECT_TRUE(PumpUntil(done, 20s));
    worker.join();
    EXPECT_EQ(answer, c.answer);
    ASSERT_TRUE(driver.View().found);
    EXPECT_EQ(driver.View().thread, GetCurrentThreadId());
    EXPECT_FALSE(driver.View().ownerEnabled);
  }

  // On the UI thread the box is shown at once.
  TBoxDriver driver(GetCurrentThreadId(), owner.Handle(), {TAct::click, QV_BOX_CANCEL_ID});
  EXPECT_EQ(sink.QvMessageBox("Quorvane", "Uninstall this device?", 13), 2);
  EXPECT_TRUE(driver.View().found);
}

TEST(MessageDialogSink, AfterShutdownNoBoxAndTheNegativeAnswer) {
  TWin32UiThread port;
  TCallbackDispatcher dispatcher(port);
  TBuiltinStringTable strings;
  TDialogMessageSink sink(dispatcher, strings, [] { return HWND{}; });
  dispatcher.Shutdown();
  // A box that appeared anyway would be closed by the watcher and seen.
  TBoxDriver watcher(GetCurrentThreadId(), nullptr, {TAct::frameClose}, 1s);
  std::atomic<bool> done{false};
  std::atomic<int> answer{-1};
  std::thread worker([&] {
    answer = sink.QvMessageBox("Quorvane", "Uninstall this device?", 13);
    done = true;
  });
  EXPECT_TRUE(PumpUntil(done, 5s));
  worker.join();
  EXPECT_EQ(answer, 2);
  EXPECT_EQ(sink.QvMessageBox("Quorvane", "Install?", 36), 7);
  EXPECT_FALSE(watcher.View().found);
}

// For pictures of the box (run with --gtest_also_run_disabled_tests): shows
// the box of QV_BOX_KIND (13 when unset) over an owner, prints its position as
// WxH+X+Y and closes it after QV_BOX_SECONDS (3).
TEST(MessageDialogPicture, DISABLED_ShowsTheBoxForAWhile) {
  const char* kindText = std::getenv("QV_BOX_KIND");
  const char* secondsText = std::getenv("QV_BOX_SECONDS");
  const int kind = kindText ? std::atoi(kindText) : 13;
  const int seconds = secondsText ? std::atoi(secondsText) : 3;
  TBuiltinStringTable strings;
  TOwner owner;
  const DWORD uiThread = GetCurrentThreadId();
  std::thread closer([&] {
    HWND box = nullptr;
    for (int i = 0; i < 500 && !(box = ShownBoxOf(uiThread)); ++i) std::this_thread::sleep_for(20ms);
    if (!box) return;
    RECT rect{};
    GetWindowRect(box, &rect);
    std::printf("box %ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  if (kind == 13) {
    QvMessageBox(owner.Handle(), strings, "Uninstall device",
                 "Do you want to uninstall this device?\r\nIntel(R) USB 3.0 eXtensible Host Controller - 1.0 (Microsoft)",
                 kind);
  } else {
    QvMessageBox(owner.Handle(), strings, "Quorvane",
                 "Oops! There seems to be a problem communicating with the server.\r\n\r\nPlease check your Internet "
                 "connection and then click the Start Scan button in Quorvane to check for new drivers again.",
                 kind);
  }
  closer.join();
}

}  // namespace
