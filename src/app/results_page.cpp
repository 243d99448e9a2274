#include "app/results_page.h"

#include <algorithm>
#include <utility>

#include "platform/win32/image_lists_win32.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/private_messages.h"
#include "ui/win32/temp_cursor.h"

namespace {

constexpr COLORREF QV_COUNT_COLOR = HexColor(0x003366);
constexpr int QV_LIST_TOP = 90;     // logical pixels: the group's top and bottom margins
constexpr int QV_LIST_BOTTOM = 90;

}  // namespace

TResultsPage::~TResultsPage() {
  // Rows go before the tooltips that hold their hints.
  ClearRows(m_outdated);
  ClearRows(m_upToDate);
}

bool TResultsPage::Create(HWND card, const TLayoutRect& rect, HWND tipsOwner, TResultsPageEvents events) {
  m_tipsOwner = tipsOwner;
  m_events = std::move(events);
  if (!CreatePage(CLASS_NAME, card, rect, idResultsPage)) {
    return false;
  }
  MakeFonts();
  m_tips.Create(m_tipsOwner);
  m_title = CreateLabel(Handle(), idResultsTitle, "", {0, 0, 1, 1}, m_titleFont.Get(), SS_LEFT);
  m_count = CreateLabel(Handle(), idCountText, "", {0, 0, 1, 1}, m_titleFont.Get(), SS_LEFT);
  m_rescan.Create(Handle(), idRescanButton, "", {0, 0, Scale(32), Scale(32)});
  m_rescan.SetHandCursor(true);
  m_group.Create(Handle(), idDeviceListGroup, {0, 0, 1, 1});
  m_updateAll.Create(Handle(), idUpdateAllButton, "", {0, 0, Scale(125), Scale(40)});
  m_updateAll.SetFont(m_updateAllFont.Get());
  SetButtonEnabled(m_updateAll, false);
  Layout();
  m_outdated.section = &m_group.AddSection(idOutdatedSection);
  m_upToDate.section = &m_group.AddSection(idUpToDateSection);
  return true;
}

void TResultsPage::MakeFonts() {
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(21), true);
  m_updateAllFont = MakeFont(L"Segoe UI", Scale(16), true);
  auto points = [this](int pt) { return MulDiv(pt, Dpi(), 72); };
  m_rowResources.category = MakeFont(L"Segoe UI Semibold", points(10), true);
  m_rowResources.name = MakeFont(L"Segoe UI Semibold", points(9), true);
  m_rowResources.status = MakeFont(L"Segoe UI", points(9));
  m_rowResources.button = MakeFont(L"Segoe UI", points(9));
  LOGFONTW italic{};
  italic.lfHeight = -points(8);
  italic.lfItalic = TRUE;
  italic.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(italic.lfFaceName, L"Segoe UI", LF_FACESIZE);
  m_rowResources.size.Reset(CreateFontIndirectW(&italic));
}

void TResultsPage::Apply(const TResultsView& view) {
  const TResultsView* shown = m_shown ? &*m_shown : nullptr;
  bool layout = false;
  if (!shown || shown->title != view.title) {
    SetWindowTextW(m_title, Utf8ToWide(view.title).c_str());
    layout = true;
  }
  if (!shown || shown->updateAllCaption != view.updateAllCaption) {
    SetWindowTextW(m_updateAll.Handle(), Utf8ToWide(view.updateAllCaption).c_str());
  }
  if (!shown || shown->rescanHint != view.rescanHint) m_tips.Set(m_rescan.Handle(), view.rescanHint);
  if (!shown || shown->upToDateCaption != view.upToDateCaption) m_upToDate.section->SetCaption(view.upToDateCaption);
  if (!shown || shown->outdatedCaption != view.outdatedCaption) m_outdated.section->SetCaption(view.outdatedCaption);
  // The count text is cut with an ellipsis 5 pixels before the rescan button when the view asks.
  if (!shown || shown->countText != view.countText || shown->countFitted != view.countFitted) {
    SetWindowTextW(m_count, Utf8ToWide(view.countText).c_str());
    m_countFitted = view.countFitted;
    layout = true;
  }
  if (layout) Layout();
  // The rows draw from the engine's image lists (not owned).
  m_rowResources.texts = view.rowTexts;
  m_rowResources.deviceImages = ToImageList(view.deviceImages);
  m_rowResources.classImages = ToImageList(view.classImages);
  ApplySection(m_outdated, view.outdated);
  ApplySection(m_upToDate, view.upToDate);
  if (!shown || shown->updateAllEnabled != view.updateAllEnabled || shown->updateAllHint != view.updateAllHint) {
    SetButtonEnabled(m_updateAll, view.updateAllEnabled);
    m_tips.Set(m_updateAll.Handle(), view.updateAllHint);
  }
  m_shown = view;
}

void TResultsPage::ApplySection(TList& list, const TResultSectionView& section) {
  if (section.build != list.build) {
    BuildResultRows(list, section);
    return;
  }
  // The same build: only a row's selection changes.
  for (size_t i = 0; i < list.rows.size() && i < section.rows.size(); ++i) {
    if (list.rows[i]->Selected() != section.rows[i].selected) list.rows[i]->SetSelected(section.rows[i].selected);
  }
}

void TResultsPage::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int margin = Scale(15);
  const int titleWidth = LabelTextWidth(m_title);
  const int lineHeight = Scale(32);
  PlaceWindow(m_title, margin, Scale(20), titleWidth, lineHeight);
  const int rescanLeft = client.right - margin - Scale(32);
  PlaceWindow(m_rescan.Handle(), rescanLeft, Scale(20), Scale(32), Scale(32));
  const int countLeft = margin + titleWidth + Scale(5);
  const int countWidth = LabelTextWidth(m_count);
  const TCountTextFit fit =
      m_countFitted ? FitCountText(countLeft, countWidth, rescanLeft) : TCountTextFit{true, 0, false};
  // The label cuts with a word ellipsis only when it was narrowed to end before the button.
  LONG_PTR style = GetWindowLongPtrW(m_count, GWL_STYLE) & ~static_cast<LONG_PTR>(SS_ELLIPSISMASK);
  style |= fit.ellipsis ? SS_WORDELLIPSIS : 0;
  SetWindowLongPtrW(m_count, GWL_STYLE, style);
  PlaceWindow(m_count, countLeft, Scale(20), fit.autoSize ? countWidth : fit.width, lineHeight);
  // The group spans the card: the rows' pictures reach 565 logical pixels, and
  // a scroll bar must fit beside them.
  m_group.Place({0, Scale(QV_LIST_TOP), client.right, client.bottom - Scale(QV_LIST_BOTTOM)});
  PlaceWindow(m_updateAll.Handle(), client.right - margin - Scale(125), client.bottom - Scale(25) - Scale(40),
              Scale(125), Scale(40));
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TResultsPage::OnSize(int, int) { Layout(); }

void TResultsPage::OnDpiChanged(int, const RECT*) {
  for (TList* list : {&m_outdated, &m_upToDate}) {
    ClearRows(*list);
    list->build = -1;
  }
  MakeFonts();
  SendMessageW(m_title, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
  SendMessageW(m_count, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
  m_updateAll.SetFont(m_updateAllFont.Get());
  Layout();
  if (m_events.dpiChanged) m_events.dpiChanged();
}

COLORREF TResultsPage::TextColor(HWND control) const {
  return control == m_count ? QV_COUNT_COLOR : RGB(0, 0, 0);
}

void TResultsPage::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  if (id == idRescanButton && m_events.rescan) m_events.rescan();
  if (id == idUpdateAllButton && m_events.updateAll) m_events.updateAll();
}

void TResultsPage::ClearRows(TList& list) {
  if (m_hotRow && std::any_of(list.rows.begin(), list.rows.end(), [&](const auto& row) { return row.get() == m_hotRow; })) {
    m_hotRow = nullptr;
  }
  // The last row first, as the rows were built.
  while (!list.rows.empty()) list.rows.pop_back();
  list.tips.reset();
}

void TResultsPage::BuildResultRows(TList& list, const TResultSectionView& section) {
  const std::vector<TResultRow>& rows = section.rows;
  list.build = section.build;
  HWND box = list.section->Body();
  SendMessageW(box, WM_SETREDRAW, FALSE, 0);
  EnableWindow(box, FALSE);
  const auto busy = SetTempCursor(LoadCursorW(nullptr, IDC_WAIT));
  ClearRows(list);
  list.tips = std::make_unique<TToolTips>();
  list.tips->Create(m_tipsOwner);
  RECT client{};
  GetClientRect(box, &client);
  list.rows.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    auto row = std::make_unique<TResultPanel>(static_cast<IResultRowEvents&>(*this), m_rowResources, *list.tips);
    if (!row->Create(box, static_cast<int>(i), client.right, rows[i])) break;
    row->Show(true);
    list.rows.push_back(std::move(row));
  }
  EnableWindow(box, TRUE);
  SendMessageW(box, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(box, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  list.section->SetBodyHeight(Scale(TResultPanel::ROW_HEIGHT) * static_cast<int>(list.rows.size()));
  list.section->SetExpanded(section.openWhenBuilt);
}

void TResultsPage::RowClicked(TResultPanel& row, TResultRowControlId control) { Defer({control, row.Key(), {}}); }

void TResultsPage::RowMenuRequested(TResultPanel& row, POINT screen) { Defer({idRowMenu, row.Key(), screen}); }

void TResultsPage::Defer(const TRowAction& action) {
  m_pending.push_back(action);
  PostMessageW(Handle(), QV_ROW_ACTION, 0, 0);
}

bool TResultsPage::OnUserMessage(UINT message) {
  if (message != QV_ROW_ACTION) return false;
  const std::vector<TRowAction> actions = std::exchange(m_pending, {});
  for (const TRowAction& action : actions) {
    switch (action.control) {
      case idRowSelect: if (m_events.selectClicked) m_events.selectClicked(action.row); break;
      case idRowInfo: if (m_events.infoClicked) m_events.infoClicked(action.row); break;
      case idRowUpdate: if (m_events.updateClicked) m_events.updateClicked(action.row); break;
      case idRowMenu: if (m_events.menuRequested) m_events.menuRequested(action.row, action.screen); break;
    }
  }
  return true;
}

void TResultsPage::RowEntered(TResultPanel& row) {
  if (m_hotRow && m_hotRow != &row) m_hotRow->SetHot(false);
  m_hotRow = &row;
}
