// TCollapsibleSection: a titled section of a scroll group. Its header (white
// caption on a blue gradient, a chevron that turns silver when hot) toggles the
// body, the container that holds the section's rows.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

class TSectionBody : public TWindow {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvSectionBody";
  bool Create(HWND section, const TLayoutRect& rect);

 protected:
  bool OnEraseBackground(HDC dc) override;
};

class TCollapsibleSection : public TWindow {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvCollapsibleSection";
  // The header's height in logical pixels.
  static constexpr int HEADER_HEIGHT = 30;

  bool Create(HWND group, int id, int width);
  void SetCaption(const std::string& caption);
  const std::string& Caption() const { return m_caption; }
  void SetExpanded(bool expanded);
  bool Expanded() const { return m_expanded; }
  // The height the body takes when expanded, in device pixels.
  void SetBodyHeight(int height);
  int HeaderHeight() const { return Scale(HEADER_HEIGHT); }
  // Header plus the body when expanded.
  int Height() const { return HeaderHeight() + (m_expanded ? m_bodyHeight : 0); }
  HWND Body() const { return m_body.Handle(); }
  // Called after the section's height changed; `expanded` tells an expansion.
  void OnHeightChange(std::function<void(bool expanded)> handler) { m_onHeightChange = std::move(handler); }

 protected:
  bool OnPaint(HDC dc) override;
  bool OnEraseBackground(HDC) override { return true; }
  void OnSize(int width, int height) override;
  void OnMouseMove(TMousePoint point) override;
  void OnMouseLeave() override;
  bool OnLeftButtonDown(TMousePoint point) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  bool InHeader(TMousePoint point) const { return point.y >= 0 && point.y < HeaderHeight(); }
  void InvalidateHeader();

  TSectionBody m_body;
  TFont m_font;
  std::string m_caption;
  std::function<void(bool)> m_onHeightChange;
  int m_bodyHeight = 0;
  bool m_expanded = true;
  bool m_hot = false;
};
