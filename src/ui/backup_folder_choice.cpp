#include "ui/backup_folder_choice.h"

bool ChangeBackupLocation(IFolderPicker& picker, TDriverDatamodel& model, TFolderChoicePage page) {
  const std::optional<std::string> chosen = picker.ChooseFolder(model.BackupLocation());
  if (!chosen || chosen->empty() || *chosen == model.BackupLocation()) return false;
  model.SetBackupLocation(*chosen);
  if (page == TFolderChoicePage::backup) model.DumpSettings();
  return true;
}
