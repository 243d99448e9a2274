// TBackupPage: the backup card's contents. The title and explanation, the
// read-only backup path with its Change button, the device tree with check
// boxes and the Backup button. Ticks follow the tree's rule (a device updates
// its class, the computer or a class sets everything below); the page reports
// them and its buttons to its owner.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <vector>

#include "ui/backup_presenter.h"
#include "ui/backup_tree.h"
#include "ui/win32/controls.h"
#include "ui/win32/page.h"

// Control identifiers of the page, also used by the window tests.
enum TBackupControlId : int {
  idBackupPage = 300,
  idBackupTitle = 301,
  idBackupInfo = 302,
  idBackupDestLabel = 303,
  idBackupPathEdit = 304,
  idChangeBackupPath = 305,
  idDeviceView = 306,
  idBackupButton = 307,
};

struct TBackupPageEvents {
  std::function<void()> ticksChanged;
  std::function<void()> changePath;
  std::function<void()> backup;
};

class TBackupPage : public TPage {
 public:
  inline static const wchar_t* const CLASS_NAME = L"QvBackupPage";

  ~TBackupPage() override;

  bool Create(HWND card, const TLayoutRect& rect, HWND tipsOwner, TBackupPageEvents events);
  // Shows the view; only what differs from the view shown before is touched.
  void Apply(const TBackupPageView& view);
  // BuildBackupTree: the tree's nodes replaced by these, all unticked, the
  // computer expanded. The images come from `images`, shared, never destroyed here.
  void FillTree(const TBackupTreeNode& root, HIMAGELIST images);
  bool AnyNodeTicked() const;
  // The ticked device nodes in tree order.
  std::vector<TDeviceProperties*> TickedDevices() const;

 protected:
  bool OnNotify(const NMHDR& header) override;
  void OnCommand(int id, int code, HWND control) override;
  bool OnUserMessage(UINT message) override;
  void OnSize(int width, int height) override;
  void OnDpiChanged(int, const RECT*) override;

 private:
  void MakeFonts();
  void Layout();
  void InsertNode(const TBackupTreeNode& node, HTREEITEM parent);
  // DeviceViewClick and DeviceViewKeyPress, once the control has flipped the mark.
  void NodeToggled(HTREEITEM node);

  HWND m_title = nullptr;
  HWND m_info = nullptr;
  HWND m_destLabel = nullptr;
  HWND m_path = nullptr;
  HWND m_tree = nullptr;
  TStyledButton m_change;
  TStyledButton m_backup;
  TToolTips m_tips;
  TFont m_titleFont, m_textFont, m_buttonFont;
  TBackupPageEvents m_events;
  HTREEITEM m_toggled = nullptr;  // the node whose mark the control is flipping
  std::optional<TBackupPageView> m_shown;
};
