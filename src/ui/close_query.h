// Closing the main window while engine runs are active: each running activity
// is asked about, in a fixed order, and stopped when the user agrees.
#pragma once

#include <functional>

enum TEngineActivity { actScan, actDownload, actBackup, actInstall };

// What the engine is doing when the window is asked to close.
struct TRunningActivities {
  bool scanning = false;
  bool downloading = false;
  bool stopping = false;  // a stop was asked for already (a stopping download is not asked about again)
  bool backingUp = false;
  bool installing = false;
};

// The question's string-table identifier for an activity.
int StopQuestionId(TEngineActivity activity);

// Asks confirm() for every running activity, in the order scan, download,
// backup, install, even after an earlier refusal, and calls stop() for each
// one confirmed. What runs is read again before each question: a run may end, or
// begin stopping, while a question is open. True when the window may close:
// nothing was refused.
bool CloseQuery(const std::function<TRunningActivities()>& running,
                const std::function<bool(TEngineActivity)>& confirm, const std::function<void(TEngineActivity)>& stop);
