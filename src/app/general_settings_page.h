// TGeneralSettingsPage: the Settings card's controls. The seven check boxes,
// the language list, the download folder with its Change button, the System
// Restore button and Save; it shows the presenter's view and reports clicks.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>

#include "ui/general_settings_presenter.h"
#include "ui/win32/controls.h"
#include "ui/win32/form_controls.h"
#include "ui/win32/page.h"

// Control identifiers of the page, also used by the window tests.
enum TGeneralControlId : int {
  idGeneralPage = 740,
  idGeneralTitle = 741,
  idGeneralBoxFirst = 742,  // to + 6, in TGeneralBox's order
  idLanguageLabel = 750,
  idPickLanguage = 751,
  idDownloadDestLabel = 752,
  idDownloadPathEdit = 753,
  idChangeDownloadPath = 754,
  idSystemRestoreButton = 755,
  idSaveGeneral = 756,
};

struct TGeneralSettingsPageEvents {
  std::function<void(TGeneralBox, bool)> boxClicked;
  std::function<void(int)> languagePicked;
  std::function<void()> changePath;
  std::function<void()> systemRestore;
  std::function<void()> save;
};

class TGeneralSettingsPage : public TPage {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvGeneralSettingsPage";

  bool Create(HWND card, const TLayoutRect& rect, HWND tipsOwner, TGeneralSettingsPageEvents events);
  // Shows the view; only what differs from the view shown before is touched.
  void Apply(const TGeneralSettingsView& view);

 protected:
  void OnCommand(int id, int code, HWND control) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  void MakeFonts();
  void SetFonts();
  // Places every control at the page's DPI and fits the captioned ones to their texts.
  void Layout();
  static int WindowWidth(HWND control);

  HWND m_title = nullptr;
  std::array<HWND, QV_GENERAL_BOX_COUNT> m_boxes{};
  HWND m_languageLabel = nullptr;
  HWND m_language = nullptr;
  HWND m_downloadLabel = nullptr;
  HWND m_downloadPath = nullptr;
  TStyledButton m_change;
  TStyledButton m_systemRestore;
  TStyledButton m_save;
  TToolTips m_tips;
  TFont m_titleFont, m_textFont, m_changeFont, m_buttonFont;
  TGeneralSettingsPageEvents m_events;
  std::optional<TGeneralSettingsView> m_shown;
};
