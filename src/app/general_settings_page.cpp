#include "app/general_settings_page.h"

namespace {

// The boxes' tops in TGeneralBox's order: five above, two below the gap.
constexpr int BOX_TOPS[QV_GENERAL_BOX_COUNT] = {66, 96, 126, 156, 186, 329, 359};

}  // namespace

bool TGeneralSettingsPage::Create(HWND card, const TLayoutRect& rect, HWND tipsOwner,
                                  TGeneralSettingsPageEvents events) {
  m_events = std::move(events);
  if (!CreatePage(CLASS_NAME, card, rect, idGeneralPage)) return false;
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(24), true);
  m_textFont = MakeFont(L"Segoe UI", Scale(12));
  m_changeFont = MakeFont(L"Segoe UI Semibold", Scale(11), true);
  m_buttonFont = MakeFont(L"Segoe UI Semibold", Scale(12), true);
  m_tips.Create(tipsOwner);
  const HWND page = Handle();
  m_title = CreateLabel(page, idGeneralTitle, "", At(21, 21, 520, 36), m_titleFont.Get());
  for (size_t i = 0; i < QV_GENERAL_BOX_COUNT; ++i)
    m_boxes[i] = CreateCheckBox(page, idGeneralBoxFirst + static_cast<int>(i), At(21, BOX_TOPS[i], 300, 17),
                                m_textFont.Get());
  m_languageLabel = CreateLabel(page, idLanguageLabel, "", At(21, 216, 94, 18), m_textFont.Get());
  m_language = CreateDropDownList(page, idPickLanguage, At(115, 212, 200, 23), m_textFont.Get());
  m_downloadLabel = CreateLabel(page, idDownloadDestLabel, "", At(21, 246, 94, 18), m_textFont.Get());
  // As wide as reaches 10 short of the Change button.
  m_downloadPath = CreateEdit(page, idDownloadPathEdit, At(115, 242, 477 - 115 - 10, 23), m_textFont.Get(),
                              TEditKind::readOnly);
  m_change.Create(page, idChangeDownloadPath, "", At(477, 241, 100, 25));
  m_change.SetFont(m_changeFont.Get());
  m_systemRestore.Create(page, idSystemRestoreButton, "", At(477, 322, 100, 30));
  m_systemRestore.SetFont(m_buttonFont.Get());
  m_save.Create(page, idSaveGeneral, "", At(467, 462, 100, 30));
  m_save.SetFont(m_buttonFont.Get());
  SetButtonEnabled(m_save, false);
  return true;
}

void TGeneralSettingsPage::Apply(const TGeneralSettingsView& view) {
  const TGeneralSettingsView* shown = m_shown ? &*m_shown : nullptr;
  if (!shown || shown->title != view.title) SetWindowTextUtf8(m_title, view.title);
  for (size_t i = 0; i < QV_GENERAL_BOX_COUNT; ++i) {
    const TGeneralBoxView& box = view.boxes[i];
    if (!shown || shown->boxes[i].caption != box.caption) {
      SetWindowTextUtf8(m_boxes[i], box.caption);
      FitControlWidth(m_boxes[i], QV_DESIGN_DPI);
    }
    if (!shown || shown->boxes[i].hint != box.hint) m_tips.Set(m_boxes[i], box.hint);
    if (!shown || shown->boxes[i].checked != box.checked) SetChecked(m_boxes[i], box.checked);
  }
  if (!shown || shown->languageLabel != view.languageLabel) SetWindowTextUtf8(m_languageLabel, view.languageLabel);
  if (!shown || shown->languages != view.languages) {
    SetListItems(m_language, view.languages, view.language);
    FitControlWidth(m_language, QV_DESIGN_DPI);
  } else if (shown->language != view.language) {
    SendMessageW(m_language, CB_SETCURSEL, static_cast<WPARAM>(view.language), 0);
  }
  if (!shown || shown->languageHint != view.languageHint) m_tips.Set(m_language, view.languageHint);
  if (!shown || shown->downloadLabel != view.downloadLabel) SetWindowTextUtf8(m_downloadLabel, view.downloadLabel);
  if (!shown || shown->downloadPath != view.downloadPath) SetWindowTextUtf8(m_downloadPath, view.downloadPath);
  if (!shown || shown->change != view.change) SetWindowTextUtf8(m_change.Handle(), view.change);
  if (!shown || shown->changeHint != view.changeHint) m_tips.Set(m_change.Handle(), view.changeHint);
  if (!shown || shown->systemRestore != view.systemRestore) {
    SetWindowTextUtf8(m_systemRestore.Handle(), view.systemRestore);
    FitControlWidth(m_systemRestore.Handle(), QV_DESIGN_DPI);
    // A wider caption grows to the left: the right edge stays with Change's.
    RECT button{};
    GetWindowRect(m_systemRestore.Handle(), &button);
    const int width = button.right - button.left;
    PlaceWindow(m_systemRestore.Handle(), Scale(577) - width, Scale(322), width, button.bottom - button.top);
  }
  if (!shown || shown->save != view.save) {
    SetWindowTextUtf8(m_save.Handle(), view.save);
    FitControlWidth(m_save.Handle(), QV_DESIGN_DPI);
  }
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
