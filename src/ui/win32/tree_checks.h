// Check marks of tree-view nodes, kept as the nodes' state images: 2 checked,
// 1 unchecked (a tree with TVS_CHECKBOXES draws them as check boxes). A null
// node does nothing and is not checked.
#pragma once

#include <windows.h>
#include <commctrl.h>

// True when the node's state image is 2 or 3 (bit 13 of its state).
bool IsNodeChecked(HWND tree, HTREEITEM node);
void SetNodeChecked(HWND tree, HTREEITEM node, bool AChecked);
// True when any node of the tree, expanded or not, is checked.
bool AnyNodeChecked(HWND tree);
// Sets every descendant of the node, depth first, children in order.
void SetChildNodesChecked(HWND tree, HTREEITEM node, bool AChecked);
// The node's parent, if it has one, becomes checked exactly when AChecked is
// true and every child of the parent has that state; otherwise unchecked.
void UpdateParentNodeChecked(HWND tree, HTREEITEM node, bool AChecked);
