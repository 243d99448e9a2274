#include "app/settings_controller.h"

#include "app/folder_picker.h"
#include "core/launch.h"
#include "core/message_box_kinds.h"
#include "ui/win32/temp_cursor.h"

namespace {

// The page fills its card and carries its own title.
TLayoutRect PageRect(TCard& card) {
  ShowWindow(card.TitleLabel(), SW_HIDE);
  RECT client{};
  GetClientRect(card.Handle(), &client);
  return {0, 0, client.right, client.bottom};
}

}  // namespace

TSettingsController::TSettingsController(TDriverDatamodel& model, TSystemPorts ports, IMessageSink* sink,
                                         IPageHost& host, std::function<void()> unpluggedShowingChanged)
    : m_model(model),
      m_ports(ports),
      m_host(host),
      m_unpluggedShowingChanged(std::move(unpluggedShowingChanged)),
      m_general(model, ports, sink, *this),
      m_connection(model, ports.strings),
      m_schedule(model, ports, *this) {}

void TSettingsController::CreateSettingsPages(TCard& general, TCard& connection, TCard& schedule) {
  CreateGeneralPage(general);
  CreateConnectionPage(connection);
  CreateSchedulePage(schedule);
}

void TSettingsController::CreateGeneralPage(TCard& card) {
  TGeneralSettingsPageEvents events;
  events.boxClicked = [this](TGeneralBox box, bool checked) {
    m_general.BoxClicked(box, checked);
    ApplyGeneral();
  };
  events.languagePicked = [this](int language) {
    m_general.LanguagePicked(language);
    ApplyGeneral();
  };
  events.changePath = [this] {
    m_general.ChangeDownloadPath();
    ApplyGeneral();
  };
  events.systemRestore = [this] { m_general.RunSystemRestore(); };
  events.save = [this] {
    {
      auto busy = SetTempCursor();
      m_general.Save();
    }
    ApplyGeneral();
  };
  m_generalPage.Create(card.Handle(), PageRect(card), m_host.Owner(), std::move(events));
}

void TSettingsController::CreateConnectionPage(TCard& card) {
  TConnectionSettingsPageEvents events;
  events.proxyChosen = [this](bool useProxy) {
    m_connection.ProxyChosen(useProxy);
    ApplyConnection();
  };
  events.fieldEdited = [this](TProxyField field, const std::string& text) { m_connection.FieldEdited(field, text); };
  events.save = [this] {
    std::optional<TConnectionProblem> problem;
    {
      auto busy = SetTempCursor();
      problem = m_connection.Save();
    }
    if (problem) {
      m_host.Ask(m_model.GetAppName(), problem->message, QV_KIND_INFORMATION);
      m_connectionPage.FocusField(problem->focus);
    }
    ApplyConnection();
  };
  m_connectionPage.Create(card.Handle(), PageRect(card), std::move(events));
}

void TSettingsController::CreateSchedulePage(TCard& card) {
  TScheduleSettingsPageEvents events;
  events.cycleClicked = [this](int cycle) {
    m_schedule.CycleClicked(cycle);
    ApplySchedule();
  };
  events.datePicked = [this](const TLocalTime& date) {
    m_schedule.SyncDates(date.year, date.month, date.day);
    ApplySchedule();
  };
  events.timePicked = [this](const TLocalTime& time) {
    m_schedule.SyncTimes(time.hour, time.minute);
    ApplySchedule();
  };
  events.dayClicked = [this](size_t day, bool checked) {
    m_schedule.DayClicked(day, checked);
    ApplySchedule();
  };
  events.save = [this] {
    {
      auto busy = SetTempCursor();
      m_schedule.Save();
    }
    ApplySchedule();
  };
  m_schedulePage.Create(card.Handle(), PageRect(card), std::move(events));
  m_host.OnCardShown(cardSchedule, [this] {
    m_schedule.Show();
    ApplySchedule();
  });
}

void TSettingsController::UpdateSettingsPages() {
  m_general.Load();
  ApplyGeneral();
  m_connection.Load();
  ApplyConnection();
  m_schedule.Load();
  ApplySchedule();
}

int TSettingsController::Ask(const std::string& title, const std::string& text, int kind) {
  return m_host.Ask(title, text, kind);
}

void TSettingsController::RestartApplication() {
  HWND owner = m_host.Owner();
  ::RestartApplication(m_ports.processes, [owner] { PostMessageW(owner, WM_CLOSE, 0, 0); });
}

std::string TSettingsController::ChooseFolder(const std::string&, const std::string& start) {
  TFolderPicker picker(m_host.Owner(), m_ports.strings, m_model.IsOsVistaAndAbove(), IDS_SELECT_DOWNLOAD_FOLDER);
  return picker.ChooseFolder(start).value_or("");
}

void TSettingsController::RunScanAtStartStored() {
  m_general.StoredBoxChanged(TGeneralBox::runScanAtStart, true);
  ApplyGeneral();
}
