// Check marks on a real tree view, the held busy cursor against the windows'
// own cursors, and the taskbar button's progress.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/win32/taskbar_progress.h"
#include "ui/win32/temp_cursor.h"
#include "ui/win32/tree_checks.h"
#include "ui/win32/window.h"

namespace {

class THostWindow : public TWindow {
 public:
  bool Create() {
    return TWindow::Create(L"QvHelpersTestHost", {}, WS_OVERLAPPEDWINDOW, 0, L"host", {50, 50, 450, 450},
                           nullptr);
  }
};

// Category A with A1..A3; category B with B1, which holds B1a (collapsed).
class TreeChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Create());
    tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_CHECKBOXES, 0, 0, 300,
                           300, host.Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(tree, nullptr);
    a = Insert(TVI_ROOT, L"A");
    a1 = Insert(a, L"A1");
    a2 = Insert(a, L"A2");
    a3 = Insert(a, L"A3");
    b = Insert(TVI_ROOT, L"B");
    b1 = Insert(b, L"B1");
    b1a = Insert(b1, L"B1a");
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(a));
  }

  HTREEITEM Insert(HTREEITEM parent, const wchar_t* text) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text);
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }
  UINT StateImage(HTREEITEM node) {
    return static_cast<UINT>(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node), TVIS_STATEIMAGEMASK)) >> 12;
  }
  void SetStateImage(HTREEITEM node, UINT index) {
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_STATE;
    item.hItem = node;
    item.stateMask = TVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(index);
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }

  THostWindow host;
  HWND tree = nullptr;
  HTREEITEM a{}, a1{}, a2{}, a3{}, b{}, b1{}, b1a{};
};

TEST_F(TreeChecks, StateImagesAndNullNodes) {
  EXPECT_FALSE(AnyNodeChecked(tree));
  SetNodeChecked(tree, a1, true);
  EXPECT_EQ(StateImage(a1), 2u);
  EXPECT_TRUE(IsNodeChecked(tree, a1));
  SetNodeChecked(tree, a1, false);
  EXPECT_EQ(StateImage(a1), 1u);
  EXPECT_FALSE(IsNodeChecked(tree, a1));
  // State image 3 counts as checked, 0 as not.
  SetStateImage(a2, 3);
  EXPECT_TRUE(IsNodeChecked(tree, a2));
  SetStateImage(a2, 0);
  EXPECT_FALSE(IsNodeChecked(tree, a2));

  EXPECT_FALSE(IsNodeChecked(tree, nullptr));
  SetNodeChecked(tree, nullptr, true);
  SetChildNodesChecked(tree, nullptr, true);
  UpdateParentNodeChecked(tree, nullptr, true);
  EXPECT_FALSE(AnyNodeChecked(tree));
  EXPECT_FALSE(AnyNodeChecked(nullptr));
}

TEST_F(TreeChecks, AnyNodeCheckedSeesCollapsedNodes) {
  SetNodeChecked(tree, b1a, true);  // under the collapsed B
  EXPECT_TRUE(AnyNodeChecked(tree));
  SetNodeChecked(tree, b1a, false);
  SetNodeChecked(tree, b, true);  // the last root
  EXPECT_TRUE(AnyNodeChecked(tree));
}

TEST_F(TreeChecks, ChildrenFollowTheirNode) {
  SetChildNodesChecked(tree, b, true);
  EXPECT_TRUE(IsNodeChecked(tree, b1));
  EXPECT_TRUE(IsNodeChecked(tree, b1a));
  EXPECT_FALSE(IsNodeChecked(tree, b));  // the node itself is left alone
  EXPECT_FALSE(IsNodeChecked(tree, a1));
  SetChildNodesChecked(tree, b, false);
  EXPECT_FALSE(AnyNodeChecked(tree));
}

TEST_F(TreeChecks, ParentFollowsItsChildren) {
  // Each step checks or unchecks one child of A and updates A from it.
  struct Step {
    HTREEITEM child;
    bool checked;
    bool parentChecked;
  } steps[] = {
      {a1, true, false},  // A2, A3 unchecked
      {a2, true, false},
      {a3, true, true},    // all checked
      {a2, false, false},  // one unchecked
      {a1, false, false},
      {a3, false, false},  // all unchecked: the parent is unchecked too
  };
  for (const Step& step : steps) {
    SetNodeChecked(tree, step.child, step.checked);
    UpdateParentNodeChecked(tree, step.child, step.checked);
    EXPECT_EQ(IsNodeChecked(tree, a), step.parentChecked);
  }
  // A root node has no parent: nothing changes.
  SetNodeChecked(tree, b, true);
  UpdateParentNodeChecked(tree, b, false);
  EXPECT_TRUE(IsNodeChecked(tree, b));
  EXPECT_FALSE(IsNodeChecked(tree, a));
}

// The cursor a window sets when the pointer moves over its client area.
HCURSOR CursorAfterSetCursor(HWND hwnd) {
  SetCursor(nullptr);
  SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return GetCursor();
}

TEST(TempCursor, HeldCursorWinsOverTheWindowsOwn) {
  THostWindow host;
  ASSERT_TRUE(host.Create());
  HWND child = CreateWindowExW(0, WC_STATICW, L"child", WS_CHILD | WS_VISIBLE, 10, 10, 100, 30, host.Handle(),
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  const HCURSOR appStarting = LoadCursorW(nullptr, IDC_APPSTARTING);
  EXPECT_EQ(CursorAfterSetCursor(host.Handle()), arrow);
  EXPECT_EQ(HeldTempCursor(), nullptr);
  {
    auto busy = SetTempCursor();
    EXPECT_EQ(GetCursor(), wait);  // shown at once
    EXPECT_EQ(HeldTempCursor(), wait);
    EXPECT_EQ(CursorAfterSetCursor(host.Handle()), wait);
    // A standard child asks its parent first.
    EXPECT_EQ(CursorAfterSetCursor(child), wait);
    {
      auto inner = SetTempCursor(appStarting);
      EXPECT_EQ(CursorAfterSetCursor(host.Handle()), appStarting);
    }
    EXPECT_EQ(CursorAfterSetCursor(host.Handle()), wait);
  }
  EXPECT_EQ(HeldTempCursor(), nullptr);
  EXPECT_EQ(CursorAfterSetCursor(host.Handle()), arrow);

  // Released out of order, the later one stays until it is released too.
  auto first = SetTempCursor(wait);
  auto second = SetTempCursor(appStarting);
  first.reset();
  EXPECT_EQ(CursorAfterSetCursor(host.Handle()), appStarting);
  second.reset();
  EXPECT_EQ(CursorAfterSetCursor(host.Handle()), arrow);
}

TEST(TaskbarProgress, PositionFollowsTheDownloadSteps) {
  THostWindow host;
  ASSERT_TRUE(host.Create());
  TTaskbarProgress progress(host.Handle());
  // Known Wine deviation: Wine 8's taskbar list (explorerframe.dll) creates
  // the object and answers S_OK to the progress calls, which are stubs that
  // show nothing; Windows shows the progress on the taskbar button.
  EXPECT_TRUE(progress.Available());
  const bool taken = progress.Available();
  EXPECT_EQ(progress.SetMax(300), taken);
  EXPECT_EQ(progress.SetState(TTaskbarState::normal), taken);
  EXPECT_EQ(progress.StepBy(100), taken);
  EXPECT_EQ(progress.StepBy(100), taken);
  EXPECT_EQ(progress.Position(), 200u);
  // The next driver's maximum keeps the position.
  EXPECT_EQ(progress.SetMax(1000), taken);
  EXPECT_EQ(progress.Position(), 200u);
  EXPECT_EQ(progress.Max(), 1000u);
  // Past the end and an empty range are shown without failing.
  EXPECT_EQ(progress.SetValue(1500, 1000), taken);
  EXPECT_EQ(progress.SetValue(0, 0), taken);
  for (TTaskbarState state : {TTaskbarState::paused, TTaskbarState::error, TTaskbarState::indeterminate,
                              TTaskbarState::none}) {
    EXPECT_EQ(progress.SetState(state), taken);
  }
}

TEST(TaskbarProgress, WithoutAWindowNothingHappens) {
  TTaskbarProgress progress(nullptr);
  EXPECT_FALSE(progress.SetState(TTaskbarState::normal));
  EXPECT_FALSE(progress.StepBy(10));
  EXPECT_EQ(progress.Position(), 10u);
}

}  // namespace
