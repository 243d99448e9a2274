// TDriverAppForm: the program's borderless main window. A top bar (logo, help,
// about, minimise, close; dragging it moves the window), the navigation column
// with its main and settings lists, and the content cards, one per page. Each
// page's behaviour is its controller's; the window routes to them.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/backup_controller.h"
#include "app/overview_page.h"
#include "app/page_host.h"
#include "app/program_update.h"
#include "app/progress_form.h"
#include "app/results_controller.h"
#include "app/settings_controller.h"
#include "app/sysinfo_controller.h"
#include "app/update_controller.h"
#include "core/data_model.h"
#include "engine/data_manager.h"
#include "app/main_callbacks.h"
#include "ui/scan_overview.h"
#include "ui/shell_navigation.h"
#include "ui/worker_task.h"
#include "ui/win32/card_panel.h"
#include "ui/win32/controls.h"
#include "ui/win32/dialog_message_sink.h"
#include "ui/win32/navigation_list.h"
#include "ui/win32/private_messages.h"
#include "ui/win32/tray_icon.h"
#include "ui/win32/window.h"

inline constexpr const wchar_t* QV_MAIN_CLASS = L"TDriverAppForm";

// Control identifiers, also used by the window tests.
enum TMainControlId : int {
  idMainNavigation = 10,
  idSettingsNavigation = 11,
  idContentCards = 12,
  idHelpButton = 20,
  idAboutButton = 21,
  idMinimizeButton = 22,
  idExitButton = 23,
  idTrayRestore = 30,
  idTrayAbout = 31,
  idTrayHelp = 32,
  idTrayExit = 33,
};

// The window receives the engine's callbacks through m_callbacks (its
// TICallbackHandler), which copies what each shows on the worker and hands it
// to this window's IScanProgress side on the UI thread.
class TDriverAppForm : public TWindow, private IScanProgress, private IPageHost {
 public:
  TDriverAppForm(TDriverDatamodel& model, TDataManager& engine, TSystemPorts ports);
  ~TDriverAppForm() override;

  // FormCreate: creates the window (hidden) and its parts.
  bool Create();
  // Shows the window centred on its monitor, as at the first start.
  void ShowFirstTime();
  // Loads every text of the window from the string table.
  void UpdateGUI(bool AInitial);
  // Minimises to the notification area (QvAppEventsMinimize).
  void MinimizeApplication();
  // Starts or stops a scan, as the scan button does (aclStartScan).
  void ExecuteStartScan() override { StartScanTask(); }
  // The engine's callbacks of this window's runs.
  TICallbackHandler& CallbackHandler() { return m_callbacks.Handler(); }

  TShellAction ActiveAction() const { return m_navigation.ActiveAction(); }

 protected:
  void OnCreate() override;
  bool OnPaint(HDC dc) override;
  bool OnEraseBackground(HDC) override { return true; }
  bool OnLeftButtonDown(TMousePoint point) override;
  void OnCommand(int id, int code, HWND control) override;
  void OnDpiChanged(int dpi, const RECT* suggested) override;
  bool OnUserMessage(UINT message) override;
  void OnActivate(bool active) override;
  bool OnClose() override;
  void OnDestroy() override;
  bool OnUndecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  std::string Text(int id) const;
  void Layout();
  void ApplyNavigation(const std::optional<TCardChange>& change);
  void ContentCardsCardChange(TShellCard previous, TShellCard next);
  void RestoreWindow();
  void BringForward();
  void OpenHelp();
  void ShowAbout();
  bool FormCloseQuery();
  void DeleteLeftoverInstaller();
  void FollowLanguageChoice();

  // The scan (the overview page).
  void StartScanTask();
  void StopScanTask();
  void ScanTaskComplete();
  void ApplyOverview();
  void ShowLastScan();
  // Stops every run and waits for each; answerMessages: the window keeps answering
  // sent messages and painting meanwhile (not while it is being destroyed).
  void EndTasks(bool answerMessages = false);
  void StartSoftwareUpdateCheck();
  TUpdateWindowHooks UpdateHooks();

  // IPageHost: what the pages' controllers ask of the window.
  HWND Owner() const override { return Handle(); }
  int Ask(const std::string& title, const std::string& text, int kind) override;
  TShellCard ShownCard() const override { return static_cast<TShellCard>(m_contentCards.Shown()); }
  void ExecuteNavigation(TShellAction action) override;
  void OnCardShown(TShellCard card, std::function<void()> shown) override;
  void ShowCard(TShellCard card) override;
  void EnableNavigation(bool enabled) override;
  bool ScanRunning() const override { return FscanTask != nullptr; }
  void SaveScanResults() override;
  void RunOnceAtStartupSettings() override;

  // IScanProgress: the scan's notifications on the UI thread.
  void ShowScanningDevice(const std::string& deviceName) override;
  void ShowCheckingForUpdates() override;
  void ShowServerProblem() override;
  void Repaint() override;

  TDriverDatamodel& m_model;
  TDataManager& m_engine;
  TSystemPorts m_ports;
  TShellNavigation m_navigation;

  TNavigationList m_mainNavigation;
  TNavigationList m_settingsNavigation;
  TCardPanel m_contentCards;
  TGlyphButton m_helpButton{TGlyph::help};
  TGlyphButton m_aboutButton{TGlyph::about};
  TGlyphButton m_minimizeButton{TGlyph::minimize};
  TGlyphButton m_exitButton{TGlyph::close};
  TToolTips m_tips;
  TTrayIcon m_trayIcon;
  TBitmap m_logo;
  TIcon m_icon;
  TIcon m_smallIcon;
  TOverviewPage m_overviewPage;
  TResultsController m_resultsController{m_model, m_engine, m_ports, *this};
  TSysInfoController m_sysInfoController{m_model, m_ports, *this};
  TSettingsController m_settingsController{m_model, m_ports, &m_messageSink, *this, [this] {
                                              m_backupController.UpdateBackupPage(true);
                                              m_resultsController.InvalidateResults();
                                            }};
  // What each card does when it is shown, as its page asked (OnCardShown).
  std::array<std::function<void()>, QV_CARD_COUNT> m_cardShown;

  TBackupController m_backupController{m_model, m_engine, m_ports, *this};
  // Worker callbacks: the UI-thread port, the dispatcher over it and the relay.
  TMainCallbacks m_callbacks{*this, m_backupController};
  // The engine's workers show their messages through this, on the UI thread.
  TDialogMessageSink m_messageSink{m_callbacks.Dispatcher(), m_ports.strings, [this] { return Handle(); }};
  TScanOverview m_overview{m_ports.strings};
  // Driver updates; a close asked while a restore point is made waits for it.
  TUpdateController m_updateController{m_model, m_engine, m_ports, m_callbacks.Dispatcher(), m_callbacks.Relay(),
                                       *this, UpdateHooks()};
  bool m_closeAfterRestorePoint = false;
  bool m_endingTasks = false;  // a close waits for the runs to end
  // The running scan task, or none; a task whose completion step has run waits
  // in m_endedScanTask until its thread is joined (next scan or destruction).
  std::unique_ptr<TWorkerTask> FscanTask;
  std::unique_ptr<TWorkerTask> m_endedScanTask;
  // The program update check of the first activation, and the download it may start.
  std::unique_ptr<TWorkerTask> FsoftwareUpdateTask;
  std::unique_ptr<TWorkerTask> m_endedUpdateTask;
  std::atomic<bool> m_updateWanted{false};
  TProgressForm m_progressForm{m_ports.strings};
  std::unique_ptr<TProgramUpdate> m_programUpdate;

  bool FRunOnce = false;
};
