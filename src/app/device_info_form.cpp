#include "app/device_info_form.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/win32/image_lists_win32.h"
#include "platform/win32/win32_text.h"
#include "res/string_ids.h"
#include "ui/win32/modal_window.h"

namespace {

constexpr int QV_DETAILS_WIDTH = 594;
constexpr int QV_DETAILS_HEIGHT = 421;
constexpr int QV_TITLE_HEIGHT = 26;
constexpr int QV_MARGIN = 20;
constexpr int QV_GRID_TOP = 150;
constexpr COLORREF QV_HEADER_GREY = HexColor(0xD4D4D4);
constexpr COLORREF QV_ROW_GREY = HexColor(0xE6E6E6);
constexpr COLORREF QV_GRID_TEXT = HexColor(0x808080);
constexpr COLORREF QV_MAROON = RGB(128, 0, 0);
constexpr COLORREF QV_SILVER = RGB(192, 192, 192);
constexpr UINT QV_CELL_FORMAT = DT_WORDBREAK | DT_NOPREFIX | DT_LEFT;

HWND Label(HWND parent, int id, DWORD style, HFONT font) {
  HWND label = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_NOPREFIX | style, 0, 0, 1, 1, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

}  // namespace

TDeviceInfoForm::TDeviceInfoForm(TDeviceDetailsView view, std::string showAll, TImageListRef classImages,
                                 IStringTable& strings)
    : m_view(std::move(view)), m_showAll(std::move(showAll)), m_classImages(classImages), m_strings(strings) {}

bool TDeviceInfoForm::ShowModal(HWND owner) {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const TLayoutRect rect = ModalFrameRect(owner, StartupDpi(), QV_DETAILS_WIDTH, QV_DETAILS_HEIGHT, style, WS_EX_DLGMODALFRAME);
  TClassStyle classStyle;
  classStyle.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (!Create(QV_DEVICE_INFO_CLASS, classStyle, style, WS_EX_DLGMODALFRAME, Utf8ToWide(m_view.caption), rect, owner))
    return false;
  // The window sees the keys before its controls: Esc closes, Ctrl+C copies the id.
  RunModalLoop(Handle(), owner, [this] { return m_closed; }, [this](const MSG& message) {
    if (message.wParam == VK_ESCAPE) {
      PostMessageW(Handle(), WM_CLOSE, 0, 0);
      return true;
    }
    if (message.wParam != 'C' || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
    CopyHardwareId();
    return true;
  });
  if (Handle()) DestroyWindow(Handle());
  return m_yes;
}

void TDeviceInfoForm::OnCreate() {
  m_white.Reset(CreateSolidBrush(QV_COLOR_WHITE));
  auto points = [this](int pt) { return MulDiv(pt, Dpi(), 72); };
  m_textFont = MakeFont(L"Segoe UI", points(9));
  m_classFont = MakeFont(L"Segoe UI Semibold", points(10), true);
  m_nameFont = MakeFont(L"Segoe UI", points(12), true);
  m_gridFont = MakeFont(L"Segoe UI", points(12));
  m_gridBoldFont = MakeFont(L"Segoe UI", points(12), true);
  m_tips.Create(Handle());
  m_grid = TDetailsGrid(Scale(DETAILS_ROW_HEIGHT), Scale(DETAILS_LINE_WIDTH));
  const int width = Scale(QV_DETAILS_WIDTH);
  const int left = Scale(QV_MARGIN + 42);
  const int top = Scale(2 * QV_TITLE_HEIGHT);
  const int textWidth = width - left - Scale(QV_MARGIN);

  HWND cls = Label(Handle(), idDetailsClass, SS_LEFT, m_classFont.Get());
  SetWindowTextW(cls, Utf8ToWide(m_view.classText).c_str());
  PlaceWindow(cls, left, top, textWidth, Scale(20));
  HWND name = Label(Handle(), idDetailsName, SS_LEFT | SS_ENDELLIPSIS, m_nameFont.Get());
  SetWindowTextW(name, Utf8ToWide(m_view.name).c_str());
  PlaceWindow(name, left, top + Scale(20), textWidth, Scale(24));
  m_tips.Set(name, m_view.name);
  m_hid = Label(Handle(), idDetailsHardwareId, SS_LEFT | SS_NOTIFY | SS_ENDELLIPSIS, m_textFont.Get());
  SetWindowTextW(m_hid, Utf8ToWide(m_view.hid).c_str());
  PlaceWindow(m_hid, left, top + Scale(46), textWidth, Scale(18));
  m_tips.Set(m_hid, m_strings.Load(IDS_DETAILS_COPY_HINT));
  m_status = Label(Handle(), idDetailsStatus, SS_LEFT | SS_ENDELLIPSIS, m_textFont.Get());
  SetWindowTextW(m_status, Utf8ToWide(m_view.statusText).c_str());
  PlaceWindow(m_status, left, top + Scale(66), textWidth, Scale(18));
  ShowWindow(m_status, m_view.statusShown ? SW_SHOWNA : SW_HIDE);

  m_gridTop = Scale(QV_GRID_TOP);
  {
    HDC dc = GetDC(Handle());
    MeasureGrid(dc);
    ReleaseDC(Handle(), dc);
  }
  const int gridBottom = m_gridTop + m_grid.Height();
  m_info = Label(Handle(), idDetailsInfo, SS_LEFT, m_textFont.Get());
  SetWindowTextW(m_info, Utf8ToWide(m_view.infoText).c_str());
  PlaceWindow(m_info, Scale(QV_MARGIN), gridBottom + Scale(10), width - 2 * Scale(QV_MARGIN), Scale(40));
  m_tips.Set(m_info, m_view.infoHint);
  ShowWindow(m_info, m_view.infoShown ? SW_SHOWNA : SW_HIDE);

  m_button.Create(Handle(), idDetailsButton, m_view.buttonCaption, {0, 0, Scale(100), Scale(30)});
  m_button.SetFont(m_textFont.Get());
  SetButtonEnabled(m_button, true);
  FitControlWidth(m_button.Handle(), Dpi());
  RECT button{};
  GetWindowRect(m_button.Handle(), &button);
  const int buttonWidth = button.right - button.left;
  // The window grows with the grid, never past the work area.
  const int clientHeight = gridBottom + Scale(60) + Scale(30) + Scale(15);
  RECT client{};
  GetClientRect(Handle(), &client);
  if (clientHeight > client.bottom) {
    RECT window{};
    GetWindowRect(Handle(), &window);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int height = CappedWindowHeight(window.bottom - window.top + clientHeight - client.bottom, work.bottom - work.top);
    SetWindowPos(Handle(), nullptr, 0, 0, window.right - window.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(Handle(), &client);
  }
  PlaceWindow(m_button.Handle(), (client.right - buttonWidth) / 2, client.bottom - Scale(15) - Scale(30), buttonWidth,
              Scale(30));
  if (!m_view.buttonHint.empty()) m_tips.Set(m_button.Handle(), m_view.buttonHint);
}

RECT TDeviceInfoForm::GridRect() const {
  return {Scale(QV_MARGIN), m_gridTop, Scale(QV_DETAILS_WIDTH) - Scale(QV_MARGIN), m_gridTop + m_grid.Height()};
}

void TDeviceInfoForm::MeasureGrid(HDC dc) {
  const RECT grid = GridRect();
  const auto widths = m_grid.ColumnWidths(grid.right - grid.left);
  for (int row = 1; row < DETAILS_GRID_ROWS; ++row) {
    for (int column = 0; column < DETAILS_GRID_COLUMNS; ++column) {
      const HFONT font = (row == 1 || column == 2) ? m_gridBoldFont.Get() : m_gridFont.Get();
      const HGDIOBJ previous = SelectObject(dc, font);
      const std::wstring text = Utf8ToWide(m_view.cells[row][column]);
      RECT cell{0, 0, widths[column] - Scale(5), 0};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell, QV_CELL_FORMAT | DT_CALCRECT);
      SelectObject(dc, previous);
      m_grid.FitCell(row, cell.bottom - cell.top);
    }
  }
}

bool TDeviceInfoForm::OnPaint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  FillSolid(dc, client, QV_COLOR_WHITE);
  // The title bar and its caption.
  FillSolid(dc, {0, 0, client.right, Scale(QV_TITLE_HEIGHT)}, QV_COLOR_BAR);
  SetBkMode(dc, TRANSPARENT);
  const HGDIOBJ previous = SelectObject(dc, m_textFont.Get());
  SetTextColor(dc, QV_COLOR_WHITE);
  const std::wstring caption = Utf8ToWide(m_view.caption);
  RECT bar{Scale(4), 0, client.right, Scale(QV_TITLE_HEIGHT)};
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &bar, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (m_view.classImage >= 0 && m_classImages.handle)
    ImageList_DrawEx(ToImageList(m_classImages), m_view.classImage, dc, Scale(QV_MARGIN), Scale(2 * QV_TITLE_HEIGHT),
                     Scale(32), Scale(32), CLR_NONE, CLR_NONE, ILD_NORMAL);

  // The grid: lines between the cells, the header and odd rows grey, column 2 bold.
  const RECT grid = GridRect();
  const int line = Scale(DETAILS_LINE_WIDTH);
  const auto widths = m_grid.ColumnWidths(grid.right - grid.left);
  FillSolid(dc, grid, QV_SILVER);
  int top = grid.top;
  SetTextColor(dc, QV_GRID_TEXT);
  for (int row = 1; row < DETAILS_GRID_ROWS; ++row) {
    const int height = m_grid.RowHeight(row);
    int left = grid.left;
    const COLORREF background = row == 1 ? QV_HEADER_GREY : (row % 2 == 1 ? QV_ROW_GREY : QV_COLOR_WHITE);
    for (int column = 0; column < DETAILS_GRID_COLUMNS; ++column) {
      RECT cell{left, top, left + widths[column], top + height};
      FillSolid(dc, cell, background);
      SelectObject(dc, (row == 1 || column == 2) ? m_gridBoldFont.Get() : m_gridFont.Get());
      const std::wstring text = Utf8ToWide(m_view.cells[row][column]);
      RECT measure{0, 0, widths[column] - Scale(5), 0};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measure, QV_CELL_FORMAT | DT_CALCRECT);
      const int textTop = top + std::max(0, (height - static_cast<int>(measure.bottom - measure.top)) / 2);
      RECT area{left + Scale(5), textTop, cell.right, cell.bottom};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, QV_CELL_FORMAT);
      left += widths[column] + line;
    }
    top += height + line;
  }
  SelectObject(dc, previous);
  return true;
}

HBRUSH TDeviceInfoForm::OnControlColor(HDC dc, HWND control) {
  SetBkColor(dc, QV_COLOR_WHITE);
  SetTextColor(dc, control == m_status ? QV_MAROON : control == m_info ? QV_SILVER : RGB(0, 0, 0));
  return m_white.Get();
}

void TDeviceInfoForm::OnCommand(int id, int code, HWND) {
  if (id == idDetailsButton && code == BN_CLICKED) {
    m_yes = m_view.updateMode;
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
  }
}

bool TDeviceInfoForm::OnUndecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_CONTEXTMENU && reinterpret_cast<HWND>(wParam) == m_hid) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (at.x == -1 && at.y == -1) {
      RECT label{};
      GetWindowRect(m_hid, &label);
      at = {label.left, label.bottom};
    }
    ShowIdMenu(at);
    result = 0;
    return true;
  }
  return false;
}

void TDeviceInfoForm::ShowIdMenu(POINT screen) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, idDetailsMenuCopy, Utf8ToWide(m_strings.Load(IDS_DETAILS_MENU_COPY)).c_str());
  AppendMenuW(menu, MF_STRING, idDetailsMenuShowAll, Utf8ToWide(m_strings.Load(IDS_DETAILS_MENU_SHOW_ALL)).c_str());
  const int chosen = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr));
  DestroyMenu(menu);
  if (chosen == idDetailsMenuCopy) CopyHardwareId();
  if (chosen == idDetailsMenuShowAll)
    MessageBoxW(Handle(), Utf8ToWide(m_showAll).c_str(), L"", MB_OK | MB_SYSTEMMODAL | MB_SETFOREGROUND);
}

void TDeviceInfoForm::CopyHardwareId() const {
  if (m_view.hid.empty() || !OpenClipboard(Handle())) return;
  EmptyClipboard();
  const std::wstring text = Utf8ToWide(m_view.hid);
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory) {
    if (void* target = GlobalLock(memory)) {
      memcpy(target, text.c_str(), bytes);
      GlobalUnlock(memory);
      // The clipboard owns the memory once it took it.
      if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

bool TDeviceInfoForm::OnClose() {
  m_closed = true;
  return false;
}
