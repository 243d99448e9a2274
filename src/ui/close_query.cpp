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

bool CloseQuery(const TRunningActivities& running, const std::function<bool(TEngineActivity)>& confirm,
                const std::function<void(TEngineActivity)>& stop) {
  const struct {
    TEngineActivity activity;
    bool asked;
  } order[] = {{actScan, running.scanning},
               {actDownload, running.downloading && !running.stopping},
               {actBackup, running.backingUp},
               {actInstall, running.installing}};
  bool canClose = true;
  for (const auto& item : order) {
    if (!item.asked) continue;
    if (confirm(item.activity)) {
      stop(item.activity);
    } else {
      canClose = false;
    }
  }
  return canClose;
}
