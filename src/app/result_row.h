// TResultPanel: one device row of the results page, 75 logical pixels high:
// icon, category, name, problem line, info and menu pictures, and on outdated
// rows the selection check, the update button and the size line. It paints
// its texts itself and tells its owner about clicks.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "ui/results_presenter.h"
#include "ui/win32/controls.h"
#include "ui/win32/gdi.h"
#include "ui/win32/image_button.h"
#include "ui/win32/window.h"

// Control identifiers inside a row.
enum TResultRowControlId : int {
  idRowSelect = 1,
  idRowInfo = 2,
  idRowMenu = 3,
  idRowUpdate = 4,
};

class TResultPanel;

// What a row reports to the page that built it.
class IResultRowEvents {
 public:
  virtual ~IResultRowEvents() = default;
  virtual void RowClicked(TResultPanel& row, TResultRowControlId control) = 0;
  // The device menu, at a screen position.
  virtual void RowMenuRequested(TResultPanel& row, POINT screen) = 0;
  // The pointer entered the row (the page unhighlights the row hot before).
  virtual void RowEntered(TResultPanel& row) = 0;
};

// The fonts, pictures and texts every row of a page shares.
struct TRowResources {
  TFont category, name, status, size, button;
  HIMAGELIST deviceImages = nullptr;  // 48 × 48
  HIMAGELIST classImages = nullptr;   // 32 × 32
  TRowTexts texts;
};

class TResultPanel : public TWindow {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvResultPanel";
  static constexpr int ROW_HEIGHT = 75;

  TResultPanel(IResultRowEvents& events, const TRowResources& resources, TToolTips& tips)
      : m_events(events), m_resources(resources), m_tips(tips) {}

  // Builds the row hidden at row index `index` of the box; the caller shows it.
  bool Create(HWND box, int index, int width, const TResultRow& row);
  int Tag() const { return m_row.tag; }
  const TRowKey& Key() const { return m_row.key; }
  bool Selected() const { return m_row.selected; }
  void SetSelected(bool selected);
  bool Hot() const { return m_hot; }
  void SetHot(bool hot);
  HWND UpdateButton() const { return m_update.Handle(); }

 protected:
  bool OnPaint(HDC dc) override;
  bool OnEraseBackground(HDC) override { return true; }
  void OnCommand(int id, int code, HWND control) override;
  void OnMouseMove(TMousePoint point) override;
  void OnMouseLeave() override;
  bool OnUserMessage(UINT message) override;
  bool OnUndecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  RECT At(int left, int top, int width, int height) const;
  void DrawText(HDC dc, const std::string& text, HFONT font, COLORREF color, RECT box, UINT format) const;
  int TextWidth(HDC dc, const std::string& text, HFONT font) const;
  void LeaveIfPointerOutside();

  IResultRowEvents& m_events;
  const TRowResources& m_resources;
  TToolTips& m_tips;
  TResultRow m_row;
  std::string m_sizeText;
  TImageButton m_select{TPictureGlyph::unchecked};
  TImageButton m_info{TPictureGlyph::info};
  TImageButton m_menu{TPictureGlyph::menu};
  TStyledButton m_update;
  bool m_hot = false;
};
