#include "app/general_settings_page.h"

#include <algorithm>

namespace {

// The boxes' tops in TGeneralBox's order: five above, two below the gap.
constexpr int BOX_TOPS[QV_GENERAL_BOX_COUNT] = {66, 96, 126, 156, 186, 329, 359};

}  // namespace

bool TGeneralSettingsPage::Create(HWND card, const TLayoutRect& rect, HWND tipsOwner,
                                  TGeneralSettingsPageEvents events) {
  m_events = std::move(events);
  if (!CreatePage(CLASS_NAME, card, rect, idGeneralPage)) return false;
  MakeFonts();
  m_tips.Create(tipsOwner);
  const HWND page = Handle();
  const TLayoutRect none{};
  m_title = CreateLabel(page, idGeneralTitle, "", none, m_titleFont.Get());
  for (size_t i = 0; i < QV_GENERAL_BOX_COUNT; ++i)
    m_boxes[i] = CreateCheckBox(page, idGeneralBoxFirst + static_cast<int>(i), none, m_textFont.Get());
  m_languageLabel = CreateLabel(page, idLanguageLabel, "", none, m_textFont.Get());
  m_language = CreateDropDownList(page, idPickLanguage, none, m_textFont.Get());
  m_downloadLabel = CreateLabel(page, idDownloadDestLabel, "", none, m_textFont.Get());
  m_downloadPath = CreateEdit(page, idDownloadPathEdit, none, m_textFont.Get(), TEditKind::readOnly);
  m_change.Create(page, idChangeDownloadPath, "", none);
  m_systemRestore.Create(page, idSystemRestoreButton, "", none);
  m_save.Create(page, idSaveGeneral, "", none);
  SetFonts();
  Layout();
  SetButtonEnabled(m_save, false);
  return true;
}

void TGeneralSettingsPage::MakeFonts() {
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(24), true);
  m_textFont = MakeFont(L"Segoe UI", Scale(12));
  m_changeFont = MakeFont(L"Segoe UI Semibold", Scale(11), true);
  m_buttonFont = MakeFont(L"Segoe UI Semibold", Scale(12), true);
}

void TGeneralSettingsPage::SetFonts() {
  auto set = [](HWND control, HFONT font) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); };
  set(m_title, m_titleFont.Get());
  for (HWND box : m_boxes) set(box, m_textFont.Get());
  for (HWND control : {m_languageLabel, m_language, m_downloadLabel, m_downloadPath}) set(control, m_textFont.Get());
  m_change.SetFont(m_changeFont.Get());
  m_systemRestore.SetFont(m_buttonFont.Get());
  m_save.SetFont(m_buttonFont.Get());
}

void TGeneralSettingsPage::Layout() {
  PlaceWindow(m_title, At(21, 21, 520, 36));
  for (size_t i = 0; i < QV_GENERAL_BOX_COUNT; ++i) {
    PlaceWindow(m_boxes[i], At(21, BOX_TOPS[i], 300, 17));
    FitControlWidth(m_boxes[i], QV_DESIGN_DPI);
  }
  // The list and the folder start at 115, or right of a label that needs more room.
  const int labelLeft = Scale(21);
  const int fieldsLeft =
      std::max(Scale(115), labelLeft + std::max(LabelTextWidth(m_languageLabel), LabelTextWidth(m_downloadLabel)) + Scale(6));
  PlaceWindow(m_languageLabel, labelLeft, Scale(216), fieldsLeft - labelLeft, Scale(18));
  PlaceWindow(m_language, fieldsLeft, Scale(212), Scale(200), Scale(23));
  FitControlWidth(m_language, QV_DESIGN_DPI);
  PlaceWindow(m_downloadLabel, labelLeft, Scale(246), fieldsLeft - labelLeft, Scale(18));
  // As wide as reaches 10 short of the Change button.
  PlaceWindow(m_downloadPath, fieldsLeft, Scale(242), Scale(477 - 10) - fieldsLeft, Scale(23));
  PlaceWindow(m_change.Handle(), At(477, 241, 100, 25));
  // System Restore fits its caption and keeps its right edge with Change's; when
  // the restore-point box reaches into it, it goes below the Windows-updates box.
  PlaceWindow(m_systemRestore.Handle(), At(477, 322, 100, 30));
  FitControlWidth(m_systemRestore.Handle(), QV_DESIGN_DPI);
  const int restoreWidth = WindowWidth(m_systemRestore.Handle());
  const int restoreLeft = Scale(577) - restoreWidth;
  const HWND restorePoint = m_boxes[static_cast<size_t>(TGeneralBox::restorePoint)];
  const bool crowded = Scale(21) + WindowWidth(restorePoint) + Scale(10) > restoreLeft;
  PlaceWindow(m_systemRestore.Handle(), restoreLeft, Scale(crowded ? 389 : 322), restoreWidth, Scale(30));
  PlaceWindow(m_save.Handle(), At(467, 462, 100, 30));
  FitControlWidth(m_save.Handle(), QV_DESIGN_DPI);
}

int TGeneralSettingsPage::WindowWidth(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  return rect.right - rect.left;
}

void TGeneralSettingsPage::OnDpiChanged(int, const RECT*) {
  MakeFonts();
  SetFonts();
  Layout();
}

void TGeneralSettingsPage::Apply(const TGeneralSettingsView& view) {
  const TGeneralSettingsView* shown = m_shown ? &*m_shown : nullptr;
  // A new caption changes the fitted widths and what has room beside what.
  bool captionsChanged = false;
  auto setText = [&captionsChanged](HWND control, const std::string& text) {
    SetWindowTextUtf8(control, text);
    captionsChanged = true;
  };
  if (!shown || shown->title != view.title) SetWindowTextUtf8(m_title, view.title);
  for (size_t i = 0; i < QV_GENERAL_BOX_COUNT; ++i) {
    const TGeneralBoxView& box = view.boxes[i];
    if (!shown || shown->boxes[i].caption != box.caption) setText(m_boxes[i], box.caption);
    if (!shown || shown->boxes[i].hint != box.hint) m_tips.Set(m_boxes[i], box.hint);
    if (!shown || shown->boxes[i].checked != box.checked) SetChecked(m_boxes[i], box.checked);
  }
  if (!shown || shown->languageLabel != view.languageLabel) setText(m_languageLabel, view.languageLabel);
  if (!shown || shown->languages != view.languages) {
    SetListItems(m_language, view.languages, view.language);
    captionsChanged = true;
  } else if (shown->language != view.language) {
    SendMessageW(m_language, CB_SETCURSEL, static_cast<WPARAM>(view.language), 0);
  }
  if (!shown || shown->languageHint != view.languageHint) m_tips.Set(m_language, view.languageHint);
  if (!shown || shown->downloadLabel != view.downloadLabel) setText(m_downloadLabel, view.downloadLabel);
  if (!shown || shown->downloadPath != view.downloadPath) SetWindowTextUtf8(m_downloadPath, view.downloadPath);
  if (!shown || shown->change != view.change) SetWindowTextUtf8(m_change.Handle(), view.change);
  if (!shown || shown->changeHint != view.changeHint) m_tips.Set(m_change.Handle(), view.changeHint);
  if (!shown || shown->systemRestore != view.systemRestore) setText(m_systemRestore.Handle(), view.systemRestore);
  if (!shown || shown->save != view.save) setText(m_save.Handle(), view.save);
  if (captionsChanged) Layout();
  if (!shown || shown->saveEnabled != view.saveEnabled) SetButtonEnabled(m_save, view.saveEnabled);
  m_shown = view;
}

void TGeneralSettingsPage::OnCommand(int id, int code, HWND control) {
  if (id == idPickLanguage) {
    if (code == CBN_SELCHANGE && m_events.languagePicked)
      m_events.languagePicked(static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
    return;
  }
  if (code != BN_CLICKED) return;
  if (id >= idGeneralBoxFirst && id < idGeneralBoxFirst + static_cast<int>(QV_GENERAL_BOX_COUNT)) {
    if (m_events.boxClicked) m_events.boxClicked(static_cast<TGeneralBox>(id - idGeneralBoxFirst), IsChecked(control));
  } else if (id == idChangeDownloadPath && m_events.changePath) {
    m_events.changePath();
  } else if (id == idSystemRestoreButton && m_events.systemRestore) {
    m_events.systemRestore();
  } else if (id == idSaveGeneral && m_events.save) {
    m_events.save();
  }
}
