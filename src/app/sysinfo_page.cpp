#include "app/sysinfo_page.h"

#include <commctrl.h>

#include "platform/win32/win32_text.h"
#include "ui/sysinfo_grid.h"
#include "ui/win32/controls.h"

namespace {

constexpr int ROW_HEIGHT = 24;
constexpr int TEXT_INSET = 5;
constexpr int GRID_LINE_WIDTH = 1;
constexpr COLORREF GREY_ROW = RGB(230, 230, 230);
constexpr COLORREF GRID_LINE = RGB(192, 192, 192);

void AddColumn(HWND grid, int index) {
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = 1;
  SendMessageW(grid, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

std::wstring CellText(HWND grid, int row, int column) {
  wchar_t text[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = static_cast<int>(std::size(text));
  SendMessageW(grid, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

// One cell: its background, a line on its right and bottom edges, the text
// inset from the side it is aligned to and centred vertically.
void DrawCell(HDC dc, RECT cell, const std::wstring& text, COLORREF background, bool alignRight, int inset) {
  FillSolid(dc, {cell.left, cell.top, cell.right - GRID_LINE_WIDTH, cell.bottom - GRID_LINE_WIDTH}, background);
  FillSolid(dc, {cell.right - GRID_LINE_WIDTH, cell.top, cell.right, cell.bottom}, GRID_LINE);
  FillSolid(dc, {cell.left, cell.bottom - GRID_LINE_WIDTH, cell.right, cell.bottom}, GRID_LINE);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  RECT area{cell.left + inset, CentredTextTop(cell.top, cell.bottom - cell.top, extent.cy),
            cell.right - GRID_LINE_WIDTH - inset, cell.bottom - GRID_LINE_WIDTH};
  const UINT previous = SetTextAlign(dc, TA_LEFT | TA_TOP);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
            (alignRight ? DT_RIGHT : DT_LEFT) | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  SetTextAlign(dc, previous);
}

}  // namespace

bool TSysInfoPage::Create(HWND card, const TLayoutRect& rect) {
  if (!CreatePage(CLASS_NAME, card, rect, idSysInfoPage)) return false;
  MakeFonts();
  m_title = CreateLabel(Handle(), idSysInfoTitle, "", {0, 0, 1, 1}, m_titleFont.Get());
  // Captions and values; the page draws every row, so the list shows no header and no border.
  m_grid = CreateWindowExW(0, WC_LISTVIEWW, L"",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LVS_REPORT | LVS_NOCOLUMNHEADER |
                               LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDRAWFIXED | LVS_SHAREIMAGELISTS,
                           0, 0, 1, 1, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(idSysInfoGrid)),
                           GetModuleHandleW(nullptr), nullptr);
  SendMessageW(m_grid, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  SendMessageW(m_grid, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  SetRowHeight();
  AddColumn(m_grid, 0);
  AddColumn(m_grid, 1);
  Layout();
  return true;
}

void TSysInfoPage::MakeFonts() {
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(24), true);
  m_textFont = MakeFont(L"Segoe UI", Scale(12));
  m_boldFont = MakeFont(L"Segoe UI", Scale(12), true);
}

void TSysInfoPage::SetRowHeight() {
  // A list's rows are as tall as its small images; the list shares the image list, the page owns it.
  TImageList heights(ImageList_Create(1, Scale(ROW_HEIGHT), ILC_COLOR32, 0, 0));
  SendMessageW(m_grid, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(heights.Get()));
  m_rowHeight = std::move(heights);
}

void TSysInfoPage::Apply(const TSysInfoView& view) {
  if (!m_shown || m_shown->title != view.title) SetWindowTextW(m_title, Utf8ToWide(view.title).c_str());
  if (!m_shown) Fill(view.rows);
  m_shown = view;
}

void TSysInfoPage::FocusGrid() const {
  SetFocus(m_grid);
  // The selection starts on the first row, so the keyboard moves from there.
  if (SendMessageW(m_grid, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) < 0) {
    LVITEMW state{};
    state.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    state.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageW(m_grid, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
  }
}

void TSysInfoPage::Fill(const std::vector<TSysInfoRow>& rows) {
  SendMessageW(m_grid, WM_SETREDRAW, FALSE, 0);
  for (const TSysInfoRow& row : rows) AppendListRow(m_grid, row.caption, row.value);
  SendMessageW(m_grid, WM_SETREDRAW, TRUE, 0);
  // The widths follow the rows: with a scroll bar the columns share what is left beside it.
  FitColumns();
  InvalidateRect(m_grid, nullptr, TRUE);
}

void TSysInfoPage::FitColumns() {
  RECT client{};
  GetClientRect(m_grid, &client);
  const TSysInfoColumns widths = SysInfoColumnWidths(client.right, GRID_LINE_WIDTH);
  SendMessageW(m_grid, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(widths.caption + GRID_LINE_WIDTH, 0));
  SendMessageW(m_grid, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(widths.value + GRID_LINE_WIDTH, 0));
}

bool TSysInfoPage::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.hwndItem != m_grid || item.itemID == static_cast<UINT>(-1)) return false;
  const int row = static_cast<int>(item.itemID);
  const COLORREF background = SysInfoRowIsGrey(row) ? GREY_ROW : QV_COLOR_WHITE;
  const int captionWidth = static_cast<int>(SendMessageW(m_grid, LVM_GETCOLUMNWIDTH, 0, 0));
  const int valueWidth = static_cast<int>(SendMessageW(m_grid, LVM_GETCOLUMNWIDTH, 1, 0));
  RECT caption = item.rcItem;
  caption.right = caption.left + captionWidth;
  RECT value = item.rcItem;
  value.left = caption.right;
  value.right = value.left + valueWidth;
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, RGB(0, 0, 0));
  const HGDIOBJ font = SelectObject(item.hDC, m_boldFont.Get());
  DrawCell(item.hDC, caption, CellText(m_grid, row, 0), background, true, Scale(TEXT_INSET));
  SelectObject(item.hDC, m_textFont.Get());
  DrawCell(item.hDC, value, CellText(m_grid, row, 1), background, false, Scale(TEXT_INSET));
  SelectObject(item.hDC, font);
  // The row the keyboard is on, while the grid has the focus.
  if (item.itemState & ODS_FOCUS) {
    const RECT focus = {caption.left, caption.top, value.right - GRID_LINE_WIDTH, value.bottom - GRID_LINE_WIDTH};
    DrawFocusRect(item.hDC, &focus);
  }
  return true;
}

void TSysInfoPage::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int margin = Scale(20);
  PlaceWindow(m_title, margin, margin, client.right - 2 * margin, Scale(36));
  const int gridTop = margin + Scale(36) + Scale(10);
  PlaceWindow(m_grid, margin, gridTop, client.right - 2 * margin, SysInfoGridHeight(client.bottom, gridTop, margin));
  FitColumns();
}

void TSysInfoPage::OnDpiChanged(int, const RECT*) {
  MakeFonts();
  SendMessageW(m_title, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
  SendMessageW(m_grid, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  SetRowHeight();
  Layout();
}
