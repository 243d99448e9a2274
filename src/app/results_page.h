// TResultsPage: the results card's contents. The title and count text, the
// rescan button, the scroll group with the outdated and up-to-date sections of
// result rows, and the Update All button. What it shows is decided by
// TResultsPresenter; the page reports the user's actions to its owner.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/result_row.h"
#include "ui/results_presenter.h"
#include "ui/win32/controls.h"
#include "ui/win32/image_button.h"
#include "ui/win32/scroll_group.h"
#include "ui/win32/page.h"
#include "ui/win32/window.h"

// Control identifiers of the page, also used by the window tests.
enum TResultsControlId : int {
  idResultsPage = 170,
  idResultsTitle = 171,
  idCountText = 172,
  idRescanButton = 173,
  idDeviceListGroup = 174,
  idOutdatedSection = 175,
  idUpToDateSection = 176,
  idUpdateAllButton = 177,
};

// The page's fixed texts, from the string table.
struct TResultsPageTexts {
  std::string title, rescanHint, updateAll, upToDateCaption;
  TRowTexts rows;
};

// What the page reports; each row action names the row's tag.
struct TResultsPageEvents {
  std::function<void()> rescan;
  std::function<void()> updateAll;
  std::function<void(int tag)> selectClicked;
  std::function<void(int tag)> infoClicked;
  std::function<void(int tag)> updateClicked;
  std::function<void(int tag, POINT screen)> menuRequested;
  // The page's DPI changed: its rows were built for the old one.
  std::function<void()> dpiChanged;
};

class TResultsPage : public TPage, private IResultRowEvents {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvResultsPage";

  ~TResultsPage() override;

  // `tipsOwner`: the top-level window that owns the hints.
  bool Create(HWND card, const TLayoutRect& rect, HWND tipsOwner, TResultsPageEvents events);
  void SetTexts(const TResultsPageTexts& texts);
  // The engine's image lists the rows' icons come from (lists of the engine, not owned).
  void SetImageLists(HIMAGELIST deviceImages, HIMAGELIST classImages);
  // The count text, cut with an ellipsis 5 pixels before the rescan button when asked.
  void SetCountText(const std::string& text, bool fitToRescan);
  void SetOutdatedCaption(const std::string& caption);
  // BuildResultRows: one row per entry, built with the box disabled (and its
  // painting suspended when `redraw` is set).
  void BuildResultRows(bool outdated, const std::vector<TResultRow>& rows, bool redraw);
  // Sizes a section to hold its rows; the outdated one is expanded, the other collapsed.
  void SizeSection(bool outdated, bool expanded);
  // Removes every row (the records they show are gone).
  void DropRows();
  void SetUpdateAll(bool enabled, const std::string& hint);
  void SetRowSelected(int tag, bool selected);
  // The row of a control inside it (the row itself, its update button, ...); null otherwise.
  TResultPanel* RowOf(HWND control) const;

 protected:
  COLORREF TextColor(HWND control) const override;
  void OnSize(int width, int height) override;
  void OnCommand(int id, int code, HWND control) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  struct TList {
    TCollapsibleSection* section = nullptr;
    std::vector<std::unique_ptr<TResultPanel>> rows;
    std::unique_ptr<TToolTips> tips;  // the rows' hints, replaced with the rows
  };
  // A row's click or menu request is handled after the row's own message has
  // ended: the action may rebuild the rows, which must not happen under them.
  struct TRowAction {
    TResultRowControlId control;
    int tag;
    POINT screen;
  };
  void RowClicked(TResultPanel& row, TResultRowControlId control) override;
  void RowMenuRequested(TResultPanel& row, POINT screen) override;
  void Defer(const TRowAction& action);
  bool OnUserMessage(UINT message) override;
  void RowEntered(TResultPanel& row) override;
  void MakeFonts();
  void Layout();
  void ClearRows(TList& list);
  TList& ListOf(bool outdated) { return outdated ? m_outdated : m_upToDate; }

  TRowResources m_rowResources;
  HWND m_tipsOwner = nullptr;
  TResultsPageEvents m_events;
  HWND m_title = nullptr;
  HWND m_count = nullptr;
  bool m_countFitted = false;
  TImageButton m_rescan{TPictureGlyph::rescan, TPictureGlyph::rescanHot};
  TScrollGroup m_group;
  TList m_outdated;
  TList m_upToDate;
  TStyledButton m_updateAll;
  TToolTips m_tips;
  TFont m_titleFont, m_updateAllFont;
  TResultPanel* m_hotRow = nullptr;
  std::vector<TRowAction> m_pending;
};
