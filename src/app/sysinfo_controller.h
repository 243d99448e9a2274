// TSysInfoController: the system-information page. It makes the page on its
// card, fills it once with the presenter's rows of the PC information and
// gives the grid the focus whenever the card is shown.
#pragma once

#include "app/page_host.h"
#include "app/sysinfo_page.h"
#include "core/data_model.h"
#include "ui/win32/card_panel.h"

class TSysInfoController {
 public:
  TSysInfoController(TDriverDatamodel& model, TSystemPorts ports, IPageHost& host);

  void CreateSysInfoPage(TCard& card);
  // The window's texts are loaded; the first load fills the grid, later ones change nothing.
  void UpdateSysInfoTexts(bool initial);

 private:
  TDriverDatamodel& m_model;
  TSystemPorts m_ports;
  IPageHost& m_host;
  TSysInfoPage m_page;
};
