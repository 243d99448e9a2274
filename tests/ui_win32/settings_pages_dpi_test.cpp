// The three settings pages hosted in this process: a change of DPI re-creates
// their fonts and places every control where creation at the new DPI would.
// Also the schedule page's weekly state for scripts/screenshot.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/connection_settings_page.h"
#include "app/general_settings_page.h"
#include "app/schedule_settings_page.h"
#include "platform/sim/builtin_strings.h"
#include "platform/win32/win32_text.h"
#include "program_under_test.h"
#include "res/string_ids.h"
#include "ui/shell_layout.h"
#include "ui/win32/window.h"

namespace {

class TPageHost : public TWindow {
 public:
  bool Create() {
    TClassStyle style;
    style.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return TWindow::Create(L"QvSettingsDpiHost", style, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, L"host",
                           {0, 0, 900, 800}, nullptr);
  }
  // A borderless window of the size of the main window's cards, shown.
  bool CreateShown() {
    TClassStyle style;
    style.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return TWindow::Create(L"QvSettingsPageHost", style, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, L"Quorvane",
                           {0, 0, ScaleLogical(600, StartupDpi()), ScaleLogical(525, StartupDpi())}, nullptr);
  }

 protected:
  void OnTimer(UINT_PTR) override { PostQuitMessage(0); }
};

// A control's rectangle in its page's client coordinates.
RECT PlaceOf(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int FontHeight(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

// The page's window is told of a new DPI, as the system tells a per-monitor aware window.
void ChangeDpi(HWND page, int dpi) {
  RECT place = PlaceOf(page);
  SendMessageW(page, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&place));
}

// A control of the page and its left and top at 96 dpi.
struct TDesignPlace {
  int id;
  int left;
  int top;
};

void ExpectPlaces(HWND page, const std::vector<TDesignPlace>& places, int dpi) {
  for (const TDesignPlace& place : places) {
    SCOPED_TRACE(place.id);
    const RECT rect = PlaceOf(GetDlgItem(page, place.id));
    EXPECT_EQ(rect.left, ScaleLogical(place.left, dpi));
    EXPECT_EQ(rect.top, ScaleLogical(place.top, dpi));
  }
}

// Each page: placed at 96 dpi, then at 144 after the change, and back.
void ExpectReplacedAtNewDpi(HWND page, int titleId, const std::vector<TDesignPlace>& places) {
  ASSERT_TRUE(page);
  ExpectPlaces(page, places, 96);
  EXPECT_EQ(FontHeight(GetDlgItem(page, titleId)), -24);
  ChangeDpi(page, 144);
  ExpectPlaces(page, places, 144);
  EXPECT_EQ(FontHeight(GetDlgItem(page, titleId)), -36);
  ChangeDpi(page, 96);
  ExpectPlaces(page, places, 96);
  EXPECT_EQ(FontHeight(GetDlgItem(page, titleId)), -24);
}

class SettingsPagesDpi : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_host.Create()); }
  const TLayoutRect m_rect{0, 0, 600, 530};
  TPageHost m_host;
};

TEST_F(SettingsPagesDpi, GeneralPageIsPlacedAnew) {
  TGeneralSettingsPage page;
  ASSERT_TRUE(page.Create(m_host.Handle(), m_rect, m_host.Handle(), {}));
  TGeneralSettingsView view;
  view.title = "General Settings";
  for (TGeneralBoxView& box : view.boxes) box.caption = "Box";
  view.languageLabel = "Language";
  view.languages = {"English", "German"};
  view.downloadLabel = "Folder";
  view.change = "&Change";
  view.systemRestore = "System Restore";
  view.save = "&Save";
  page.Apply(view);
  ExpectReplacedAtNewDpi(page.Handle(), idGeneralTitle,
                         {{idGeneralTitle, 21, 21},
                          {idGeneralBoxFirst + static_cast<int>(TGeneralBox::restorePoint), 21, 329},
                          {idPickLanguage, 115, 212},
                          {idDownloadPathEdit, 115, 242},
                          {idChangeDownloadPath, 477, 241},
                          {idSaveGeneral, 467, 462}});
}

TEST_F(SettingsPagesDpi, ConnectionPageIsPlacedAnew) {
  TConnectionSettingsPage page;
  ASSERT_TRUE(page.Create(m_host.Handle(), m_rect, {}));
  TConnectionSettingsView view;
  view.title = "Connection Settings";
  view.noProxy = "Use &default browser settings";
  view.useProxy = "Use &proxy settings";
  view.save = "&Save";
  page.Apply(view);
  ExpectReplacedAtNewDpi(page.Handle(), idConnectionTitle,
                         {{idUseProxy, 41, 164},
                          {idProxyEditFirst + static_cast<int>(TProxyField::password), 397, 258},
                          {idSaveConnection, 467, 462}});
}

TEST_F(SettingsPagesDpi, SchedulePageIsPlacedAnew) {
  TScheduleSettingsPage page;
  ASSERT_TRUE(page.Create(m_host.Handle(), m_rect, {}));
  TScheduleSettingsView view;
  view.title = "Schedule Settings";
  view.dayNames = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
  view.save = "&Save";
  page.Apply(view);
  ExpectReplacedAtNewDpi(page.Handle(), idScheduleTitle,
                         {{idCycleFirst + 3, 33, 181},
                          {idDatePickerFirst + 1, 279, 123},
                          {idDayFirst + 6, 404, 277},
                          {idCurrentSchedule, 21, 407},
                          {idSaveSchedule, 467, 462}});
}

}  // namespace

int SettingsPagesStep(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) != "--show-weekly-page") return -1;
  // The page as the user leaves it after choosing Weekly and ticking Monday and
  // Friday, before Save: no schedule yet, Save enabled.
  TBuiltinStringTable strings;
  auto text = [&strings](int id) { return strings.Load(id); };
  TScheduleSettingsView view;
  view.title = text(IDS_CARD_SCHEDULE);
  view.cycleCaption = text(IDS_CYCLE_CAPTION);
  view.cycles = {text(IDS_CYCLE_DAILY), text(IDS_CYCLE_WEEKLY), text(IDS_CYCLE_ONCE), text(IDS_CYCLE_NEVER)};
  view.cycle = cycWeekly;
  view.stepsVisible = true;
  view.stepsHeight = QV_STEPS_HEIGHT_WEEKLY;
  view.step = cycWeekly;
  view.headings = {text(IDS_DAILY_HEADING), text(IDS_WEEKLY_HEADING), text(IDS_ONCE_HEADING)};
  view.startLabel = text(IDS_START_LABEL);
  SYSTEMTIME today{};
  GetLocalTime(&today);
  view.start = TLocalTime{today.wYear, today.wMonth, today.wDay, 9, 0, 0};
  view.daysLabel = text(IDS_WEEKDAYS_LABEL);
  for (size_t day = 0; day < QV_DAY_COUNT; ++day) {
    wchar_t name[64] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME1 + static_cast<LCTYPE>(day), name, 64);
    view.dayNames[day] = WideToUtf8(name);
  }
  view.days = {true, false, false, false, true, false, false};
  view.current = text(IDS_SCHEDULED) + text(IDS_NO_SCHEDULE);
  view.save = text(IDS_SAVE_CAPTION);
  view.saveEnabled = true;

  TPageHost host;
  TScheduleSettingsPage page;
  if (!host.CreateShown()) return 1;
  RECT client{};
  GetClientRect(host.Handle(), &client);
  if (!page.Create(host.Handle(), {0, 0, client.right, client.bottom}, {})) return 1;
  page.Apply(view);
  // Ends by itself should the screenshot's end not end it.
  SetTimer(host.Handle(), 1, 60000, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
