// The choice of the backup location from the backup and restore pages: a folder
// picker behind a small port, and what each page does with a different folder.
#pragma once

#include <optional>
#include <string>

#include "core/data_model.h"

// The system's folder picker ("Select backup folder", field "Folder", button "OK").
class IFolderPicker {
 public:
  virtual ~IFolderPicker() = default;
  // The folder chosen, starting at `start`; nothing when cancelled.
  virtual std::optional<std::string> ChooseFolder(const std::string& start) = 0;
};

enum class TFolderChoicePage { backup, restore };

// Shows the picker at the backup location. A folder other than the location
// becomes the location; the backup page saves the settings, the restore page
// does not. True when the location changed. Saving raises as DumpSettings does.
bool ChangeBackupLocation(IFolderPicker& picker, TDriverDatamodel& model, TFolderChoicePage page);
