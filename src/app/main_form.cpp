#include "app/main_form.h"

#include <commctrl.h>

#include <utility>

#include "app/about_form.h"
#include "core/errors.h"
#include "core/message_box_kinds.h"
#include "core/windows_policies.h"
#include "gui_resources.h"
#include "platform/win32/win32_text.h"
#include "res/string_ids.h"
#include "ui/close_query.h"
#include "ui/program_update_check.h"
#include "ui/run_end_wait.h"
#include "ui/win32/dpi.h"
#include "ui/win32/message_dialog.h"

namespace {

constexpr const char* QV_HELP_DESK_URL = "https://www.quorvane.com/helpdesk/";
constexpr WPARAM QV_SC_DRAG_MOVE = 0xF012;  // SC_MOVE by the caption
constexpr int QV_CARD_TITLE_BOTTOM = 55;    // logical pixels: below each card's title

TLayoutRect ToLayout(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The overview page fills its card below the card's title.
TLayoutRect OverviewPageRect(const RECT& card, int titleBottom) { return {0, titleBottom, card.right, card.bottom}; }

// Answers the messages other threads and programs sent to this thread's windows and
// paints them; input and posted messages stay queued. Bounded: a window that never
// validates its area cannot hold the caller.
void AnswerSentMessagesAndPaint() {
  MSG message;
  for (int i = 0; i < 100 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_SENDMESSAGE | PM_QS_PAINT); ++i)
    DispatchMessageW(&message);
}

}  // namespace

TDriverAppForm::TDriverAppForm(TDriverDatamodel& model, TDataManager& engine, TSystemPorts ports)
    : m_model(model), m_engine(engine), m_ports(ports), m_navigation(model.IsOsVistaAndAbove()) {}

TDriverAppForm::~TDriverAppForm() {
  EndTasks();
}

std::string TDriverAppForm::Text(int id) const { return m_ports.strings.Load(id); }

int TDriverAppForm::Ask(const std::string& title, const std::string& text, int kind) {
  return QvMessageBox(Handle(), m_ports.strings, title, text, kind);
}

bool TDriverAppForm::Create() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  m_icon.Reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUORVANE), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
  m_smallIcon.Reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUORVANE), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
  m_logo.Reset(
      static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  TClassStyle classStyle;
  classStyle.icon = m_icon.Get();
  classStyle.smallIcon = m_smallIcon.Get();
  // The window is created at the size of its DPI; it is centred when first shown.
  const int dpi = StartupDpi();
  const TLayoutRect rect = ComputeShellLayout(dpi).client;
  return TWindow::Create(QV_MAIN_CLASS, classStyle, WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX,
                         WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, Utf8ToWide(m_model.GetAppName()), rect, nullptr);
}

void TDriverAppForm::OnCreate() {
  // FormCreate.
  SetWindowTextW(Handle(), Utf8ToWide(m_model.GetAppName()).c_str());
  FRunOnce = false;
  DeleteLeftoverInstaller();
  FollowLanguageChoice();
  m_engine.SetMessageSink(&m_messageSink);
  m_progressForm.Create(Handle());
  m_programUpdate = std::make_unique<TProgramUpdate>(m_callbacks.Dispatcher(), m_ports);

  m_tips.Create(Handle());
  const TShellLayout layout = ComputeShellLayout(Dpi());
  m_mainNavigation.Create(Handle(), idMainNavigation, layout.navigation, &m_tips);
  m_settingsNavigation.Create(Handle(), idSettingsNavigation, layout.navigation, &m_tips);
  m_settingsNavigation.Show(false);
  m_settingsNavigation.SetBackItem(0);
  m_contentCards.Create(Handle(), idContentCards, layout.content, QV_CARD_COUNT);
  {
    TCard& overview = m_contentCards.Card(cardOverview);
    RECT card{};
    GetClientRect(overview.Handle(), &card);
    m_overviewPage.Create(overview.Handle(), OverviewPageRect(card, Scale(QV_CARD_TITLE_BOTTOM)));
    m_overviewPage.OnScanClick([this] { StartScanTask(); });  // aclStartScan
    const TSystemInfo& pc = m_model.SysInfo();
    m_overviewPage.SetFacts({pc.Manufacturer(), pc.SystemModel(), pc.GetProcessorModel(), m_model.OSDescription()});
    ShowLastScan();
  }
  OnCardShown(cardOverview, [this] { ShowLastScan(); });
  m_resultsController.CreateResultPages(m_contentCards.Card(cardScanResults), m_contentCards.Card(cardIgnoredDevices));
  m_sysInfoController.CreateSysInfoPage(m_contentCards.Card(cardSysInfo));
  m_settingsController.CreateSettingsPages(m_contentCards.Card(cardSettings), m_contentCards.Card(cardConnection),
                                           m_contentCards.Card(cardSchedule));
  m_updateController.CreateUpdatePage(m_contentCards.Card(cardUpdateProgress), Handle());
  m_callbacks.AttachUpdates(m_updateController.Flow());
  m_resultsController.OnUpdateRequests([this](TDeviceProperties* device) { m_updateController.UpdateDriver(device); },
                                       [this](const TDriverMap& outdated) { m_updateController.UpdateAll(outdated); });
  m_backupController.CreateBackupPages(m_contentCards.Card(cardBackup), m_contentCards.Card(cardBackupProgress),
                                       m_contentCards.Card(cardRestore), m_callbacks.Dispatcher(),
                                       m_callbacks.Handler());
  m_helpButton.Create(Handle(), idHelpButton, "", layout.helpButton);
  m_aboutButton.Create(Handle(), idAboutButton, "", layout.aboutButton);
  m_minimizeButton.Create(Handle(), idMinimizeButton, "", layout.minimizeButton);
  m_exitButton.Create(Handle(), idExitButton, "", layout.exitButton);
  m_mainNavigation.OnItemClick([this](int index) { ApplyNavigation(m_navigation.ExecuteItem(index)); });
  m_settingsNavigation.OnItemClick([this](int index) { ApplyNavigation(m_navigation.ExecuteItem(index)); });

  m_trayIcon.Create(m_smallIcon ? m_smallIcon.Get() : m_icon.Get());
  m_trayIcon.OnDoubleClick([this] { RestoreWindow(); });
  m_trayIcon.OnMenuCommand([this](int command) {
    switch (command) {
      case idTrayRestore: RestoreWindow(); break;
      case idTrayAbout: RestoreWindow(); ShowAbout(); break;
      case idTrayHelp: RestoreWindow(); OpenHelp(); break;
      case idTrayExit: PostMessageW(Handle(), WM_CLOSE, 0, 0); break;
      default: break;
    }
  });

  UpdateGUI(true);
  // The Overview card, the first main item selected; the settings list's
  // Schedule item exists only where there is a task scheduler (see TShellNavigation).
  m_contentCards.ShowCard(m_navigation.Card());
  m_mainNavigation.SetSelected(m_navigation.SelectedMainItem());
}

void TDriverAppForm::DeleteLeftoverInstaller() {
  wchar_t folder[MAX_PATH + 1] = {};
  DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return;
  std::wstring installer = std::wstring(folder, length) + L"qvtempinstaller.exe";
  if (GetFileAttributesW(installer.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(installer.c_str());
}

void TDriverAppForm::FollowLanguageChoice() {
  // The interface language chosen for this program (stored per program path);
  // the settings follow it when they differ.
  const int chosen = LoadLanguageChoice(m_ports.registry, m_ports.processes.ModuleFileName());
  if (chosen == m_model.Language()) return;
  m_model.SetLanguage(chosen);
  try {
    m_model.DumpSettings();
  } catch (const std::exception& error) {
    Ask(m_model.GetAppName(), error.what(), QV_KIND_ERROR);
  }
}

void TDriverAppForm::UpdateGUI(bool AInitial) {
  m_resultsController.UpdateResultTexts();
  m_settingsController.UpdateSettingsPages();
  m_sysInfoController.UpdateSysInfoTexts(AInitial);
  m_backupController.UpdateBackupPage(AInitial);
  m_overviewPage.SetLabels(Text(IDS_LAST_SCAN_LABEL), {Text(IDS_FACT_MANUFACTURER), Text(IDS_FACT_MODEL),
                                                       Text(IDS_FACT_PROCESSOR), Text(IDS_FACT_WINDOWS)});
  if (!FscanTask) ApplyOverview();
  m_tips.Set(m_exitButton.Handle(), Text(IDS_HINT_CLOSE_PROGRAM));
  m_tips.Set(m_minimizeButton.Handle(), Text(IDS_HINT_MINIMIZE_WINDOW));
  m_tips.Set(m_helpButton.Handle(), Text(IDS_HINT_HELP_SUPPORT));
  m_tips.Set(m_aboutButton.Handle(), FormatText(Text(IDS_HINT_ABOUT_APP), m_model.GetAppName()));

  auto itemsOf = [this](const std::vector<TShellAction>& actions) {
    std::vector<TNavigationList::TEntry> items;
    for (TShellAction action : actions) {
      const TNavigationItem& item = NavigationItem(action);
      items.push_back({Text(item.caption), item.hint ? Text(item.hint) : std::string(), item.glyph});
    }
    return items;
  };
  m_mainNavigation.SetItems(itemsOf(m_navigation.MainItems()));
  m_settingsNavigation.SetItems(itemsOf(m_navigation.SettingsItems()));
  for (int card = 0; card < QV_CARD_COUNT; ++card) {
    m_contentCards.Card(card).SetTitle(Text(CardTitleId(static_cast<TShellCard>(card))));
  }

  m_trayIcon.SetHint(Text(IDS_TRAY_HINT));
  m_trayIcon.SetBalloon(FormatText(Text(IDS_TRAY_STILL_RUNNING), m_model.GetAppName()),
                        Text(IDS_TRAY_STILL_RUNNING_TEXT));
  m_trayIcon.SetMenu({{idTrayRestore, Text(IDS_ACTION_RESTORE_WINDOW)},
                      {idTrayAbout, Text(IDS_ACTION_ABOUT)},
                      {idTrayHelp, Text(IDS_ACTION_HELP)},
                      {0, ""},
                      {idTrayExit, Text(IDS_ACTION_EXIT)}});
}

void TDriverAppForm::ShowFirstTime() {
  RECT window{};
  GetWindowRect(Handle(), &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  TLayoutRect centred =
      CenteredRect(window.right - window.left, window.bottom - window.top, ToLayout(monitor.rcWork));
  SetWindowPos(Handle(), nullptr, centred.left, centred.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
}

void TDriverAppForm::Layout() {
  const TShellLayout layout = ComputeShellLayout(Dpi());
  m_mainNavigation.Place(layout.navigation);
  m_settingsNavigation.Place(layout.navigation);
  m_contentCards.Place(layout.content);
  {
    RECT card{};
    GetClientRect(m_contentCards.Card(cardOverview).Handle(), &card);
    m_overviewPage.Place(OverviewPageRect(card, Scale(QV_CARD_TITLE_BOTTOM)));
  }
  PlaceWindow(m_helpButton.Handle(), layout.helpButton);
  PlaceWindow(m_aboutButton.Handle(), layout.aboutButton);
  PlaceWindow(m_minimizeButton.Handle(), layout.minimizeButton);
  PlaceWindow(m_exitButton.Handle(), layout.exitButton);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TDriverAppForm::OnDpiChanged(int, const RECT*) { Layout(); }

bool TDriverAppForm::OnPaint(HDC dc) {
  const TShellLayout layout = ComputeShellLayout(Dpi());
  const TLayoutRect& bar = layout.topBar;
  FillSolid(dc, RECT{bar.left, bar.top, bar.right, bar.bottom}, QV_COLOR_BAR);
  const TLayoutRect& column = layout.navigation;
  FillSolid(dc, RECT{column.left, column.top, column.right, column.bottom}, QV_COLOR_BAR);
  if (m_logo) {
    const TLayoutRect& logo = layout.logo;
    DrawBitmapStretched(dc, m_logo.Get(), RECT{logo.left, logo.top, logo.right, logo.bottom});
  }
  return true;
}

bool TDriverAppForm::OnLeftButtonDown(TMousePoint point) {
  // TopPanelMouseDown: the borderless window moves with the mouse.
  if (!ComputeShellLayout(Dpi()).topBar.Contains(point.x, point.y)) return false;
  ReleaseCapture();
  SendMessageW(Handle(), WM_SYSCOMMAND, QV_SC_DRAG_MOVE, 0);
  return true;
}

void TDriverAppForm::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case idExitButton: PostMessageW(Handle(), WM_CLOSE, 0, 0); break;         // aclClose
    case idMinimizeButton: MinimizeApplication(); break;                      // aclMinimize
    case idHelpButton: OpenHelp(); break;                                     // aclMainHelp
    case idAboutButton: ShowAbout(); break;                                   // aclMainAbout
    default: break;
  }
}

void TDriverAppForm::ExecuteNavigation(TShellAction action) { ApplyNavigation(m_navigation.Execute(action)); }

void TDriverAppForm::ApplyNavigation(const std::optional<TCardChange>& change) {
  m_backupController.SetActiveAction(m_navigation.ActiveAction());
  const bool settings = m_navigation.Mode() == TNavigationMode::settings;
  m_mainNavigation.Show(!settings);
  m_settingsNavigation.Show(settings);
  m_mainNavigation.SetSelected(m_navigation.SelectedMainItem());
  m_settingsNavigation.SetSelected(m_navigation.SelectedSettingsItem());
  if (change) {
    m_contentCards.ShowCard(change->next);
    ContentCardsCardChange(change->previous, change->next);
  }
}

void TDriverAppForm::ShowCard(TShellCard card) { ApplyNavigation(m_navigation.ShowCard(card)); }

void TDriverAppForm::EnableNavigation(bool enabled) {
  EnableWindow(m_mainNavigation.Handle(), enabled);
  EnableWindow(m_settingsNavigation.Handle(), enabled);
}

void TDriverAppForm::SaveScanResults() {
  try {
    m_model.DumpScanResults();
  } catch (const std::exception& error) {
    Ask(m_model.GetAppName(), error.what(), QV_KIND_INFORMATION);
  }
}

// The program starts once after the next logon.
void TDriverAppForm::RunOnceAtStartupSettings() { m_model.RunOnceAtStartupSettings(); }

void TDriverAppForm::OnCardShown(TShellCard card, std::function<void()> shown) {
  m_cardShown.at(static_cast<size_t>(card)) = std::move(shown);
}

void TDriverAppForm::ContentCardsCardChange(TShellCard, TShellCard next) {
  // The per-card refresh belongs to each page; the pages not built yet have none.
  if (const auto& shown = m_cardShown.at(static_cast<size_t>(next))) shown();
}

void TDriverAppForm::MinimizeApplication() {
  // QvAppEventsMinimize: the window goes to the notification area.
  const TBalloonTexts balloon = MinimizeBalloon(m_model.ScanMinimized());
  m_trayIcon.SetBalloon(FormatText(Text(balloon.title), m_model.GetAppName()), Text(balloon.text));
  ShowWindow(Handle(), SW_MINIMIZE);
  ShowWindow(Handle(), SW_HIDE);
  m_trayIcon.SetVisible(true);
  m_trayIcon.ShowBalloon();
}

void TDriverAppForm::RestoreWindow() {
  // aclRestoreWindow.
  m_trayIcon.SetVisible(false);
  ShowWindow(Handle(), SW_RESTORE);
  ShowWindow(Handle(), SW_SHOWNORMAL);
  SetForegroundWindow(Handle());
}

void TDriverAppForm::BringForward() {
  if (IsIconic(Handle())) {
    ShowWindow(Handle(), SW_RESTORE);
    m_trayIcon.SetVisible(false);
  }
  if (!IsWindowVisible(Handle())) ShowWindow(Handle(), SW_SHOW);
  BringWindowToTop(Handle());
  SetForegroundWindow(Handle());
}

bool TDriverAppForm::OnUserMessage(UINT message) {
  if (message != QV_BRING_FORWARD) return false;
  BringForward();
  return true;
}

bool TDriverAppForm::OnUndecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_GETMINMAXINFO) {
    // Never smaller than the design size at the window's DPI.
    auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
    limits->ptMinTrackSize = POINT{Scale(QV_MAIN_WIDTH), Scale(QV_MAIN_HEIGHT)};
    result = 0;
    return true;
  }
  // A minimise by the system (the taskbar button) also goes to the notification area.
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE) {
    MinimizeApplication();
    result = 0;
    return true;
  }
  return false;
}

void TDriverAppForm::OnActivate(bool active) {
  // FormActivate: the first activation checks for a newer program version and
  // starts the scan at start when the settings ask for them; both may run at
  // once. A scan that already runs (a minimised scan brought forward) is left
  // running rather than stopped by the toggle.
  if (!active || FRunOnce) return;
  FRunOnce = true;
  if (std::optional<TScanResultProblem> problem = m_model.TakeScanResultProblem()) {
    std::string text = FormatText(Text(IDS_SCAN_RESULT_PROBLEM_TEXT), problem->error);
    if (!problem->keptAs.empty()) text += "\n\n" + FormatText(Text(IDS_SCAN_RESULT_KEPT_TEXT), problem->keptAs);
    Ask(m_model.GetAppName(), text, QV_KIND_ERROR);
  }
  if (m_model.CheckForUpdate()) StartSoftwareUpdateCheck();
  if (m_model.RunScanAtStart() && !FscanTask) StartScanTask();
}

void TDriverAppForm::StartSoftwareUpdateCheck() {
  // The navigation waits for the check: an update would close the window.
  EnableWindow(m_mainNavigation.Handle(), FALSE);
  FsoftwareUpdateTask = std::make_unique<TWorkerTask>(
      m_callbacks.Dispatcher(),
      [this] { m_updateWanted = CheckForUpdate(m_engine, m_messageSink, m_ports.strings); },
      [this] {
        m_endedUpdateTask = std::move(FsoftwareUpdateTask);
        // A driver update keeps the navigation disabled until it ends.
        if (!m_updateController.Flow().Running()) EnableWindow(m_mainNavigation.Handle(), TRUE);
        if (m_updateWanted) m_programUpdate->DoProgramUpdate(Handle(), m_progressForm);
      });
}

TUpdateWindowHooks TDriverAppForm::UpdateHooks() {
  TUpdateWindowHooks hooks;
  hooks.enableNavigation = [this](bool enabled) {
    // The program update check keeps it disabled until it ends.
    EnableWindow(m_mainNavigation.Handle(), enabled && !FsoftwareUpdateTask ? TRUE : FALSE);
  };
  hooks.showUpdatePage = [this] {
    m_navigation.SetActiveAction(TShellAction::aclUpdateDriver);
    ApplyNavigation(m_navigation.ShowCard(cardUpdateProgress));
  };
  hooks.refreshResults = [this] { m_resultsController.UpdateEnded(); };
  hooks.bringToFront = [this] {
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  };
  hooks.otherRunActive = [this] { return FscanTask != nullptr || m_engine.m_doingbackup || m_engine.m_scanning; };
  hooks.offerRestart = [this] { m_resultsController.OfferRestart(IDS_RESTART_QUESTION); };
  hooks.restorePointEnded = [this] {
    if (std::exchange(m_closeAfterRestorePoint, false)) PostMessageW(Handle(), WM_CLOSE, 0, 0);
  };
  return hooks;
}

void TDriverAppForm::OpenHelp() { m_model.LaunchBrowser(QV_HELP_DESK_URL); }

void TDriverAppForm::ShowAbout() {
  TAboutForm about(m_ports, m_logo.Get());
  about.ShowModal(Handle());
}

void TDriverAppForm::StartScanTask() {
  if (!FscanTask && m_backupController.Running()) return;  // a backup shares the engine's stop flag
  if (FscanTask) {
    // A stop request: the overview keeps its scanning look until the task ends.
    StopScanTask();
    m_resultsController.ScanStopRequested();
    return;
  }
  m_endedScanTask.reset();  // its completion step has run; its thread is ending
  m_overview.EnterScanning(m_model.ScanMinimized());
  ApplyOverview();
  m_resultsController.ScanStarted();
  m_backupController.ScanStateChanged();
  // The completion step is posted to this thread, so it cannot run before
  // FscanTask is set.
  FscanTask = std::make_unique<TWorkerTask>(
      m_callbacks.Dispatcher(), [this] { m_engine.StartScan(&m_callbacks.Handler()); },
      [this] { ScanTaskComplete(); });
}

void TDriverAppForm::StopScanTask() {
  m_overview.AskStop();
  m_engine.StopScan();
}

void TDriverAppForm::ScanTaskComplete() {
  m_endedScanTask = std::move(FscanTask);
  const bool minimised = m_model.ScanMinimized();
  const std::optional<std::string> failure = m_endedScanTask->Failure();
  const TScanOutcome outcome =
      m_overview.Complete(minimised, m_engine.m_stopped, m_model.GetOutofDateDrivers(), failure.has_value());
  ApplyOverview();
  if (m_contentCards.Shown() == cardOverview) ShowLastScan();
  m_resultsController.ScanEnded();
  switch (outcome) {
    case TScanOutcome::showResults:
      ExecuteNavigation(TShellAction::aclResults);
      if (minimised) {
        m_model.SetScanMinimized(false);
        RestoreWindow();
      }
      break;
    case TScanOutcome::noUpdates:
      Ask(m_model.GetAppName(), Text(IDS_NO_UPDATES_TEXT), QV_KIND_INFORMATION);
      break;
    case TScanOutcome::failed:
      Ask(m_model.GetAppName(), failure->empty() ? Text(IDS_SCAN_FAILED_TEXT) : *failure, QV_KIND_ERROR);
      break;
    case TScanOutcome::nothing:
      break;
  }
  m_backupController.BuildBackupTree(false);
}

void TDriverAppForm::ApplyOverview() { m_overviewPage.Apply(m_overview.State()); }

void TDriverAppForm::ShowLastScan() { m_overviewPage.SetLastScan(LastScanText(m_model.StartTime(), m_ports.strings)); }

void TDriverAppForm::EndTasks(bool answerMessages) {
  if (m_endingTasks) return;
  m_endingTasks = true;
  // Every run is asked to stop and a run waiting for the server is cut short; the
  // dispatcher is shut down, which releases workers waiting for this thread, so no
  // notification reaches a window being closed. Then each run is awaited in turn.
  if (FscanTask) StopScanTask();
  m_engine.CancelExchanges();
  m_backupController.StopBackupTask();
  m_programUpdate.reset();
  m_updateController.Flow().CancelTasks();
  m_callbacks.Shutdown();
  TUpdateFlow& flow = m_updateController.Flow();
  AwaitRunEnds({TaskEndWait(FsoftwareUpdateTask.get()), TaskEndWait(FscanTask.get()),
                TaskEndWait(m_backupController.BackupTask()), TaskEndWait(flow.DownloadTask()),
                TaskEndWait(flow.InstallTask())},
               [&] {
                 m_engine.CancelExchanges();  // one a run began since
                 if (answerMessages) AnswerSentMessagesAndPaint();
               },
               std::chrono::milliseconds(200));
  flow.JoinTasks();
  m_backupController.EndBackupTask();
  FscanTask.reset();
  m_endedScanTask.reset();
  FsoftwareUpdateTask.reset();
  m_endedUpdateTask.reset();
  m_engine.SetMessageSink(nullptr);
  m_endingTasks = false;
}

// The run's notifications come after it cleared the engine's stop flag: a stop
// the user asked for before that is asked again here.
void TDriverAppForm::ShowScanningDevice(const std::string& deviceName) {
  if (m_overview.StopAsked()) m_engine.StopScan();
  m_overview.ShowDevice(deviceName);
  ApplyOverview();
}

void TDriverAppForm::ShowCheckingForUpdates() {
  if (m_overview.StopAsked()) m_engine.StopScan();
  m_overview.ShowChecking();
  ApplyOverview();
}

void TDriverAppForm::ShowServerProblem() {
  Ask(m_model.GetAppName(), FormatText(Text(IDS_SERVER_PROBLEM_TEXT), m_model.GetAppName()), QV_KIND_SERVER_ERROR);
}

void TDriverAppForm::Repaint() { InvalidateRect(Handle(), nullptr, TRUE); }

bool TDriverAppForm::FormCloseQuery() {
  const auto running = [this] {
    TRunningActivities now;
    now.scanning = m_engine.m_scanning;
    now.downloading = m_engine.m_downloading;
    now.stopping = m_engine.m_stopped;
    now.backingUp = m_engine.m_doingbackup;
    now.installing = m_engine.m_installing;
    return now;
  };
  return CloseQuery(
      running,
      [&](TEngineActivity activity) {
        return Ask(m_model.GetAppName(), Text(StopQuestionId(activity)), QV_KIND_OK_CANCEL) == ID_OK;
      },
      [&](TEngineActivity activity) {
        switch (activity) {
          case actScan: StopScanTask(); break;
          case actDownload: m_engine.DownloadCancel(); break;
          case actBackup: m_engine.BackupCancel(); break;
          case actInstall: m_engine.InstallCancel(); break;
        }
      });
}

bool TDriverAppForm::OnClose() {
  if (m_updateController.Flow().CreatingRestorePoint()) {
    m_closeAfterRestorePoint = true;
    return false;
  }
  if (m_endingTasks || !FormCloseQuery()) return false;
  // A scan that was asked to stop may still be replacing the device list: it
  // ends before the result is saved, so the saved result is never half-built.
  EndTasks(true);
  // FormClose: the settings and the scan result are saved.
  try {
    m_model.DumpScanResults();
  } catch (const std::exception& error) {
    Ask(m_model.GetAppName(), error.what(), QV_KIND_ERROR);
  }
  return true;
}

void TDriverAppForm::OnDestroy() {
  EndTasks();
  m_trayIcon.SetVisible(false);
  PostQuitMessage(0);
}
