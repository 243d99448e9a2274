// TRestorePresenter: what the restore page shows (its texts, the backup folders
// under the backup location, those made before backups were checked marked
// unverified, the selection, the reboot choice) and its actions: restore of the
// selected folder with the restart it may ask for, and delete. A line names a
// folder only while it is a real folder directly under the location; it is
// checked again when an action uses it.
#pragma once

#include <string>
#include <vector>

#include "core/data_model.h"
#include "engine/data_manager.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "platform/string_table.h"
#include "ui/driver_reboot.h"

// Kinds of the restore page's message boxes: a notice, and a Yes/No question.
inline constexpr int QV_KIND_RESTORE_NOTICE = 6;
inline constexpr int QV_KIND_DELETE_QUESTION = 36;

struct TRestoreView {
  std::string title, info, pathLabel, path;
  std::string changeCaption, changeHint, promptRebootCaption, autoRebootCaption;
  std::string restoreCaption, restoreHint, deleteCaption;
  std::vector<std::string> lines;  // the folders' names, an unverified one marked
  int build = 0;      // counts the fills of the list
  int selected = -1;  // the selected line; -1: none
  bool restoreEnabled = false;
  bool deleteEnabled = false;
  bool autoReboot = false;

  bool operator==(const TRestoreView&) const = default;
};

// What restore and delete need from outside: the window's questions and the
// restart's steps, the engine's restore (under the hourglass) and delete.
class IRestoreHost : public IRebootHost {
 public:
  virtual TRestoreOutcome RestoreDriver(const std::string& folder, bool allowUnverified, bool& rebootRequired) = 0;
  virtual bool DeleteBackupFolder(const std::string& folder) = 0;
};

class TRestorePresenter {
 public:
  TRestorePresenter(const TDriverDatamodel& model, IRegistry& registry, IStringTable& strings);

  // The page is entered: the reboot choice back to asking, the list read again.
  void Enter();
  // FillRestoreList: the folders under the backup location, none selected.
  void Fill();
  // A line clicked or right-clicked; -1 or a line past the end selects none.
  void Select(int line);
  void SetAutoReboot(bool automatic) { m_view.autoReboot = automatic; }

  // aclRestoreDriverExecute; a backup made before backups were checked is restored only
  // after the user says yes. True when a restart was requested.
  bool RestoreSelected(IRestoreHost& host, IPower& power);
  // DeleteBackupClick.
  void DeleteSelected(IRestoreHost& host);

  const TRestoreView& View();

 private:
  std::string Text(int id) const { return m_strings.Load(id); }
  // The selected line's folder, checked now; empty when there is none.
  std::string SelectedFolder() const;

  const TDriverDatamodel& m_model;
  IRegistry& m_registry;
  IStringTable& m_strings;
  TRestoreView m_view;
  std::vector<std::string> m_names;  // the listed folders' names, line by line
};
