#include "app/update_controller.h"

#include <utility>

TUpdateController::TUpdateController(TDriverDatamodel& model, TDataManager& engine, TSystemPorts ports,
                                     TCallbackDispatcher& dispatcher, TCallbackRelay& handler, IPageHost& host,
                                     TUpdateWindowHooks hooks)
    : m_host(host), m_hooks(std::move(hooks)), m_flow(model, engine, ports, dispatcher, handler, *this) {}

void TUpdateController::CreateUpdatePage(TCard& card, HWND taskbarOwner) {
  // The page carries its own title.
  ShowWindow(card.TitleLabel(), SW_HIDE);
  RECT client{};
  GetClientRect(card.Handle(), &client);
  m_page.Create(card.Handle(), {0, 0, client.right, client.bottom}, taskbarOwner,
                [this](TStopUpdateRole role) { StopClicked(role); });
  m_page.Apply(m_flow.View());
}

void TUpdateController::StopClicked(TStopUpdateRole role) {
  if (role == TStopUpdateRole::stop) {
    m_flow.StopUpdate();
  } else {
    m_host.ExecuteNavigation(TShellAction::aclResults);
  }
}
