#include "ui/win32/glyphs.h"

#include <algorithm>
#include <cmath>

#include "ui/win32/gdi.h"

namespace {

// Points of the glyphs are given on a 20 × 20 grid and mapped into the box.
struct TGrid {
  const RECT& box;
  int X(int x) const { return box.left + (box.right - box.left) * x / 20; }
  int Y(int y) const { return box.top + (box.bottom - box.top) * y / 20; }
};

void Line(HDC dc, const TGrid& g, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, g.X(x1), g.Y(y1), nullptr);
  LineTo(dc, g.X(x2), g.Y(y2));
}

void Polyline(HDC dc, const TGrid& g, std::initializer_list<POINT> points) {
  POINT mapped[16];
  int count = 0;
  for (POINT p : points) mapped[count++] = POINT{g.X(p.x), g.Y(p.y)};
  ::Polyline(dc, mapped, count);
}

void Circle(HDC dc, const TGrid& g, int cx, int cy, int r) { Ellipse(dc, g.X(cx - r), g.Y(cy - r), g.X(cx + r), g.Y(cy + r)); }

}  // namespace

void DrawNavGlyph(HDC dc, TNavGlyph glyph, const RECT& box, COLORREF color) {
  if (glyph == TNavGlyph::none) return;
  const int width = std::max<int>(1, (box.right - box.left) / 11);
  TPen pen(CreatePen(PS_SOLID, width, color));
  TSelectObject selectPen(dc, pen.Get());
  TSelectObject noBrush(dc, GetStockObject(NULL_BRUSH));
  const TGrid g{box};
  switch (glyph) {
    case TNavGlyph::home:
      Polyline(dc, g, {{2, 10}, {10, 2}, {18, 10}});
      Polyline(dc, g, {{4, 8}, {4, 18}, {16, 18}, {16, 8}});
      Polyline(dc, g, {{8, 18}, {8, 12}, {12, 12}, {12, 18}});
      break;
    case TNavGlyph::list:
      for (int y : {4, 10, 16}) {
        Line(dc, g, 2, y, 4, y);
        Line(dc, g, 7, y, 18, y);
      }
      break;
    case TNavGlyph::backup:
      Polyline(dc, g, {{2, 12}, {2, 18}, {18, 18}, {18, 12}});
      Line(dc, g, 10, 14, 10, 2);
      Polyline(dc, g, {{5, 7}, {10, 2}, {15, 7}});
      break;
    case TNavGlyph::restore:
      Arc(dc, g.X(3), g.Y(3), g.X(17), g.Y(17), g.X(3), g.Y(10), g.X(10), g.Y(3));
      Polyline(dc, g, {{1, 7}, {3, 10}, {6, 8}});
      Polyline(dc, g, {{10, 6}, {10, 10}, {13, 12}});
      break;
    case TNavGlyph::settings:
      Circle(dc, g, 10, 10, 5);
      Circle(dc, g, 10, 10, 2);
      for (int i = 0; i < 8; ++i) {
        const double angle = i * 3.14159265 / 4;
        const int x1 = 10 + static_cast<int>(std::lround(6 * std::cos(angle)));
        const int y1 = 10 + static_cast<int>(std::lround(6 * std::sin(angle)));
        const int x2 = 10 + static_cast<int>(std::lround(8.5 * std::cos(angle)));
        const int y2 = 10 + static_cast<int>(std::lround(8.5 * std::sin(angle)));
        Line(dc, g, x1, y1, x2, y2);
      }
      break;
    case TNavGlyph::back:
      Line(dc, g, 3, 10, 17, 10);
      Polyline(dc, g, {{9, 4}, {3, 10}, {9, 16}});
      break;
    case TNavGlyph::general:
      for (int y : {4, 10, 16}) Line(dc, g, 2, y, 18, y);
      Circle(dc, g, 6, 4, 2);
      Circle(dc, g, 13, 10, 2);
      Circle(dc, g, 8, 16, 2);
      break;
    case TNavGlyph::connection:
      Circle(dc, g, 10, 10, 8);
      Ellipse(dc, g.X(6), g.Y(2), g.X(14), g.Y(18));
      Line(dc, g, 2, 10, 18, 10);
      break;
    case TNavGlyph::ignored:
      Circle(dc, g, 10, 10, 8);
      Line(dc, g, 4, 16, 16, 4);
      break;
    case TNavGlyph::sysinfo:
      Rectangle(dc, g.X(2), g.Y(3), g.X(18), g.Y(14));
      Line(dc, g, 10, 14, 10, 17);
      Line(dc, g, 6, 18, 14, 18);
      break;
    case TNavGlyph::schedule:
      Circle(dc, g, 10, 10, 8);
      Polyline(dc, g, {{10, 5}, {10, 10}, {14, 12}});
      break;
    case TNavGlyph::none:
      break;
  }
}

namespace {

constexpr COLORREF QV_PICTURE_BLUE = HexColor(0x1E6FD9);
constexpr COLORREF QV_PICTURE_GREY = HexColor(0x808080);

void CheckBox(HDC dc, const RECT& box, bool checked) {
  const TGrid g{box};
  const int width = std::max<int>(1, (box.right - box.left) / 9);
  TBrush face(CreateSolidBrush(checked ? QV_PICTURE_BLUE : QV_COLOR_WHITE));
  TPen border(CreatePen(PS_SOLID, width, checked ? QV_PICTURE_BLUE : QV_PICTURE_GREY));
  {
    TSelectObject selectBrush(dc, face.Get());
    TSelectObject selectPen(dc, border.Get());
    RoundRect(dc, box.left, box.top, box.right, box.bottom, g.X(5) - box.left, g.Y(5) - box.top);
  }
  if (!checked) return;
  TPen mark(CreatePen(PS_SOLID, std::max(2, width + 1), QV_COLOR_WHITE));
  TSelectObject selectMark(dc, mark.Get());
  Polyline(dc, g, {{4, 10}, {8, 14}, {16, 5}});
}

void InfoCircle(HDC dc, const RECT& box) {
  const TGrid g{box};
  TBrush face(CreateSolidBrush(QV_PICTURE_BLUE));
  TSelectObject selectBrush(dc, face.Get());
  TSelectObject noPen(dc, GetStockObject(NULL_PEN));
  Circle(dc, g, 10, 10, 9);
  TBrush white(CreateSolidBrush(QV_COLOR_WHITE));
  TSelectObject selectWhite(dc, white.Get());
  Circle(dc, g, 10, 5, 2);
  Rectangle(dc, g.X(8), g.Y(8), g.X(12) + 1, g.Y(16) + 1);
}

void MenuDots(HDC dc, const RECT& box) {
  // Three dots one above the other, in a 15 × 25 picture.
  const int size = std::max<int>(3, (box.right - box.left) / 4);
  const int cx = (box.left + box.right) / 2;
  const int gap = (box.bottom - box.top) / 4;
  TBrush face(CreateSolidBrush(QV_PICTURE_GREY));
  TSelectObject selectBrush(dc, face.Get());
  TSelectObject noPen(dc, GetStockObject(NULL_PEN));
  for (int i = 1; i <= 3; ++i) {
    const int cy = box.top + gap * i;
    Ellipse(dc, cx - size / 2, cy - size / 2, cx + size / 2 + 1, cy + size / 2 + 1);
  }
}

void RescanArrow(HDC dc, const RECT& box, COLORREF color) {
  const TGrid g{box};
  const int width = std::max<int>(2, (box.right - box.left) / 10);
  TPen pen(CreatePen(PS_SOLID, width, color));
  TSelectObject selectPen(dc, pen.Get());
  TSelectObject noBrush(dc, GetStockObject(NULL_BRUSH));
  // Most of a circle, drawn counter-clockwise from the top round to the right,
  // open at the top right where the arrow head points on.
  Arc(dc, g.X(3), g.Y(3), g.X(17), g.Y(17), g.X(11), g.Y(2), g.X(17), g.Y(6));
  Polyline(dc, g, {{17, 1}, {17, 6}, {12, 6}});
}

void Chevron(HDC dc, const RECT& box, COLORREF color, bool up) {
  const TGrid g{box};
  const int width = std::max<int>(2, (box.right - box.left) / 8);
  TPen pen(CreatePen(PS_SOLID, width, color));
  TSelectObject selectPen(dc, pen.Get());
  if (up) {
    Polyline(dc, g, {{4, 13}, {10, 7}, {16, 13}});
  } else {
    Polyline(dc, g, {{4, 7}, {10, 13}, {16, 7}});
  }
}

}  // namespace

void DrawPictureGlyph(HDC dc, TPictureGlyph glyph, const RECT& box, COLORREF color) {
  switch (glyph) {
    case TPictureGlyph::checked: CheckBox(dc, box, true); break;
    case TPictureGlyph::unchecked: CheckBox(dc, box, false); break;
    case TPictureGlyph::info: InfoCircle(dc, box); break;
    case TPictureGlyph::menu: MenuDots(dc, box); break;
    case TPictureGlyph::rescan: RescanArrow(dc, box, QV_PICTURE_BLUE); break;
    case TPictureGlyph::rescanHot: RescanArrow(dc, box, QV_COLOR_HOT); break;
    case TPictureGlyph::chevronUp: Chevron(dc, box, color, true); break;
    case TPictureGlyph::chevronDown: Chevron(dc, box, color, false); break;
  }
}
