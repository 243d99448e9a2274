#include "app/progress_form.h"

#include <commctrl.h>

#include "platform/win32/win32_text.h"
#include "res/string_ids.h"

namespace {

constexpr UINT_PTR QV_HIDE_TIMER = 1;
constexpr UINT_PTR QV_BAR_SUBCLASS = 1;
constexpr int QV_PROGRESS_WIDTH = 400;
constexpr int QV_PROGRESS_HEIGHT = 111;
constexpr DWORD QV_PROGRESS_STYLE = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;  // no title-bar buttons
constexpr DWORD QV_PROGRESS_EX_STYLE = WS_EX_DLGMODALFRAME;
// Logical rectangles of the bar and the status line.
constexpr TLayoutRect QV_BAR_RECT{20, 20, 380, 40};
constexpr TLayoutRect QV_STATUS_RECT{20, 68, 380, 88};

enum : int { idProgressBar = 1, idProgressStatus };

// The window rectangle of a client area of the window's size at `dpi`, centred on
// the owner when it is on screen, otherwise on the work area.
TLayoutRect FrameRect(HWND owner, int dpi) {
  RECT frame{0, 0, ScaleLogical(QV_PROGRESS_WIDTH, dpi), ScaleLogical(QV_PROGRESS_HEIGHT, dpi)};
  AdjustWindowRectEx(&frame, QV_PROGRESS_STYLE, FALSE, QV_PROGRESS_EX_STYLE);
  RECT area{};
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  return CenteredRect(frame.right - frame.left, frame.bottom - frame.top,
                      {area.left, area.top, area.right, area.bottom});
}

}  // namespace

TProgressForm::TProgressForm(IStringTable& strings) : m_strings(strings) {}

TProgressForm::~TProgressForm() {
  // The window goes while the bar's painting and the pending hide can still see this object.
  if (Handle()) DestroyWindow(Handle());
}

bool TProgressForm::Create(HWND owner) {
  m_owner = owner;
  const TWindow* ownerWindow = TWindow::FromHandle(owner);
  const int dpi = ownerWindow ? ownerWindow->Dpi() : StartupDpi();
  TClassStyle classStyle;
  classStyle.background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  return TWindow::Create(QV_PROGRESS_CLASS, classStyle, QV_PROGRESS_STYLE, QV_PROGRESS_EX_STYLE,
                         Utf8ToWide(m_strings.Load(IDS_PROGRESS_CAPTION)), FrameRect(owner, dpi), owner);
}

void TProgressForm::OnCreate() {
  // The bar paints the percentage itself, over its own drawing, so the text is
  // transparent on both the filled and the empty part.
  m_bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0, 0, 0, 0, Handle(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(idProgressBar)), GetModuleHandleW(nullptr),
                          nullptr);
  if (m_bar) SetWindowSubclass(m_bar, &TProgressForm::BarProc, QV_BAR_SUBCLASS, reinterpret_cast<DWORD_PTR>(this));
  m_status = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0,
                             0, 0, 0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(idProgressStatus)),
                             GetModuleHandleW(nullptr), nullptr);
  LayOut();
  Replay(m_state.Show());
  ApplyTexts();
}

void TProgressForm::LayOut() {
  m_font = MakeFont(L"Segoe UI", Scale(12));
  const TLayoutRect bar = ScaleRect(QV_BAR_RECT, Dpi());
  const TLayoutRect status = ScaleRect(QV_STATUS_RECT, Dpi());
  if (m_bar) MoveWindow(m_bar, bar.left, bar.top, bar.Width(), bar.Height(), TRUE);
  if (m_status) {
    MoveWindow(m_status, status.left, status.top, status.Width(), status.Height(), TRUE);
    SendMessageW(m_status, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
  }
}

void TProgressForm::ShowProgress(const std::string& AStatus) {
  if (!Handle()) return;
  CancelHide();
  m_state.SetStatus(AStatus);
  ApplyTexts();
  if (!IsWindowVisible(Handle())) {
    const TLayoutRect rect = FrameRect(m_owner, Dpi());
    Place(rect);
  }
  ShowWindow(Handle(), SW_SHOW);
}

void TProgressForm::OnShow(bool visible) {
  // FormShow: every showing starts at 0 % in black.
  if (!visible) return;
  Replay(m_state.Show());
  ApplyTexts();
}

void TProgressForm::UpdateProgress(int AValue, const std::string& AStatus) {
  if (!Handle()) return;
  Replay(m_state.Update(AValue, AStatus));
  ApplyTexts();
}

void TProgressForm::HideProgress() {
  CancelHide();
  if (Handle()) ShowWindow(Handle(), SW_HIDE);
}

void TProgressForm::HideProgressAfter(UINT milliseconds, std::function<void()> afterHide) {
  CancelHide();
  m_afterHide = std::move(afterHide);
  m_hideTimer = Handle() && SetTimer(Handle(), QV_HIDE_TIMER, milliseconds, nullptr) != 0;
  if (!m_hideTimer) OnTimer(QV_HIDE_TIMER);  // no timer: hide now rather than never
}

void TProgressForm::OnTimer(UINT_PTR id) {
  if (id != QV_HIDE_TIMER) return;
  if (m_hideTimer) KillTimer(Handle(), QV_HIDE_TIMER);
  m_hideTimer = false;
  std::function<void()> afterHide = std::move(m_afterHide);
  m_afterHide = nullptr;
  if (Handle()) ShowWindow(Handle(), SW_HIDE);
  if (afterHide) afterHide();
}

void TProgressForm::CancelHide() {
  if (m_hideTimer && Handle()) KillTimer(Handle(), QV_HIDE_TIMER);
  m_hideTimer = false;
  m_afterHide = nullptr;
}

void TProgressForm::Replay(const std::vector<TBarStep>& steps) {
  if (!m_bar) return;
  for (const TBarStep& step : steps) {
    if (step.kind == TBarStep::maximum) {
      SendMessageW(m_bar, PBM_SETRANGE32, 0, step.value);
    } else {
      SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(step.value), 0);
    }
  }
}

void TProgressForm::ApplyTexts() {
  const TProgressLook& look = m_state.Look();
  if (m_bar) {
    // The percentage is the bar's own text, which its painting draws.
    SetWindowTextW(m_bar, Utf8ToWide(look.percentText).c_str());
    InvalidateRect(m_bar, nullptr, FALSE);
  }
  if (m_status) SetWindowTextW(m_status, Utf8ToWide(look.status).c_str());
}

LRESULT CALLBACK TProgressForm::BarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
  auto* form = reinterpret_cast<TProgressForm*>(data);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the painting below covers the whole bar
    case WM_PAINT: {
      TPaintDC paint(hwnd);
      if (paint.Get()) {
        try {
          form->PaintBar(hwnd, paint.Get());
        } catch (...) {
          // nothing leaves a window procedure
        }
      }
      return 0;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &TProgressForm::BarProc, QV_BAR_SUBCLASS);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

void TProgressForm::PaintBar(HWND bar, HDC dc) {
  RECT client{};
  GetClientRect(bar, &client);
  const int width = client.right > 0 ? client.right : 1;
  const int height = client.bottom > 0 ? client.bottom : 1;
  // The control draws itself into an off-screen bitmap, the text goes over it,
  // and the whole is copied at once.
  TMemoryDC memory(CreateCompatibleDC(dc));
  TBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
  TSelectObject selectBitmap(memory.Get(), bitmap.Get());
  DefSubclassProc(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT | PRF_ERASEBKGND);
  const std::wstring text = Utf8ToWide(m_state.Look().percentText);
  SetBkMode(memory.Get(), TRANSPARENT);
  SetTextColor(memory.Get(), m_state.Look().whiteText ? QV_COLOR_WHITE : RGB(0, 0, 0));
  TSelectObject selectFont(memory.Get(), m_font.Get());
  DrawTextW(memory.Get(), text.c_str(), static_cast<int>(text.size()), &client,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  BitBlt(dc, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
}

void TProgressForm::OnDpiChanged(int, const RECT*) {
  LayOut();
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TProgressForm::OnDestroy() {
  CancelHide();
  m_bar = nullptr;
  m_status = nullptr;
}
