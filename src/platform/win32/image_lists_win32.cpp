#include "platform/win32/image_lists_win32.h"

static_assert(ILC_MASK == 0x0001 && ILC_COLOR32 == 0x0020);

namespace {

HIMAGELIST ToList(TImageListHandle list) { return reinterpret_cast<HIMAGELIST>(list); }

}  // namespace

HIMAGELIST ToImageList(TImageListRef list) { return ToList(list.handle); }

TImageListHandle TWin32ImageLists::Create(int32_t cx, int32_t cy, uint32_t flags, int32_t initial,
                                          int32_t grow) {
  return reinterpret_cast<TImageListHandle>(ImageList_Create(cx, cy, flags, initial, grow));
}

bool TWin32ImageLists::Destroy(TImageListHandle list) { return ImageList_Destroy(ToList(list)); }

int32_t TWin32ImageLists::AddIcon(TImageListHandle list, TIconHandle icon) {
  return ImageList_ReplaceIcon(ToList(list), -1, reinterpret_cast<HICON>(icon));
}

bool TWin32ImageLists::RemoveAll(TImageListHandle list) { return ImageList_RemoveAll(ToList(list)); }

int32_t TWin32ImageLists::ImageCount(TImageListHandle list) { return ImageList_GetImageCount(ToList(list)); }

bool TWin32ImageLists::DestroyIcon(TIconHandle icon) { return ::DestroyIcon(reinterpret_cast<HICON>(icon)); }
