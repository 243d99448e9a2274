// The handle owners: each handle is closed exactly once, on every path, and
// each owner frees its kind of handle with the system's own close function.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "platform/win32/win32_handles.h"

namespace {

// A handle kind whose close function records what it closed; -1 is "none",
// so that 0 is a handle like any other.
std::vector<int>& ClosedFakes() {
  static std::vector<int> closed;
  return closed;
}
void CloseFake(int handle) { ClosedFakes().push_back(handle); }
int NoFake() { return -1; }
using TFakeHandle = TOwnedHandle<int, &CloseFake, &NoFake>;

TEST(Win32Handles, EveryPathClosesEachHandleOnce) {
  const struct {
    const char* path;
    std::function<void()> run;
    std::vector<int> closed;  // in order
  } cases[] = {
      {"destroyed", [] { TFakeHandle owner(5); }, {5}},
      {"empty", [] { TFakeHandle owner; EXPECT_FALSE(owner); }, {}},
      {"holding the invalid value", [] { TFakeHandle owner(-1); EXPECT_FALSE(owner); }, {}},
      {"holding zero", [] { TFakeHandle owner(0); EXPECT_TRUE(owner); }, {0}},
      {"moved from",
       [] {
         TFakeHandle from(5);
         TFakeHandle to(std::move(from));
         EXPECT_FALSE(from);
         EXPECT_EQ(to.Get(), 5);
       },
       {5}},
      {"moved over another",
       [] {
         TFakeHandle from(5);
         TFakeHandle to(6);
         to = std::move(from);
         EXPECT_EQ(ClosedFakes(), std::vector<int>{6});
         EXPECT_EQ(to.Get(), 5);
       },
       {6, 5}},
      {"moved onto itself",
       [] {
         TFakeHandle owner(5);
         TFakeHandle& same = owner;
         owner = std::move(same);
         EXPECT_EQ(owner.Get(), 5);
         EXPECT_TRUE(ClosedFakes().empty());
       },
       {5}},
      {"reset to another",
       [] {
         TFakeHandle owner(5);
         owner.Reset(6);
         EXPECT_EQ(owner.Get(), 6);
       },
       {5, 6}},
      {"reset to none",
       [] {
         TFakeHandle owner(5);
         owner.Reset();
         EXPECT_FALSE(owner);
         EXPECT_EQ(owner.Get(), -1);
       },
       {5}},
      {"received into",
       [] {
         TFakeHandle owner(5);
         int* slot = owner.Receive();
         EXPECT_EQ(*slot, -1);
         *slot = 7;
         EXPECT_EQ(owner.Get(), 7);
       },
       {5, 7}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.path);
    ClosedFakes().clear();
    test.run();
    EXPECT_EQ(ClosedFakes(), test.closed);
  }
}

// Holds a new handle in its owner, sees it alive, resets the owner and sees it gone.
template <typename TOwner, typename TAlive>
void ExpectFreedByReset(TOwner owner, TAlive alive) {
  ASSERT_TRUE(owner);
  const auto handle = owner.Get();
  EXPECT_TRUE(alive(handle));
  owner.Reset();
  EXPECT_FALSE(alive(handle));
}

bool KernelObjectAlive(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

bool GdiObjectAlive(HGDIOBJ object) { return GetObjectType(object) != 0; }

bool IconAlive(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  TBitmap mask(info.hbmMask);
  TBitmap color(info.hbmColor);
  return true;
}

TEST(Win32Handles, EachOwnerFreesItsKindOfHandle) {
  {
    SCOPED_TRACE("kernel object");
    ExpectFreedByReset(TKernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)), KernelObjectAlive);
  }
  {
    SCOPED_TRACE("file");
    wchar_t folder[MAX_PATH + 1] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH + 1, folder), 0u);
    const std::wstring path = std::wstring(folder) + L"qv_handles_test.tmp";
    ExpectFreedByReset(TFileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                               FILE_FLAG_DELETE_ON_CLOSE, nullptr)),
                       KernelObjectAlive);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);  // deleted when closed
  }
  {
    SCOPED_TRACE("GDI objects");
    LOGFONTW font{};
    font.lfHeight = -12;
    ExpectFreedByReset(TFont(CreateFontIndirectW(&font)), GdiObjectAlive);
    ExpectFreedByReset(TBrush(CreateSolidBrush(RGB(1, 2, 3))), GdiObjectAlive);
    ExpectFreedByReset(TPen(CreatePen(PS_SOLID, 1, RGB(1, 2, 3))), GdiObjectAlive);
    ExpectFreedByReset(TBitmap(CreateBitmap(1, 1, 1, 32, nullptr)), GdiObjectAlive);
    ExpectFreedByReset(TRegion(CreateRectRgn(0, 0, 4, 4)), GdiObjectAlive);
    ExpectFreedByReset(TMemoryDC(CreateCompatibleDC(nullptr)), GdiObjectAlive);
  }
  {
    SCOPED_TRACE("icon");
    const BYTE andMask[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    const BYTE xorMask[4] = {0, 0, 0, 0};
    ExpectFreedByReset(TIcon(CreateIcon(GetModuleHandleW(nullptr), 1, 1, 1, 1, andMask, xorMask)), IconAlive);
  }
  {
    SCOPED_TRACE("menu");
    ExpectFreedByReset(TMenu(CreatePopupMenu()), [](HMENU menu) { return IsMenu(menu) != FALSE; });
  }
}

TEST(Win32Handles, SelectionEndsWithItsScope) {
  TMemoryDC dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  TBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
  const HGDIOBJ before = GetCurrentObject(dc.Get(), OBJ_BRUSH);
  {
    TSelectObject select(dc.Get(), brush.Get());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), brush.Get());
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), before);
}

}  // namespace
