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
