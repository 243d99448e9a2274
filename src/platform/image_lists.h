// Image-list port: the common controls' image lists that hold the class icons.
#pragma once

#include <cstdint>

#include "platform/device_install.h"

// ImageList_Create flags.
#ifndef ILC_MASK
constexpr uint32_t ILC_MASK = 0x00000001;
#endif
#ifndef ILC_COLOR32
constexpr uint32_t ILC_COLOR32 = 0x00000020;
#endif

// An image list of the port as the engine hands it to the window: typed, so
// only the Win32 side turns it into its HIMAGELIST (ToImageList in
// platform/win32/image_lists_win32.h).
struct TImageListRef {
  TImageListHandle handle = 0;

  bool operator==(const TImageListRef&) const = default;
};

class IImageLists {
 public:
  virtual ~IImageLists() = default;
  // ImageList_Create; 0 on failure.
  virtual TImageListHandle Create(int32_t cx, int32_t cy, uint32_t flags, int32_t initial,
                                  int32_t grow) = 0;
  virtual bool Destroy(TImageListHandle list) = 0;
  // ImageList_AddIcon (the list keeps a copy): the new index, or -1.
  virtual int32_t AddIcon(TImageListHandle list, TIconHandle icon) = 0;
  virtual bool RemoveAll(TImageListHandle list) = 0;
  virtual int32_t ImageCount(TImageListHandle list) = 0;
  // DestroyIcon, for icons the program loaded.
  virtual bool DestroyIcon(TIconHandle icon) = 0;
};

// Owns one image list of the port.
class TScopedImageList {
 public:
  TScopedImageList(IImageLists& port, TImageListHandle list) : m_port(port), m_list(list) {}
  ~TScopedImageList() {
    if (m_list != 0) m_port.Destroy(m_list);
  }
  TScopedImageList(const TScopedImageList&) = delete;
  TScopedImageList& operator=(const TScopedImageList&) = delete;

  TImageListHandle Get() const { return m_list; }
  TImageListRef Ref() const { return {m_list}; }

 private:
  IImageLists& m_port;
  TImageListHandle m_list;
};
