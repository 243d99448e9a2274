#include "app/backup_page.h"

#include "platform/win32/win32_text.h"
#include "ui/win32/tree_checks.h"

namespace {

HTREEITEM TreeNext(HWND tree, HTREEITEM node, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
}

TDeviceProperties* DeviceOf(HWND tree, HTREEITEM node) {
  TVITEMW item{};
  item.mask = TVIF_HANDLE | TVIF_PARAM;
  item.hItem = node;
  if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<TDeviceProperties*>(item.lParam);
}

}  // namespace

TBackupPage::~TBackupPage() {
  // The check boxes' state images are the control's own list, which the
  // program destroys; the class images are the engine's and stay.
  if (!m_tree) return;
  auto state = reinterpret_cast<HIMAGELIST>(SendMessageW(m_tree, TVM_GETIMAGELIST, TVSIL_STATE, 0));
  SendMessageW(m_tree, TVM_SETIMAGELIST, TVSIL_STATE, 0);
  SendMessageW(m_tree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
  DestroyWindow(m_tree);
  m_tree = nullptr;
  if (state) ImageList_Destroy(state);
}

bool TBackupPage::Create(HWND card, const TLayoutRect& rect, HWND tipsOwner, TBackupPageEvents events) {
  m_events = std::move(events);
  if (!CreatePage(CLASS_NAME, card, rect, idBackupPage)) return false;
  MakeFonts();
  m_tips.Create(tipsOwner);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  m_title = CreateLabel(Handle(), idBackupTitle, "", {0, 0, 1, 1}, m_titleFont.Get());
  m_info = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 1, 1, Handle(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(idBackupInfo)), instance, nullptr);
  SendMessageW(m_info, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  m_destLabel = CreateLabel(Handle(), idBackupDestLabel, "", {0, 0, 1, 1}, m_textFont.Get());
  m_path = CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_READONLY, 0,
                           0, 1, 1, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(idBackupPathEdit)),
                           instance, nullptr);
  SendMessageW(m_path, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  m_tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                               TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP,
                           0, 0, 1, 1, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(idDeviceView)),
                           instance, nullptr);
  // The control makes its check boxes only when the style is added after creation.
  SetWindowLongPtrW(m_tree, GWL_STYLE, GetWindowLongPtrW(m_tree, GWL_STYLE) | TVS_CHECKBOXES);
  SendMessageW(m_tree, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  m_change.Create(Handle(), idChangeBackupPath, "", {0, 0, Scale(100), Scale(28)});
  m_change.SetFont(m_textFont.Get());
  m_backup.Create(Handle(), idBackupButton, "", {0, 0, Scale(125), Scale(40)});
  m_backup.SetFont(m_buttonFont.Get());
  SetButtonEnabled(m_backup, false);
  Layout();
  return true;
}

void TBackupPage::MakeFonts() {
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(24), true);
  m_textFont = MakeFont(L"Segoe UI", Scale(12));
  m_buttonFont = MakeFont(L"Segoe UI", Scale(16), true);
}

void TBackupPage::Apply(const TBackupPageView& view) {
  const TBackupPageView* shown = m_shown ? &*m_shown : nullptr;
  if (!shown || shown->title != view.title) SetWindowTextW(m_title, Utf8ToWide(view.title).c_str());
  if (!shown || shown->info != view.info) SetWindowTextW(m_info, Utf8ToWide(view.info).c_str());
  if (!shown || shown->pathLabel != view.pathLabel) SetWindowTextW(m_destLabel, Utf8ToWide(view.pathLabel).c_str());
  if (!shown || shown->path != view.path) SetWindowTextW(m_path, Utf8ToWide(view.path).c_str());
  if (!shown || shown->changeCaption != view.changeCaption || shown->changeHint != view.changeHint) {
    SetWindowTextW(m_change.Handle(), Utf8ToWide(view.changeCaption).c_str());
    m_tips.Set(m_change.Handle(), view.changeHint);
  }
  if (!shown || shown->backupCaption != view.backupCaption || shown->backupHint != view.backupHint) {
    SetWindowTextW(m_backup.Handle(), Utf8ToWide(view.backupCaption).c_str());
    FitControlWidth(m_backup.Handle(), QV_DESIGN_DPI);
    m_tips.Set(m_backup.Handle(), view.backupHint);
  }
  if (!shown || shown->backupEnabled != view.backupEnabled) SetButtonEnabled(m_backup, view.backupEnabled);
  if (!shown) Layout();
  m_shown = view;
}

void TBackupPage::FillTree(const TBackupTreeNode& root, HIMAGELIST images) {
  SendMessageW(m_tree, WM_SETREDRAW, FALSE, 0);
  SendMessageW(m_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  if (images) SendMessageW(m_tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  // The nodes come sorted: each goes last under its parent.
  InsertNode(root, TVI_ROOT);
  if (HTREEITEM top = TreeNext(m_tree, nullptr, TVGN_ROOT)) {
    SendMessageW(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
  }
  SendMessageW(m_tree, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_tree, nullptr, TRUE);
}

void TBackupPage::InsertNode(const TBackupTreeNode& node, HTREEITEM parent) {
  std::wstring text = Utf8ToWide(node.text);
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
  insert.item.pszText = text.data();
  insert.item.iImage = insert.item.iSelectedImage = node.image;
  insert.item.lParam = reinterpret_cast<LPARAM>(node.device);
  insert.item.stateMask = TVIS_STATEIMAGEMASK;
  insert.item.state = INDEXTOSTATEIMAGEMASK(1);
  auto added = reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!added) return;
  for (const TBackupTreeNode& child : node.children) InsertNode(child, added);
}

bool TBackupPage::AnyNodeTicked() const { return AnyNodeChecked(m_tree); }

std::vector<TDeviceProperties*> TBackupPage::TickedDevices() const {
  std::vector<TDeviceProperties*> devices;
  for (HTREEITEM top = TreeNext(m_tree, nullptr, TVGN_ROOT); top; top = TreeNext(m_tree, top, TVGN_NEXT)) {
    for (HTREEITEM group = TreeNext(m_tree, top, TVGN_CHILD); group; group = TreeNext(m_tree, group, TVGN_NEXT)) {
      for (HTREEITEM node = TreeNext(m_tree, group, TVGN_CHILD); node; node = TreeNext(m_tree, node, TVGN_NEXT)) {
        if (!IsNodeChecked(m_tree, node)) continue;
        if (TDeviceProperties* device = DeviceOf(m_tree, node)) devices.push_back(device);
      }
    }
  }
  return devices;
}

bool TBackupPage::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != m_tree) return false;
  HTREEITEM toggled = nullptr;
  if (header.code == NM_CLICK) {
    const DWORD at = GetMessagePos();
    TVHITTESTINFO hit{};
    hit.pt = POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ScreenToClient(m_tree, &hit.pt);
    SendMessageW(m_tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.flags & TVHT_ONITEMSTATEICON) toggled = hit.hItem;
  } else if (header.code == TVN_KEYDOWN && reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey == VK_SPACE) {
    toggled = TreeNext(m_tree, nullptr, TVGN_CARET);
  }
  if (!toggled) return false;
  // The control flips the mark after this notification returns.
  m_toggled = toggled;
  PostMessageW(Handle(), QV_TREE_CHECK_TOGGLED, 0, 0);
  return false;
}

bool TBackupPage::OnUserMessage(UINT message) {
  if (message != QV_TREE_CHECK_TOGGLED) return false;
  HTREEITEM node = m_toggled;
  m_toggled = nullptr;
  if (node) NodeToggled(node);
  return true;
}

void TBackupPage::NodeToggled(HTREEITEM node) {
  const bool checked = IsNodeChecked(m_tree, node);
  HTREEITEM parent = TreeNext(m_tree, node, TVGN_PARENT);
  const bool deviceNode = parent && TreeNext(m_tree, parent, TVGN_PARENT);
  if (deviceNode) {
    UpdateParentNodeChecked(m_tree, node, checked);
  } else {
    SetChildNodesChecked(m_tree, node, checked);
  }
  if (m_events.ticksChanged) m_events.ticksChanged();
}

void TBackupPage::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  if (id == idChangeBackupPath && m_events.changePath) m_events.changePath();
  if (id == idBackupButton && m_events.backup) m_events.backup();
}

void TBackupPage::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int margin = Scale(20);
  const int width = client.right - 2 * margin;
  PlaceWindow(m_title, margin, Scale(15), width, Scale(36));
  PlaceWindow(m_info, margin, Scale(55), width, Scale(40));
  const int labelWidth = Scale(85);
  RECT change{};
  GetWindowRect(m_change.Handle(), &change);
  const int changeWidth = change.right - change.left;
  PlaceWindow(m_destLabel, margin, Scale(104), labelWidth, Scale(20));
  PlaceWindow(m_path, margin + labelWidth, Scale(100), width - labelWidth - changeWidth - Scale(10), Scale(24));
  PlaceWindow(m_change.Handle(), client.right - margin - changeWidth, Scale(98), changeWidth, Scale(28));
  RECT button{};
  GetWindowRect(m_backup.Handle(), &button);
  const int buttonWidth = button.right - button.left;
  const int buttonTop = client.bottom - Scale(20) - Scale(40);
  PlaceWindow(m_backup.Handle(), client.right - margin - buttonWidth, buttonTop, buttonWidth, Scale(40));
  PlaceWindow(m_tree, margin, Scale(136), width, buttonTop - Scale(10) - Scale(136));
}

void TBackupPage::OnSize(int, int) { Layout(); }

void TBackupPage::OnDpiChanged(int, const RECT*) {
  MakeFonts();
  SendMessageW(m_title, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
  for (HWND control : {m_info, m_destLabel, m_path, m_tree})
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);
  m_change.SetFont(m_textFont.Get());
  m_backup.SetFont(m_buttonFont.Get());
  Layout();
}
