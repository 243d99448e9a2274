// The widget layer in this process: window objects, the styled button's looks,
// FitControlWidth, ClearScrollBox, the navigation list, the card panel and the busy ring.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/shell_layout.h"
#include "ui/win32/busy_ring.h"
#include "ui/win32/card_panel.h"
#include "ui/win32/controls.h"
#include "ui/win32/dpi.h"
#include "ui/win32/navigation_list.h"
#include "ui/win32/window.h"

namespace {

// A plain top-level host whose command handler can be made to throw.
class THost : public TWindow {
 public:
  bool Create() {
    TClassStyle style;
    style.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return TWindow::Create(L"QvTestHost", style, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, L"host",
                           {0, 0, 600, 400}, nullptr);
  }
  int commands = 0;
  bool throwOnCommand = false;
  bool destroyed = false;
  int dpiSeen = 0;

 protected:
  void OnDpiChanged(int dpi, const RECT*) override { dpiSeen = dpi; }
  void OnCommand(int, int, HWND) override {
    ++commands;
    if (throwOnCommand) throw std::runtime_error("handler failed");
  }
  void OnDestroy() override { destroyed = true; }
};

TEST(Win32Window, BoundInCreationAndReleasedWithTheWindow) {
  THost host;
  ASSERT_TRUE(host.Create());
  EXPECT_EQ(TWindow::FromHandle(host.Handle()), &host);
  // A window of another class is not taken for one of ours.
  EXPECT_EQ(TWindow::FromHandle(GetDesktopWindow()), nullptr);
  HWND hwnd = host.Handle();
  DestroyWindow(hwnd);
  EXPECT_TRUE(host.destroyed);
  EXPECT_EQ(host.Handle(), nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Win32Window, DestroyingTheObjectDestroysTheWindow) {
  HWND hwnd = nullptr;
  {
    THost host;
    ASSERT_TRUE(host.Create());
    hwnd = host.Handle();
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Win32Window, NoExceptionLeavesTheWindowProcedure) {
  THost host;
  ASSERT_TRUE(host.Create());
  host.throwOnCommand = true;
  EXPECT_EQ(SendMessageW(host.Handle(), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0), 0);
  EXPECT_EQ(host.commands, 1);
  // The window goes on working.
  host.throwOnCommand = false;
  SendMessageW(host.Handle(), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
  EXPECT_EQ(host.commands, 2);
}

TEST(Win32Window, DpiChangeAppliesTheSuggestedRectangle) {
  THost host;
  ASSERT_TRUE(host.Create());
  RECT suggested{40, 30, 40 + 900, 30 + 600};
  SendMessageW(host.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT window{};
  GetWindowRect(host.Handle(), &window);
  EXPECT_EQ(window.left, 40);
  EXPECT_EQ(window.top, 30);
  EXPECT_EQ(window.right - window.left, 900);
  EXPECT_EQ(window.bottom - window.top, 600);
  // The window scales by its new DPI, unless QUORVANE_DPI holds it fixed.
  const int expected = DpiOverride() ? *DpiOverride() : 144;
  EXPECT_EQ(host.Dpi(), expected);
  EXPECT_EQ(host.dpiSeen, expected);
  EXPECT_EQ(host.Scale(200), ScaleLogical(200, expected));
}

TEST(Win32StyledButton, LooksFollowEnabledStateAndHover) {
  THost host;
  ASSERT_TRUE(host.Create());
  TStyledButton button;
  ASSERT_TRUE(button.Create(host.Handle(), 7, "Start Scan", {10, 10, 160, 50}));
  EXPECT_EQ(button.Look(), TButtonLook::normal);

  SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(button.Look(), TButtonLook::hover);
  SendMessageW(button.Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(button.Look(), TButtonLook::normal);

  SetButtonEnabled(button, false);
  EXPECT_FALSE(IsWindowEnabled(button.Handle()));
  EXPECT_EQ(button.Look(), TButtonLook::disabled);
  // A disabled button keeps its disabled look under the pointer.
  SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  SendMessageW(button.Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(button.Look(), TButtonLook::disabled);

  SetButtonEnabled(button, true);
  EXPECT_TRUE(IsWindowEnabled(button.Handle()));
  EXPECT_EQ(button.Look(), TButtonLook::normal);
  // A click reaches the parent as a command.
  SendMessageW(button.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(host.commands, 1);
}

TEST(Win32Helpers, FitControlWidthToTheCaption) {
  THost host;
  ASSERT_TRUE(host.Create());
  const int dpi = WindowDpi(host.Handle());
  TStyledButton shortButton;
  ASSERT_TRUE(shortButton.Create(host.Handle(), 1, "OK", {0, 0, 300, 30}));
  FitControlWidth(shortButton.Handle(), 96);
  RECT rect{};
  GetWindowRect(shortButton.Handle(), &rect);
  EXPECT_EQ(rect.right - rect.left, ScaleLogical(100, dpi));  // a push button is at least 100 wide
  EXPECT_EQ(rect.bottom - rect.top, 30);

  HWND label = CreateLabel(host.Handle(), 2, "A caption long enough to be wider than one hundred pixels",
                           {0, 40, 10, 60}, nullptr);
  HDC dc = GetDC(label);
  SIZE extent{};
  {
    TSelectObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    const wchar_t* text = L"A caption long enough to be wider than one hundred pixels";
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
  }
  ReleaseDC(label, dc);
  FitControlWidth(label, 96);
  GetWindowRect(label, &rect);
  EXPECT_EQ(rect.right - rect.left, extent.cx + ScaleLogical(30, dpi));

  HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 70, 50, 200, host.Handle(),
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  for (const wchar_t* item : {L"abc", L"abcdef", L"uvwxyz", L"ab"}) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  dc = GetDC(combo);
  {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(combo, WM_GETFONT, 0, 0));
    TSelectObject select(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32W(dc, L"abcdef", 6, &extent);  // the first of the longest items
  }
  ReleaseDC(combo, dc);
  FitControlWidth(combo, 96);
  GetWindowRect(combo, &rect);
  EXPECT_EQ(rect.right - rect.left, extent.cx + ScaleLogical(40, dpi));
}

TEST(Win32Helpers, ClearScrollBoxDestroysEveryChild) {
  THost host;
  ASSERT_TRUE(host.Create());
  HWND children[3];
  for (int i = 0; i < 3; ++i) children[i] = CreateLabel(host.Handle(), 10 + i, "x", {0, i * 20, 50, i * 20 + 20}, nullptr);
  ClearScrollBox(host.Handle());
  for (HWND child : children) EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(GetWindow(host.Handle(), GW_CHILD), nullptr);
  ClearScrollBox(host.Handle());  // an empty box stays empty
}

TEST(Win32NavigationList, HotSelectedAndClicks) {
  THost host;
  ASSERT_TRUE(host.Create());
  TNavigationList list;
  const int dpi = WindowDpi(host.Handle());
  ASSERT_TRUE(list.Create(host.Handle(), 3, {0, 0, ScaleLogical(200, dpi), ScaleLogical(300, dpi)}, nullptr));
  list.SetItems({{" One", "first", TNavGlyph::home}, {" Two", "second", TNavGlyph::list}, {" Three", "", TNavGlyph::none}});
  int clicked = -1;
  list.OnItemClick([&](int index) { clicked = index; });
  auto at = [&](int item) {
    TLayoutRect r = NavigationItemRect(item, ScaleLogical(200, dpi), dpi);
    return MAKELPARAM(10, (r.top + r.bottom) / 2);
  };

  SendMessageW(list.Handle(), WM_MOUSEMOVE, 0, at(1));
  EXPECT_EQ(list.Hot(), 1);
  SendMessageW(list.Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(list.Hot(), -1);

  SendMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at(2));
  SendMessageW(list.Handle(), WM_LBUTTONUP, 0, at(2));
  EXPECT_EQ(clicked, 2);
  // Pressed on one item and released on another is no click.
  clicked = -1;
  SendMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at(0));
  SendMessageW(list.Handle(), WM_LBUTTONUP, 0, at(1));
  EXPECT_EQ(clicked, -1);
  // Below the last item.
  SendMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at(4));
  SendMessageW(list.Handle(), WM_LBUTTONUP, 0, at(4));
  EXPECT_EQ(clicked, -1);
  // A disabled list does not click.
  EnableWindow(list.Handle(), FALSE);
  SendMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at(1));
  SendMessageW(list.Handle(), WM_LBUTTONUP, 0, at(1));
  EXPECT_EQ(clicked, -1);
  // Enabled again, every item is drawn anew in the enabled ink.
  ShowWindow(host.Handle(), SW_SHOWNA);
  ValidateRect(list.Handle(), nullptr);
  EnableWindow(list.Handle(), TRUE);
  RECT dirty{};
  EXPECT_TRUE(GetUpdateRect(list.Handle(), &dirty, FALSE));
  EXPECT_EQ(dirty.bottom - dirty.top, ScaleLogical(300, dpi));

  list.SetSelected(1);
  EXPECT_EQ(list.Selected(), 1);
  list.SetItems({{" Only", "", TNavGlyph::back}});  // the selection does not outlive its item
  EXPECT_EQ(list.Selected(), -1);
}

TEST(Win32CardPanel, ExactlyOneCardVisible) {
  THost host;
  ASSERT_TRUE(host.Create());
  TCardPanel panel;
  ASSERT_TRUE(panel.Create(host.Handle(), 4, {0, 0, 400, 300}, 4));
  ShowWindow(host.Handle(), SW_SHOW);
  auto visible = [&] {
    int count = 0;
    for (int i = 0; i < panel.Count(); ++i) count += IsWindowVisible(panel.Card(i).Handle()) ? 1 : 0;
    return count;
  };
  EXPECT_EQ(visible(), 0);
  for (int card : {2, 0, 3, 3}) {
    panel.ShowCard(card);
    EXPECT_EQ(panel.Shown(), card);
    EXPECT_TRUE(IsWindowVisible(panel.Card(card).Handle()));
    EXPECT_EQ(visible(), 1);
  }
  panel.ShowCard(9);  // no such card: nothing changes
  EXPECT_EQ(panel.Shown(), 3);
  panel.Card(1).SetTitle("Scan Results");
  wchar_t title[32] = {};
  GetWindowTextW(panel.Card(1).TitleLabel(), title, 32);
  EXPECT_STREQ(title, L"Scan Results");
  // A resized panel resizes its cards.
  SetWindowPos(panel.Handle(), nullptr, 0, 0, 500, 350, SWP_NOMOVE | SWP_NOZORDER);
  RECT rect{};
  GetClientRect(panel.Card(0).Handle(), &rect);
  EXPECT_EQ(rect.right, 500);
  EXPECT_EQ(rect.bottom, 350);
}

// The ring's top dot, read off the screen: grey at rest, the leading colour once it
// runs (before its first step), grey again when stopped.
TEST(Win32BusyRing, TopDotFollowsTheRunningState) {
  THost host;
  ASSERT_TRUE(host.Create());
  TBusyRing ring;
  ASSERT_TRUE(ring.Create(host.Handle(), 1, {10, 10, 120, 120}));
  ShowWindow(host.Handle(), SW_SHOWNOACTIVATE);
  auto topDot = [&] {
    RedrawWindow(ring.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(ring.Handle());
    const COLORREF color = GetPixel(dc, 55, 8);
    ReleaseDC(ring.Handle(), dc);
    return color;
  };
  const COLORREF grey = RGB(0xD3, 0xD3, 0xD3);
  EXPECT_EQ(topDot(), grey);
  ring.SetRunning(true);
  EXPECT_TRUE(ring.Running());
  EXPECT_EQ(topDot(), RGB(0x1E, 0x6F, 0xD9));
  ring.SetRunning(false);
  EXPECT_EQ(topDot(), grey);
}

}  // namespace
