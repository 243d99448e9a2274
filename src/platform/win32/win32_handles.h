// Owners of Win32 handles: one small owner per close function, so every handle
// is released on every path; and the scoped device contexts of drawing.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <utility>

// The null handle; INVALID_HANDLE_VALUE for the handles that use it.
template <typename THandle>
THandle NullHandle() {
  return THandle{};
}
inline HANDLE InvalidHandle() { return INVALID_HANDLE_VALUE; }

template <typename THandle, auto Close, THandle (*Invalid)() = &NullHandle<THandle>>
class TOwnedHandle {
 public:
  TOwnedHandle() = default;
  explicit TOwnedHandle(THandle handle) : m_handle(handle) {}
  ~TOwnedHandle() { Reset(); }
  TOwnedHandle(TOwnedHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, Invalid())) {}
  TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.m_handle, Invalid()));
    return *this;
  }
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;

  THandle Get() const { return m_handle; }
  // Closes the handle held, for a function that writes a new one through the pointer.
  THandle* Receive() {
    Reset();
    return &m_handle;
  }
  explicit operator bool() const { return m_handle != Invalid(); }
  // Closes the handle held, if any, and holds `handle` instead.
  void Reset(THandle handle = Invalid()) {
    if (m_handle != Invalid()) Close(m_handle);
    m_handle = handle;
  }

 private:
  THandle m_handle = Invalid();
};

// Kernel objects: processes, threads, tokens, mutexes, events.
using TKernelHandle = TOwnedHandle<HANDLE, &CloseHandle>;
// Files and tool-help snapshots, which are INVALID_HANDLE_VALUE when there is none.
using TFileHandle = TOwnedHandle<HANDLE, &CloseHandle, &InvalidHandle>;
using TSnapshotHandle = TFileHandle;
// A FindFirstFile search.
using TFindHandle = TOwnedHandle<HANDLE, &FindClose, &InvalidHandle>;
using TRegKey = TOwnedHandle<HKEY, &RegCloseKey>;
using TLibrary = TOwnedHandle<HMODULE, &FreeLibrary>;
// Memory the system allocated for the caller with LocalAlloc (FormatMessage, CommandLineToArgvW).
template <typename T>
using TLocalMemory = TOwnedHandle<T*, &LocalFree>;

// GDI objects, deleted with their owner; a font, brush or bitmap selected into
// a device context must be selected out first (TSelectObject).
using TFont = TOwnedHandle<HFONT, &DeleteObject>;
using TBrush = TOwnedHandle<HBRUSH, &DeleteObject>;
using TPen = TOwnedHandle<HPEN, &DeleteObject>;
using TBitmap = TOwnedHandle<HBITMAP, &DeleteObject>;
using TRegion = TOwnedHandle<HRGN, &DeleteObject>;
// A memory device context (CreateCompatibleDC).
using TMemoryDC = TOwnedHandle<HDC, &DeleteDC>;
// Icons the program made or loaded at a size (not the shared ones LoadIcon gives).
using TIcon = TOwnedHandle<HICON, &DestroyIcon>;
// A menu that no window owns (CreatePopupMenu).
using TMenu = TOwnedHandle<HMENU, &DestroyMenu>;
using TImageList = TOwnedHandle<HIMAGELIST, &ImageList_Destroy>;

// A window's client-area device context (GetDC), released with its owner.
class TClientDC {
 public:
  explicit TClientDC(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd)) {}
  ~TClientDC() {
    if (m_dc) ReleaseDC(m_hwnd, m_dc);
  }
  TClientDC(const TClientDC&) = delete;
  TClientDC& operator=(const TClientDC&) = delete;
  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

 private:
  HWND m_hwnd;
  HDC m_dc;
};

// A window's painting, from BeginPaint to EndPaint.
class TPaintDC {
 public:
  explicit TPaintDC(HWND hwnd) : m_hwnd(hwnd), m_dc(BeginPaint(hwnd, &m_paint)) {}
  ~TPaintDC() { EndPaint(m_hwnd, &m_paint); }
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HWND m_hwnd;
  PAINTSTRUCT m_paint{};
  HDC m_dc;
};

// Selects an object into a device context for a scope.
class TSelectObject {
 public:
  TSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
  ~TSelectObject() { SelectObject(m_dc, m_old); }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};
