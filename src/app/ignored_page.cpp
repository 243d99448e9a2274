#include "app/ignored_page.h"

#include <commctrl.h>

#include "platform/win32/win32_text.h"

namespace {

void SetColumn(HWND list, int index, const std::string& caption, int width, bool insert) {
  std::wstring text = Utf8ToWide(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = text.data();
  column.cx = width;
  SendMessageW(list, insert ? LVM_INSERTCOLUMNW : LVM_SETCOLUMNW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&column));
}

}  // namespace

bool TIgnoredPage::Create(HWND card, const TLayoutRect& rect, HWND tipsOwner, std::function<void(size_t, bool)> checked,
                          std::function<void()> include) {
  m_checked = std::move(checked);
  m_onInclude = std::move(include);
  if (!CreatePage(CLASS_NAME, card, rect, idIgnoredPage)) {
    return false;
  }
  MakeFonts();
  m_tips.Create(tipsOwner);
  m_title = CreateLabel(Handle(), idIgnoredTitle, "", {0, 0, 1, 1}, m_titleFont.Get());
  m_text = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 1, 1, Handle(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(idIgnoredText)), GetModuleHandleW(nullptr),
                           nullptr);
  SendMessageW(m_text, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  // Clicking a column header does not sort.
  m_list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS, 0,
                           0, 1, 1, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(idIgnoreList)),
                           GetModuleHandleW(nullptr), nullptr);
  SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  SendMessageW(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  SetColumn(m_list, 0, "", Scale(IGNORED_NAME_COLUMN_WIDTH), true);
  SetColumn(m_list, 1, "", Scale(IGNORED_VERSION_COLUMN_WIDTH), true);
  m_include.Create(Handle(), idIncludeButton, "", {0, 0, Scale(125), Scale(40)});
  m_include.SetFont(m_buttonFont.Get());
  SetButtonEnabled(m_include, false);
  Layout();
  return true;
}

void TIgnoredPage::MakeFonts() {
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(24), true);
  m_textFont = MakeFont(L"Segoe UI", Scale(12));
  m_buttonFont = MakeFont(L"Segoe UI", Scale(16), true);
}

void TIgnoredPage::Apply(const TIgnoredView& view) {
  const TIgnoredView* shown = m_shown ? &*m_shown : nullptr;
  const bool textsChanged = !shown || shown->title != view.title || shown->explanation != view.explanation ||
                            shown->nameColumn != view.nameColumn || shown->versionColumn != view.versionColumn ||
                            shown->include != view.include || shown->includeHint != view.includeHint;
  if (textsChanged) {
    SetWindowTextW(m_title, Utf8ToWide(view.title).c_str());
    SetWindowTextW(m_text, Utf8ToWide(view.explanation).c_str());
    SetColumn(m_list, 0, view.nameColumn, Scale(IGNORED_NAME_COLUMN_WIDTH), false);
    SetColumn(m_list, 1, view.versionColumn, Scale(IGNORED_VERSION_COLUMN_WIDTH), false);
    SetWindowTextW(m_include.Handle(), Utf8ToWide(view.include).c_str());
    FitControlWidth(m_include.Handle(), QV_DESIGN_DPI);
    m_tips.Set(m_include.Handle(), view.includeHint);
    Layout();
  }
  if (!shown || shown->fill != view.fill) Fill(view.rows);
  if (!shown || shown->includeEnabled != view.includeEnabled) SetButtonEnabled(m_include, view.includeEnabled);
  m_shown = view;
}

void TIgnoredPage::Fill(const std::vector<TIgnoredRow>& rows) {
  // Filling adds unchecked rows; the list's own notifications of it are not the user's.
  m_filling = true;
  SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(m_list, LVM_DELETEALLITEMS, 0, 0);
  for (const TIgnoredRow& row : rows) AppendListRow(m_list, row.name, row.version);
  SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_list, nullptr, TRUE);
  m_filling = false;
}

bool TIgnoredPage::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != m_list || header.code != LVN_ITEMCHANGED || m_filling) return false;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  if (!(change.uChanged & LVIF_STATE) || change.iItem < 0) return false;
  // The check box is state image 2 when ticked, 1 when clear.
  const UINT before = (change.uOldState & LVIS_STATEIMAGEMASK) >> 12;
  const UINT after = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
  if (before == after || after == 0) return false;
  if (m_checked) m_checked(static_cast<size_t>(change.iItem), after == 2);
  return true;
}

void TIgnoredPage::OnCommand(int id, int code, HWND) {
  if (id == idIncludeButton && code == BN_CLICKED && m_onInclude) m_onInclude();
}

void TIgnoredPage::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int margin = Scale(20);
  const int width = client.right - 2 * margin;
  PlaceWindow(m_title, margin, Scale(15), width, Scale(36));
  PlaceWindow(m_text, margin, Scale(60), width, Scale(100));
  RECT button{};
  GetWindowRect(m_include.Handle(), &button);
  const int buttonWidth = button.right - button.left;
  const int buttonTop = client.bottom - Scale(25) - Scale(40);
  PlaceWindow(m_include.Handle(), client.right - margin - buttonWidth, buttonTop, buttonWidth, Scale(40));
  PlaceWindow(m_list, margin, Scale(170), width, buttonTop - Scale(15) - Scale(170));
}

void TIgnoredPage::OnSize(int, int) { Layout(); }

void TIgnoredPage::OnDpiChanged(int, const RECT*) {
  MakeFonts();
  SendMessageW(m_title, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
  SendMessageW(m_text, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  SendMessageW(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  m_include.SetFont(m_buttonFont.Get());
  Layout();
}
