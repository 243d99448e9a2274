// TConnectionSettingsPage: the Connection card's controls. The two proxy
// choices, the server, port (digits only), user name and password with their
// labels, and Save; it shows the presenter's view and reports the user's input.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>

#include "ui/connection_settings_presenter.h"
#include "ui/win32/controls.h"
#include "ui/win32/form_controls.h"
#include "ui/win32/page.h"

// Control identifiers of the page, also used by the window tests.
enum TConnectionControlId : int {
  idConnectionPage = 760,
  idConnectionTitle = 761,
  idProxyLabel = 762,
  idNoProxy = 763,
  idUseProxy = 764,
  idProxyLabelFirst = 765,  // to + 3, in TProxyField's order
  idProxyEditFirst = 769,   // to + 3, in TProxyField's order
  idSaveConnection = 773,
};

struct TConnectionSettingsPageEvents {
  std::function<void(bool)> proxyChosen;
  std::function<void(TProxyField, const std::string&)> fieldEdited;
  std::function<void()> save;
};

class TConnectionSettingsPage : public TPage {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvConnectionSettingsPage";

  bool Create(HWND card, const TLayoutRect& rect, TConnectionSettingsPageEvents events);
  // Shows the view; only what differs from the view shown before is touched.
  void Apply(const TConnectionSettingsView& view);
  void FocusField(TProxyField field);

 protected:
  void OnCommand(int id, int code, HWND control) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  void MakeFonts();
  void SetFonts();
  // Places every control at the page's DPI and fits the radio buttons and Save to their texts.
  void Layout();

  HWND m_title = nullptr;
  HWND m_proxyLabel = nullptr;
  HWND m_noProxy = nullptr;
  HWND m_useProxy = nullptr;
  std::array<HWND, QV_PROXY_FIELD_COUNT> m_labels{}, m_edits{};
  TStyledButton m_save;
  TFont m_titleFont, m_textFont, m_buttonFont;
  TConnectionSettingsPageEvents m_events;
  std::optional<TConnectionSettingsView> m_shown;
  // Apply is writing a field: no edit is reported.
  bool m_applying = false;
};
