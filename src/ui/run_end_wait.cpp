#include "ui/run_end_wait.h"

#include "ui/worker_task.h"

void AwaitRunEnds(const std::vector<TRunEndWait>& runs, const std::function<void()>& pump,
                  std::chrono::milliseconds slice) {
  for (const TRunEndWait& ended : runs) {
    while (!ended(slice)) {
      if (pump) pump();
    }
  }
}

TRunEndWait TaskEndWait(TWorkerTask* task) {
  return [task](std::chrono::milliseconds limit) { return task == nullptr || task->WaitEnded(limit); };
}
