#include "app/splash_form.h"

#include "app/app_texts.h"
#include "core/errors.h"
#include "platform/win32/win32_text.h"
#include "res/string_ids.h"

namespace {

constexpr UINT_PTR QV_SHOW_TIMER = 1;
constexpr UINT QV_SPLASH_HOLD_MS = 3000;
constexpr int QV_SPLASH_WIDTH = 500;
constexpr int QV_SPLASH_HEIGHT = 250;

// A white check mark in a 20 × 20 box.
void DrawCheck(HDC dc, int x, int y, int size) {
  TPen pen(CreatePen(PS_SOLID, std::max(2, size / 7), QV_COLOR_WHITE));
  TSelectObject select(dc, pen.Get());
  MoveToEx(dc, x + size * 3 / 20, y + size * 11 / 20, nullptr);
  LineTo(dc, x + size * 8 / 20, y + size * 16 / 20);
  LineTo(dc, x + size * 17 / 20, y + size * 5 / 20);
}

}  // namespace

TSplashScreenForm::TSplashScreenForm(IStringTable& strings, IModuleVersion& moduleVersion, HICON mark)
    : m_strings(strings), m_moduleVersion(moduleVersion), m_mark(mark) {}

bool TSplashScreenForm::Create() {
  const int dpi = StartupDpi();
  const int width = ScaleLogical(QV_SPLASH_WIDTH, dpi);
  const int height = ScaleLogical(QV_SPLASH_HEIGHT, dpi);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  TLayoutRect rect = CenteredRect(width, height, {work.left, work.top, work.right, work.bottom});
  return TWindow::Create(L"TSplashScreenForm", {}, WS_POPUP, WS_EX_TOOLWINDOW, L"", rect, nullptr);
}

void TSplashScreenForm::OnCreate() {
  const std::string format = FormatText(m_strings.Load(IDS_SPLASH_VERSION_FORMAT), m_strings.Load(IDS_SPLASH_VERSION));
  m_version = Utf8ToWide(ModuleVersionText(m_moduleVersion, format));
  const int features[5] = {IDS_SPLASH_FEATURE_1, IDS_SPLASH_FEATURE_2, IDS_SPLASH_FEATURE_3, IDS_SPLASH_FEATURE_4,
                           IDS_SPLASH_FEATURE_5};
  for (int i = 0; i < 5; ++i) m_lines[i] = Utf8ToWide(m_strings.Load(features[i]));
  m_notice = Utf8ToWide(LegalNoticeText(m_strings));
  FCompleted = true;
}

void TSplashScreenForm::OnShow(bool visible) {
  // FormShow, once: the start waits until the timer has run out.
  if (!visible || m_showHandled) return;
  m_showHandled = true;
  FCompleted = false;
  m_showTimer = SetTimer(Handle(), QV_SHOW_TIMER, QV_SPLASH_HOLD_MS, nullptr);
  if (m_showTimer == 0) FCompleted = true;  // no timer: never hold the start forever
}

void TSplashScreenForm::OnTimer(UINT_PTR id) {
  if (id != QV_SHOW_TIMER) return;
  KillTimer(Handle(), QV_SHOW_TIMER);
  m_showTimer = 0;
  FCompleted = true;
}

void TSplashScreenForm::OnDestroy() {
  if (m_showTimer) KillTimer(Handle(), QV_SHOW_TIMER);
  m_showTimer = 0;
  // A splash destroyed while holding does not hold the start any longer.
  FCompleted = true;
}

bool TSplashScreenForm::OnPaint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  // Background: the bar colour, darkening towards the bottom, with the mark on the left.
  const int bands = 25;
  for (int i = 0; i < bands; ++i) {
    RECT band{0, client.bottom * i / bands, client.right, client.bottom * (i + 1) / bands};
    const int shade = 0x33 - i * 0x18 / bands;
    FillSolid(dc, band, RGB(0, shade, 0x66 - i * 0x20 / bands));
  }
  RECT stripe{0, 0, Scale(210), client.bottom};
  FillSolid(dc, stripe, HexColor(0x0B2A4A));
  if (m_mark) DrawIconEx(dc, Scale(35), Scale(55), m_mark, Scale(140), Scale(140), 0, nullptr, DI_NORMAL);

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, QV_COLOR_WHITE);
  TFont lineFont = MakeFont(L"Tahoma", Scale(12));
  {
    TSelectObject select(dc, lineFont.Get());
    const int lineY[5] = {82, 108, 135, 161, 187};
    const int checkY[5] = {78, 104, 130, 157, 183};
    for (int i = 0; i < 5; ++i) {
      DrawCheck(dc, Scale(232), Scale(checkY[i]), Scale(20));
      RECT line{Scale(256), Scale(lineY[i]), Scale(256 + 236), Scale(lineY[i] + 16)};
      DrawTextW(dc, m_lines[i].c_str(), static_cast<int>(m_lines[i].size()), &line,
                DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
  }
  TFont versionFont = MakeFont(L"Tahoma", Scale(13), true);
  {
    TSelectObject select(dc, versionFont.Get());
    RECT version{Scale(8), Scale(226), Scale(250), client.bottom};
    DrawTextW(dc, m_version.c_str(), static_cast<int>(m_version.size()), &version,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  }
  TFont noticeFont = MakeFont(L"Tahoma", Scale(13));
  {
    TSelectObject select(dc, noticeFont.Get());
    RECT notice{Scale(140), 0, client.right - Scale(10), client.bottom - Scale(10)};
    DrawTextW(dc, m_notice.c_str(), static_cast<int>(m_notice.size()), &notice,
              DT_RIGHT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
  }
  return true;
}
