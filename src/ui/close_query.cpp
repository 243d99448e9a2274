#include "ui/close_query.h"

#include "res/string_ids.h"

int StopQuestionId(TEngineActivity activity) {
  switch (activity) {
    case actScan: return IDS_CONFIRM_STOP_SCAN;
    case actDownload: return IDS_CONFIRM_STOP_DOWNLOAD;
    case actBackup: return IDS_CONFIRM_STOP_BACKUP;
    case actInstall: return IDS_CONFIRM_STOP_INSTALL;
  }
  return 0;
}

bool CloseQuery(const std::function<TRunningActivities()>& running,
                const std::function<bool(TEngineActivity)>& confirm, const std::function<void(TEngineActivity)>& stop) {
  const auto asked = [](TEngineActivity activity, const TRunningActivities& now) {
    switch (activity) {
      case actScan: return now.scanning;
      case actDownload: return now.downloading && !now.stopping;
      case actBackup: return now.backingUp;
      case actInstall: return now.installing;
    }
    return false;
  };
  bool canClose = true;
  for (TEngineActivity activity : {actScan, actDownload, actBackup, actInstall}) {
    if (!asked(activity, running())) continue;
    if (confirm(activity)) {
      stop(activity);
    } else {
      canClose = false;
    }
  }
  return canClose;
}
