// TResultsPage: the results card's contents. The title and count text, the
// rescan button, the scroll group with the outdated and up-to-date sections of
// result rows, and the Update All button. It shows the view TResultsPresenter
// makes (Apply) and reports the user's actions to its owner.
#pragma once

#include <functional>
#include <memory>
#include <optional>
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

// What the page reports; each row action names the row by its key.
struct TResultsPageEvents {
  std::function<void()> rescan;
  std::function<void()> updateAll;
  std::function<void(const TRowKey& row)> selectClicked;
  std::function<void(const TRowKey& row)> infoClicked;
  std::function<void(const TRowKey& row)> updateClicked;
  std::function<void(const TRowKey& row, POINT screen)> menuRequested;
  // The page's DPI changed: it dropped its rows, built for the old one.
  std::function<void()> dpiChanged;
};

class TResultsPage : public TPage, private IResultRowEvents {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvResultsPage";

  ~TResultsPage() override;

  // `tipsOwner`: the top-level window that owns the hints.
  bool Create(HWND card, const TLayoutRect& rect, HWND tipsOwner, TResultsPageEvents events);
  // Shows the view; only what differs from the view shown before is touched,
  // and a section's rows are built again only for a new build of its list.
  void Apply(const TResultsView& view);

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
    int build = 0;                    // the list's build the rows show; -1: dropped
  };
  // A row's click or menu request is handled after the row's own message has
  // ended: the action may rebuild the rows, which must not happen under them.
  struct TRowAction {
    TResultRowControlId control;
    TRowKey row;
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
  // One row per entry, built with the box disabled and its painting suspended;
  // the section is sized to hold them and opened or closed.
  void BuildResultRows(TList& list, const TResultSectionView& section);
  void ApplySection(TList& list, const TResultSectionView& section);

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
  std::optional<TResultsView> m_shown;
};
