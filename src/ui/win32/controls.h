// Small controls the pages share: owner-drawn buttons with hover looks, the
// styled button of the pages, the flat top-bar buttons, labels, tooltips and
// the window helpers FitControlWidth and ClearScrollBox.
#pragma once

#include <windows.h>

#include <string>

#include "ui/shell_layout.h"
#include "ui/win32/gdi.h"
#include "ui/win32/private_messages.h"

// The property by which a parent finds the object that draws an owner-drawn child.
inline constexpr const wchar_t* QV_OWNER_DRAWN_PROPERTY = L"QvOwnerDrawn";

class IOwnerDrawn {
 public:
  virtual ~IOwnerDrawn() = default;
  virtual void Draw(const DRAWITEMSTRUCT& item) = 0;
};

// A push button drawn by its object: hover is tracked, a click is the usual
// WM_COMMAND BN_CLICKED to the parent, and QV_CHILD_MOUSE_LEFT tells the parent
// that the pointer has left the button.
class TOwnerDrawnButton : public IOwnerDrawn {
 public:
  TOwnerDrawnButton() = default;
  TOwnerDrawnButton(const TOwnerDrawnButton&) = delete;
  TOwnerDrawnButton& operator=(const TOwnerDrawnButton&) = delete;
  ~TOwnerDrawnButton() override;

  bool Create(HWND parent, int id, const std::string& caption, const TLayoutRect& rect);
  HWND Handle() const { return m_hwnd; }
  bool Hot() const { return m_hot; }
  // The hand pointer over the button, as over a link.
  void SetHandCursor(bool hand) { m_handCursor = hand; }
  void Draw(const DRAWITEMSTRUCT& item) final;

 protected:
  virtual void Paint(HDC dc, const RECT& rect, bool enabled, bool pressed) = 0;
  // The pointer entered or left an enabled button.
  virtual void HoverChanged() {}

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
  HWND m_hwnd = nullptr;
  bool m_hot = false;
  bool m_handCursor = false;
};

// The three looks of the pages' large buttons.
enum class TButtonLook { normal, disabled, hover };

// The pages' large button: "Windows10 Blue" when enabled, "Windows10" (grey)
// when disabled, "Coral" while the pointer is over an enabled button.
class TStyledButton : public TOwnerDrawnButton {
 public:
  TButtonLook Look() const { return m_look; }
  void SetLook(TButtonLook look);
  void SetFont(HFONT font);

 protected:
  void Paint(HDC dc, const RECT& rect, bool enabled, bool pressed) override;
  void HoverChanged() override;

 private:
  TButtonLook m_look = TButtonLook::normal;
  HFONT m_font = nullptr;
};

// Enables or disables a styled button and gives it the matching look.
void SetButtonEnabled(TStyledButton& button, bool enabled);

// The glyphs of the top bar's flat buttons.
enum class TGlyph { help, about, minimize, close };

// A flat 30 × 30 top-bar button: a white glyph on the bar, a lighter square when hot.
class TGlyphButton : public TOwnerDrawnButton {
 public:
  explicit TGlyphButton(TGlyph glyph) : m_glyph(glyph) {}

 protected:
  void Paint(HDC dc, const RECT& rect, bool enabled, bool pressed) override;
  void HoverChanged() override;

 private:
  TGlyph m_glyph;
};

// A one-line static text, cut with an ellipsis when it does not fit.
HWND CreateLabel(HWND parent, int id, const std::string& text, const TLayoutRect& rect, HFONT font,
                 DWORD align = SS_LEFT);

// The width of a control's text in its own font.
int LabelTextWidth(HWND label);

// Adds a row of two texts at the end of a report list view.
void AppendListRow(HWND list, const std::string& first, const std::string& second);

// The hint texts of a top-level window's controls.
class TToolTips {
 public:
  TToolTips() = default;
  TToolTips(const TToolTips&) = delete;
  TToolTips& operator=(const TToolTips&) = delete;
  ~TToolTips();
  void Create(HWND owner);
  // A hint for a whole control, or for a rectangle of it identified by `part`.
  void Set(HWND control, const std::string& text);
  void SetPart(HWND control, UINT_PTR part, const RECT& rect, const std::string& text);
  void RemovePart(HWND control, UINT_PTR part);

 private:
  HWND m_hwnd = nullptr;
};

// Widens or narrows a control to its text plus padding (30, 40 for a combo
// box, scaled to `pixelsPerInch`); a push button stays at least 100 wide.
void FitControlWidth(HWND control, int pixelsPerInch);
// Destroys every child of a scroll box, last first.
void ClearScrollBox(HWND box);
