#include "ui/win32/tree_checks.h"

namespace {

constexpr UINT CHECKED_BIT = 0x2000;  // bit 13: state images 2 and 3

HTREEITEM Next(HWND tree, HTREEITEM node, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
}

// The node after `node` in absolute order (depth first, children in order).
HTREEITEM NextInTree(HWND tree, HTREEITEM node) {
  if (HTREEITEM child = Next(tree, node, TVGN_CHILD)) return child;
  for (HTREEITEM at = node; at; at = Next(tree, at, TVGN_PARENT)) {
    if (HTREEITEM sibling = Next(tree, at, TVGN_NEXT)) return sibling;
  }
  return nullptr;
}

}  // namespace

bool IsNodeChecked(HWND tree, HTREEITEM node) {
  if (!tree || !node) return false;
  TVITEMW item{};
  item.mask = TVIF_HANDLE | TVIF_STATE;
  item.hItem = node;
  item.stateMask = TVIS_STATEIMAGEMASK;
  if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return false;
  return (item.state & CHECKED_BIT) != 0;
}

void SetNodeChecked(HWND tree, HTREEITEM node, bool AChecked) {
  if (!tree || !node) return;
  TVITEMW item{};
  item.mask = TVIF_HANDLE | TVIF_STATE;
  item.hItem = node;
  item.stateMask = TVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(AChecked ? 2 : 1);
  SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

bool AnyNodeChecked(HWND tree) {
  if (!tree) return false;
  for (HTREEITEM node = Next(tree, nullptr, TVGN_ROOT); node; node = NextInTree(tree, node)) {
    if (IsNodeChecked(tree, node)) return true;
  }
  return false;
}

void SetChildNodesChecked(HWND tree, HTREEITEM node, bool AChecked) {
  if (!tree || !node) return;
  for (HTREEITEM child = Next(tree, node, TVGN_CHILD); child; child = Next(tree, child, TVGN_NEXT)) {
    SetNodeChecked(tree, child, AChecked);
    SetChildNodesChecked(tree, child, AChecked);
  }
}

void UpdateParentNodeChecked(HWND tree, HTREEITEM node, bool AChecked) {
  if (!tree || !node) return;
  HTREEITEM parent = Next(tree, node, TVGN_PARENT);
  if (!parent) return;
  bool all = AChecked;
  for (HTREEITEM child = Next(tree, parent, TVGN_CHILD); all && child; child = Next(tree, child, TVGN_NEXT)) {
    all = IsNodeChecked(tree, child) == AChecked;
  }
  SetNodeChecked(tree, parent, all);
}
