// TSettingsController: the three settings cards. It makes the general,
// connection and schedule pages, runs their presenters' actions and applies
// their views after each, reads the schedule back each time its card is shown,
// and asks the window the pages' questions.
#pragma once

#include <functional>

#include "app/connection_settings_page.h"
#include "app/general_settings_page.h"
#include "app/page_host.h"
#include "app/schedule_settings_page.h"
#include "core/data_model.h"
#include "ui/win32/card_panel.h"

class TSettingsController : private IGeneralSettingsHost, private IScheduleSettingsHost {
 public:
  // `unpluggedShowingChanged` rebuilds what shows unplugged devices.
  // `sink` shows the System Restore switch's own failure.
  TSettingsController(TDriverDatamodel& model, TSystemPorts ports, IMessageSink* sink, IPageHost& host,
                      std::function<void()> unpluggedShowingChanged);

  void CreateSettingsPages(TCard& general, TCard& connection, TCard& schedule);
  // UpdateSettingsPages: the pages' texts and values again, every Save disabled.
  void UpdateSettingsPages();

 private:
  // The questions of all three pages.
  int Ask(const std::string& title, const std::string& text, int kind) override;
  void UnpluggedShowingChanged() override { m_unpluggedShowingChanged(); }
  void RestartApplication() override;
  std::string ChooseFolder(const std::string& title, const std::string& start) override;
  void RunScanAtStartStored() override;

  void CreateGeneralPage(TCard& card);
  void CreateConnectionPage(TCard& card);
  void CreateSchedulePage(TCard& card);
  void ApplyGeneral() { m_generalPage.Apply(m_general.View()); }
  void ApplyConnection() { m_connectionPage.Apply(m_connection.View()); }
  void ApplySchedule() { m_schedulePage.Apply(m_schedule.View()); }

  TDriverDatamodel& m_model;
  TSystemPorts m_ports;
  IPageHost& m_host;
  std::function<void()> m_unpluggedShowingChanged;
  TGeneralSettingsPresenter m_general;
  TConnectionSettingsPresenter m_connection;
  TScheduleSettingsPresenter m_schedule;
  TGeneralSettingsPage m_generalPage;
  TConnectionSettingsPage m_connectionPage;
  TScheduleSettingsPage m_schedulePage;
};
