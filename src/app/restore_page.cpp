#include "app/restore_page.h"

#include <commctrl.h>

#include "platform/win32/win32_text.h"

bool TRestorePage::Create(HWND card, const TLayoutRect& rect, HWND tipsOwner, TRestorePageEvents events) {
  m_events = std::move(events);
  if (!CreatePage(CLASS_NAME, card, rect, idRestorePage)) return false;
  MakeFonts();
  m_tips.Create(tipsOwner);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  auto child = [&](const wchar_t* className, DWORD style, DWORD exStyle, int id) {
    HWND hwnd = CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 1, 1, Handle(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
    return hwnd;
  };
  m_title = CreateLabel(Handle(), idRestoreTitle, "", {0, 0, 1, 1}, m_titleFont.Get());
  m_info = child(WC_STATICW, SS_LEFT | SS_NOPREFIX, 0, idRestoreInfo);
  m_srcLabel = CreateLabel(Handle(), idRestoreSrcLabel, "", {0, 0, 1, 1}, m_textFont.Get());
  m_path = child(WC_EDITW, ES_AUTOHSCROLL | ES_READONLY | WS_DISABLED, WS_EX_CLIENTEDGE, idRestorePathEdit);
  m_list = child(WC_LISTVIEWW,
                 WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                 WS_EX_CLIENTEDGE, idRestoreList);
  SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = Scale(500);
  SendMessageW(m_list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  m_prompt = child(WC_BUTTONW, BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0, idPromptReboot);
  m_auto = child(WC_BUTTONW, BS_AUTORADIOBUTTON | WS_TABSTOP, 0, idAutoReboot);
  m_change.Create(Handle(), idChangeRestorePath, "", {0, 0, Scale(100), Scale(28)});
  m_change.SetFont(m_textFont.Get());
  m_restore.Create(Handle(), idRestoreButton, "", {0, 0, Scale(125), Scale(40)});
  m_restore.SetFont(m_buttonFont.Get());
  SetButtonEnabled(m_restore, false);
  Layout();
  return true;
}

void TRestorePage::MakeFonts() {
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(24), true);
  m_textFont = MakeFont(L"Segoe UI", Scale(12));
  m_buttonFont = MakeFont(L"Segoe UI", Scale(16), true);
}

void TRestorePage::Apply(const TRestoreView& view) {
  m_applying = true;
  const TRestoreView* shown = m_shown ? &*m_shown : nullptr;
  auto setText = [](HWND hwnd, const std::string& text) { SetWindowTextW(hwnd, Utf8ToWide(text).c_str()); };
  if (!shown || shown->title != view.title) setText(m_title, view.title);
  if (!shown || shown->info != view.info) setText(m_info, view.info);
  if (!shown || shown->pathLabel != view.pathLabel) setText(m_srcLabel, view.pathLabel);
  if (!shown || shown->path != view.path) setText(m_path, view.path);
  if (!shown || shown->promptRebootCaption != view.promptRebootCaption) setText(m_prompt, view.promptRebootCaption);
  if (!shown || shown->autoRebootCaption != view.autoRebootCaption) setText(m_auto, view.autoRebootCaption);
  if (!shown || shown->changeCaption != view.changeCaption || shown->changeHint != view.changeHint) {
    setText(m_change.Handle(), view.changeCaption);
    m_tips.Set(m_change.Handle(), view.changeHint);
  }
  if (!shown || shown->restoreCaption != view.restoreCaption || shown->restoreHint != view.restoreHint) {
    setText(m_restore.Handle(), view.restoreCaption);
    FitControlWidth(m_restore.Handle(), QV_DESIGN_DPI);
    m_tips.Set(m_restore.Handle(), view.restoreHint);
    Layout();
  }
  if (!shown || shown->build != view.build) Fill(view.lines);
  if (!shown || shown->build != view.build || shown->selected != view.selected) SelectLine(view.selected);
  if (!shown || shown->autoReboot != view.autoReboot) {
    SendMessageW(m_prompt, BM_SETCHECK, view.autoReboot ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageW(m_auto, BM_SETCHECK, view.autoReboot ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  if (!shown || shown->restoreEnabled != view.restoreEnabled) SetButtonEnabled(m_restore, view.restoreEnabled);
  m_shown = view;
  m_applying = false;
}

void TRestorePage::Fill(const std::vector<std::string>& lines) {
  SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(m_list, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::wstring text = Utf8ToWide(lines[i]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = text.data();
    SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_list, nullptr, TRUE);
}

void TRestorePage::SelectLine(int line) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  if (line < 0) return;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&item));
}

bool TRestorePage::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != m_list || m_applying) return false;
  const int line = static_cast<int>(SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (header.code == NM_CLICK) {
    if (m_events.selected) m_events.selected(line);
    return true;
  }
  if (header.code == NM_RCLICK) {
    // The list selected the line under the pointer on the button press.
    const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
    POINT screen = click.ptAction;
    ClientToScreen(m_list, &screen);
    if (m_events.selected) m_events.selected(line);
    if (m_events.menu) m_events.menu(line, screen);
    return true;
  }
  if (header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) && ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) &&
        m_events.selected)
      m_events.selected(line);
    return true;
  }
  return false;
}

void TRestorePage::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case idChangeRestorePath: if (m_events.changePath) m_events.changePath(); break;
    case idRestoreButton: if (m_events.restore) m_events.restore(); break;
    case idPromptReboot: if (m_events.rebootChoice) m_events.rebootChoice(false); break;
    case idAutoReboot: if (m_events.rebootChoice) m_events.rebootChoice(true); break;
    default: break;
  }
}

void TRestorePage::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int margin = Scale(20);
  const int width = client.right - 2 * margin;
  PlaceWindow(m_title, margin, Scale(15), width, Scale(36));
  PlaceWindow(m_info, margin, Scale(55), width, Scale(55));
  const int labelWidth = Scale(85);
  RECT change{};
  GetWindowRect(m_change.Handle(), &change);
  const int changeWidth = change.right - change.left;
  PlaceWindow(m_srcLabel, margin, Scale(118), labelWidth, Scale(20));
  PlaceWindow(m_path, margin + labelWidth, Scale(114), width - labelWidth - changeWidth - Scale(10), Scale(24));
  PlaceWindow(m_change.Handle(), client.right - margin - changeWidth, Scale(112), changeWidth, Scale(28));
  RECT button{};
  GetWindowRect(m_restore.Handle(), &button);
  const int buttonWidth = button.right - button.left;
  const int buttonTop = client.bottom - Scale(20) - Scale(40);
  PlaceWindow(m_restore.Handle(), client.right - margin - buttonWidth, buttonTop, buttonWidth, Scale(40));
  PlaceWindow(m_prompt, margin, buttonTop - Scale(54), width, Scale(22));
  PlaceWindow(m_auto, margin, buttonTop - Scale(28), width, Scale(22));
  PlaceWindow(m_list, margin, Scale(150), width, buttonTop - Scale(64) - Scale(150));
}

void TRestorePage::OnSize(int, int) { Layout(); }

void TRestorePage::OnDpiChanged(int, const RECT*) {
  MakeFonts();
  SendMessageW(m_title, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
  for (HWND control : {m_info, m_srcLabel, m_path, m_list, m_prompt, m_auto})
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  m_change.SetFont(m_textFont.Get());
  m_restore.SetFont(m_buttonFont.Get());
  Layout();
}
