// Image-list port over the common controls' image lists and user32's icons.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "platform/image_lists.h"

// The one place an image list of the port becomes the common controls' handle.
HIMAGELIST ToImageList(TImageListRef list);

class TWin32ImageLists : public IImageLists {
 public:
  TImageListHandle Create(int32_t cx, int32_t cy, uint32_t flags, int32_t initial,
                          int32_t grow) override;
  bool Destroy(TImageListHandle list) override;
  int32_t AddIcon(TImageListHandle list, TIconHandle icon) override;
  bool RemoveAll(TImageListHandle list) override;
  int32_t ImageCount(TImageListHandle list) override;
  bool DestroyIcon(TIconHandle icon) override;
};
