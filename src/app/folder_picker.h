// TFolderPicker: the system's folder choice for the backup location. From
// Vista on the common item dialog in folder mode, titled "Select backup
// folder", with the field "Folder" and the button "OK"; before, the older
// browse-for-folder dialog.
#pragma once

#include <windows.h>

#include "platform/string_table.h"
#include "ui/backup_folder_choice.h"

class TFolderPicker : public IFolderPicker {
 public:
  TFolderPicker(HWND owner, IStringTable& strings, bool vistaAndAbove)
      : m_owner(owner), m_strings(strings), m_vistaAndAbove(vistaAndAbove) {}

  std::optional<std::string> ChooseFolder(const std::string& start) override;

 private:
  std::optional<std::string> ChooseWithItemDialog(const std::string& start);
  std::optional<std::string> ChooseWithBrowseDialog();

  HWND m_owner;
  IStringTable& m_strings;
  bool m_vistaAndAbove;
};
