#include "app/sysinfo_controller.h"

TSysInfoController::TSysInfoController(TDriverDatamodel& model, TSystemPorts ports, IPageHost& host)
    : m_model(model), m_ports(ports), m_host(host) {}

void TSysInfoController::CreateSysInfoPage(TCard& card) {
  // The page carries its own title.
  ShowWindow(card.TitleLabel(), SW_HIDE);
  RECT client{};
  GetClientRect(card.Handle(), &client);
  m_page.Create(card.Handle(), {0, 0, client.right, client.bottom});
  m_host.OnCardShown(cardSysInfo, [this] { m_page.FocusGrid(); });
}

void TSysInfoController::UpdateSysInfoTexts(bool initial) {
  if (!initial) return;
  m_page.Apply(SysInfoView(m_model.SysInfo(), m_ports.strings, m_ports.locale.DecimalSeparator()));
}
