#include "app/connection_settings_page.h"

namespace {

// Server, port, user name, password: label and edit places.
constexpr int LABEL_LEFT[QV_PROXY_FIELD_COUNT] = {61, 61, 293, 293};
constexpr int EDIT_LEFT[QV_PROXY_FIELD_COUNT] = {144, 144, 397, 397};
constexpr int ROW_TOP[QV_PROXY_FIELD_COUNT] = {220, 258, 220, 258};

}  // namespace

bool TConnectionSettingsPage::Create(HWND card, const TLayoutRect& rect, TConnectionSettingsPageEvents events) {
  m_events = std::move(events);
  if (!CreatePage(CLASS_NAME, card, rect, idConnectionPage)) return false;
  MakeFonts();
  const HWND page = Handle();
  const TLayoutRect none{};
  m_title = CreateLabel(page, idConnectionTitle, "", none, m_titleFont.Get());
  m_proxyLabel = CreateLabel(page, idProxyLabel, "", none, m_textFont.Get());
  m_noProxy = CreateRadioButton(page, idNoProxy, none, m_textFont.Get(), true);
  m_useProxy = CreateRadioButton(page, idUseProxy, none, m_textFont.Get(), false);
  for (size_t i = 0; i < QV_PROXY_FIELD_COUNT; ++i) {
    const int id = static_cast<int>(i);
    m_labels[i] = CreateLabel(page, idProxyLabelFirst + id, "", none, m_textFont.Get());
    m_edits[i] = CreateEdit(page, idProxyEditFirst + id, none, m_textFont.Get(),
                            i == static_cast<size_t>(TProxyField::port) ? TEditKind::digits : TEditKind::normal);
  }
  m_save.Create(page, idSaveConnection, "", none);
  SetFonts();
  Layout();
  SetButtonEnabled(m_save, false);
  return true;
}

void TConnectionSettingsPage::MakeFonts() {
  m_titleFont = MakeFont(L"Segoe UI Semibold", Scale(24), true);
  m_textFont = MakeFont(L"Segoe UI", Scale(12));
  m_buttonFont = MakeFont(L"Segoe UI Semibold", Scale(12), true);
}

void TConnectionSettingsPage::SetFonts() {
  auto set = [](HWND control, HFONT font) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); };
  set(m_title, m_titleFont.Get());
  for (HWND control : {m_proxyLabel, m_noProxy, m_useProxy}) set(control, m_textFont.Get());
  for (size_t i = 0; i < QV_PROXY_FIELD_COUNT; ++i) {
    set(m_labels[i], m_textFont.Get());
    set(m_edits[i], m_textFont.Get());
  }
  m_save.SetFont(m_buttonFont.Get());
}

void TConnectionSettingsPage::Layout() {
  PlaceWindow(m_title, At(21, 21, 520, 36));
  PlaceWindow(m_proxyLabel, At(21, 86, 300, 18));
  PlaceWindow(m_noProxy, At(41, 124, 300, 17));
  FitControlWidth(m_noProxy, QV_DESIGN_DPI);
  PlaceWindow(m_useProxy, At(41, 164, 300, 17));
  FitControlWidth(m_useProxy, QV_DESIGN_DPI);
  for (size_t i = 0; i < QV_PROXY_FIELD_COUNT; ++i) {
    PlaceWindow(m_labels[i], At(LABEL_LEFT[i], ROW_TOP[i] + 4, 80, 18));
    PlaceWindow(m_edits[i], At(EDIT_LEFT[i], ROW_TOP[i], 121, 23));
  }
  PlaceWindow(m_save.Handle(), At(467, 462, 100, 30));
  FitControlWidth(m_save.Handle(), QV_DESIGN_DPI);
}

void TConnectionSettingsPage::OnDpiChanged(int, const RECT*) {
  MakeFonts();
  SetFonts();
  Layout();
}

void TConnectionSettingsPage::Apply(const TConnectionSettingsView& view) {
  const TConnectionSettingsView* shown = m_shown ? &*m_shown : nullptr;
  m_applying = true;
  if (!shown || shown->title != view.title) SetWindowTextUtf8(m_title, view.title);
  if (!shown || shown->proxyLabel != view.proxyLabel) SetWindowTextUtf8(m_proxyLabel, view.proxyLabel);
  if (!shown || shown->noProxy != view.noProxy) {
    SetWindowTextUtf8(m_noProxy, view.noProxy);
    FitControlWidth(m_noProxy, QV_DESIGN_DPI);
  }
  if (!shown || shown->useProxy != view.useProxy) {
    SetWindowTextUtf8(m_useProxy, view.useProxy);
    FitControlWidth(m_useProxy, QV_DESIGN_DPI);
  }
  if (!shown || shown->proxyChosen != view.proxyChosen) {
    SetChecked(m_useProxy, view.proxyChosen);
    SetChecked(m_noProxy, !view.proxyChosen);
  }
  for (size_t i = 0; i < QV_PROXY_FIELD_COUNT; ++i) {
    if (!shown || shown->labels[i] != view.labels[i]) SetWindowTextUtf8(m_labels[i], view.labels[i]);
    // A field the user types in is already what the view holds.
    if ((!shown || shown->fields[i] != view.fields[i]) && WindowTextUtf8(m_edits[i]) != view.fields[i])
      SetWindowTextUtf8(m_edits[i], view.fields[i]);
    if (!shown || shown->fieldsEnabled != view.fieldsEnabled) {
      EnableWindow(m_labels[i], view.fieldsEnabled);
      EnableWindow(m_edits[i], view.fieldsEnabled);
    }
  }
  if (!shown || shown->save != view.save) {
    SetWindowTextUtf8(m_save.Handle(), view.save);
    FitControlWidth(m_save.Handle(), QV_DESIGN_DPI);
  }
  if (!shown || shown->saveEnabled != view.saveEnabled) SetButtonEnabled(m_save, view.saveEnabled);
  m_applying = false;
  m_shown = view;
}

void TConnectionSettingsPage::FocusField(TProxyField field) { SetFocus(m_edits[static_cast<size_t>(field)]); }

void TConnectionSettingsPage::OnCommand(int id, int code, HWND control) {
  if (id >= idProxyEditFirst && id < idProxyEditFirst + static_cast<int>(QV_PROXY_FIELD_COUNT)) {
    if (code == EN_CHANGE && !m_applying && m_events.fieldEdited)
      m_events.fieldEdited(static_cast<TProxyField>(id - idProxyEditFirst), WindowTextUtf8(control));
    return;
  }
  if (code != BN_CLICKED) return;
  if ((id == idNoProxy || id == idUseProxy) && IsChecked(control) && m_events.proxyChosen) {
    m_events.proxyChosen(id == idUseProxy);
  } else if (id == idSaveConnection && m_events.save) {
    m_events.save();
  }
}
