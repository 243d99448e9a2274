// TUpdateController: the driver updates of the main window. It makes the update
// progress page on its card, runs the update flow (one device or all selected ones) and
// applies its view to the page; the window tells it what only the window knows.
#pragma once

#include <functional>
#include <string>

#include "app/page_host.h"
#include "app/update_page.h"
#include "ui/update_flow.h"
#include "ui/win32/card_panel.h"

// What the flow needs of the window beyond IPageHost.
struct TUpdateWindowHooks {
  std::function<void(bool)> enableNavigation;
  std::function<void()> showUpdatePage;
  std::function<void()> refreshResults;
  std::function<void()> bringToFront;
  std::function<bool()> otherRunActive;  // a scan or a backup
  std::function<void()> offerRestart;
  std::function<void()> restorePointEnded;
};

class TUpdateController : private IUpdateFlowHost {
 public:
  TUpdateController(TDriverDatamodel& model, TDataManager& engine, TSystemPorts ports, TCallbackDispatcher& dispatcher,
                    TCallbackRelay& handler, IPageHost& host, TUpdateWindowHooks hooks);

  void CreateUpdatePage(TCard& card, HWND taskbarOwner);
  // aclUpdateDriverExecute and aclUpdateAllExecute.
  void UpdateDriver(TDeviceProperties* device) { m_flow.UpdateDriver(device); }
  void UpdateAll(const TDriverMap& outdated) { m_flow.UpdateAll(outdated); }
  TUpdateFlow& Flow() { return m_flow; }

 private:
  int Ask(const std::string& title, const std::string& text, int kind) override { return m_host.Ask(title, text, kind); }
  void SetNavigationEnabled(bool enabled) override { m_hooks.enableNavigation(enabled); }
  void ShowUpdatePage() override { m_hooks.showUpdatePage(); }
  void RefreshResults() override { m_hooks.refreshResults(); }
  void BringToFront() override { m_hooks.bringToFront(); }
  bool OtherRunActive() const override { return m_hooks.otherRunActive(); }
  void ProgressChanged(const TUpdateProgressView& view) override { m_page.Apply(view); }
  void OfferRestart() override { m_hooks.offerRestart(); }
  void RestorePointEnded() override { m_hooks.restorePointEnded(); }
  void StopClicked(TStopUpdateRole role);

  IPageHost& m_host;
  TUpdateWindowHooks m_hooks;
  TUpdatePage m_page;
  TUpdateFlow m_flow;
};
