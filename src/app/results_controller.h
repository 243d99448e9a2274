// TResultsController: the results and ignored pages' behaviour. It makes both
// pages on their cards, runs their actions (selection, the device menu and its
// four actions, Include, rescan) on the engine and the data model, and applies
// the presenters' views to the pages.
#pragma once

#include <functional>
#include <string>

#include "app/ignored_page.h"
#include "app/page_host.h"
#include "app/results_page.h"
#include "core/data_model.h"
#include "devices/problem_texts.h"
#include "engine/data_manager.h"
#include "ui/ignored_presenter.h"
#include "ui/results_presenter.h"
#include "ui/win32/card_panel.h"

class TResultsController {
 public:
  TResultsController(TDriverDatamodel& model, TDataManager& engine, TSystemPorts ports, IPageHost& host);

  // Both pages on their cards; each is refreshed when its card is shown.
  void CreateResultPages(TCard& results, TCard& ignored);
  // Shows the pages' texts, from the string table.
  void UpdateResultTexts();
  // A scan task starts: no row action or Include reaches the data model until it ends.
  void ScanStarted();
  // The running scan was asked to stop.
  void ScanStopRequested();
  // The scan task's completion step: the scan replaced the records the rows
  // show; the pages on screen are built again.
  void ScanEnded();
  // Where a row's Update and Update All go (the outdated rows' devices in row order).
  void OnUpdateRequests(std::function<void(TDeviceProperties*)> updateOne,
                        std::function<void(const TDriverMap&)> updateAll);
  // An update ended: both lists are made again from the records it marked.
  void UpdateEnded() { RefreshResults(); }
  // The result lists are made again the next time they are shown.
  void InvalidateResults() { m_results.Invalidate(); }
  // A run asked for a restart: the question, then the scan result saved and the restart.
  void OfferRestart(int questionId);

 private:
  void ApplyResults();
  void ApplyIgnored();
  TRowImages RowImages();
  void ShowResultsPage();
  void RefreshResults();
  void RefreshOutdatedList();
  void ReScanButtonClick();
  void imgDeviceSelectedClick(const TRowKey& row);
  void DeviceDetailsMenuPopup(const TRowKey& row, POINT at);
  // ShowDeviceDetails: the details window, modal; its Update updates the device.
  void ShowDeviceDetails(const TRowKey& row);
  void Delete1Click(const TDeviceProperties& device);
  void Open1Click(const TRowKey& row);
  void Ignore1Click(TDeviceProperties& device);
  void Uninstall1Click(TDeviceProperties& device);
  void FillIgnoredList();
  void IgnoreListItemChecked(size_t row, bool checked);
  void aclIncludeExecute();
  std::string Text(int id) const { return m_ports.strings.Load(id); }

  TDriverDatamodel& m_model;
  TDataManager& m_engine;
  TSystemPorts m_ports;
  IPageHost& m_host;
  TProblemTexts m_problemTexts{m_ports.strings};
  TResultsPresenter m_results{m_model, m_ports.locale, m_ports.strings, m_problemTexts};
  TIgnoredPresenter m_ignored{m_model, m_ports.locale, m_ports.strings, m_results};
  std::function<void(TDeviceProperties*)> m_updateOne;
  std::function<void(const TDriverMap&)> m_updateAll;
  TResultsPage m_resultsPage;
  TIgnoredPage m_ignoredPage;
};
