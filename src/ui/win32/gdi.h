// GDI objects and colours owned by RAII.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

// An HFONT, HBRUSH, HPEN or HBITMAP, deleted with its owner.
template <typename T>
class TGdiObject {
 public:
  TGdiObject() = default;
  explicit TGdiObject(T handle) : m_handle(handle) {}
  TGdiObject(TGdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
  TGdiObject& operator=(TGdiObject&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.m_handle, nullptr));
    return *this;
  }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  ~TGdiObject() { Reset(); }

  T Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  void Reset(T handle = nullptr) {
    if (m_handle) DeleteObject(m_handle);
    m_handle = handle;
  }

 private:
  T m_handle = nullptr;
};

using TFont = TGdiObject<HFONT>;
using TBrush = TGdiObject<HBRUSH>;
using TPen = TGdiObject<HPEN>;
using TBitmap = TGdiObject<HBITMAP>;

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

// A colour written as #RRGGBB.
constexpr COLORREF HexColor(unsigned rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The program's colours.
inline constexpr COLORREF QV_COLOR_BAR = HexColor(0x003366);
inline constexpr COLORREF QV_COLOR_HOT = HexColor(0x406FB5);
inline constexpr COLORREF QV_COLOR_SELECTED = HexColor(0x99B4D1);
inline constexpr COLORREF QV_COLOR_BACK = HexColor(0x008000);
inline constexpr COLORREF QV_COLOR_WHITE = HexColor(0xFFFFFF);

// A font by face name and height in device pixels (positive: the character height).
TFont MakeFont(const wchar_t* face, int pixelHeight, bool bold = false);

// Fills a rectangle with a solid colour.
void FillSolid(HDC dc, const RECT& rect, COLORREF color);
// The bitmap's size in its own pixels; zero when it cannot be read.
SIZE BitmapSize(HBITMAP bitmap);
// Draws the whole bitmap stretched into the rectangle, smoothed.
void DrawBitmapStretched(HDC dc, HBITMAP bitmap, const RECT& target);
