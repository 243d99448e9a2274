// TFolderPicker: the system's folder choice for the backup location. From
// Vista on the common item dialog in folder mode, titled as its user says
// ("Select backup folder"), with the field "Folder" and the button "OK"; before, the older
// browse-for-folder dialog.
#pragma once

#include <windows.h>

#include "platform/string_table.h"
#include "res/string_ids.h"
#include "ui/backup_folder_choice.h"

class TFolderPicker : public IFolderPicker {
 public:
  // `titleId`: the dialog's title in the string table.
  TFolderPicker(HWND owner, IStringTable& strings, bool vistaAndAbove, int titleId = IDS_SELECT_BACKUP_FOLDER)
      : m_owner(owner), m_strings(strings), m_vistaAndAbove(vistaAndAbove), m_titleId(titleId) {}

  std::optional<std::string> ChooseFolder(const std::string& start) override;

 private:
  std::optional<std::string> ChooseWithItemDialog(const std::string& start);
  std::optional<std::string> ChooseWithBrowseDialog();

  HWND m_owner;
  IStringTable& m_strings;
  bool m_vistaAndAbove;
  int m_titleId;
};
