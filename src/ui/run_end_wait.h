// Waiting for runs that were asked to stop, on the UI thread: one run after another, at
// most one slice at a time, with the UI thread's pending work run between the waits, so
// the window keeps answering while a run takes its time to end.
#pragma once

#include <chrono>
#include <functional>
#include <vector>

class TWorkerTask;

// Waits at most the given time for one run to end; true once it has.
using TRunEndWait = std::function<bool(std::chrono::milliseconds)>;

// Waits for each run in order until it has ended, calling pump after every wait that
// ended without it. Returns when all have ended.
void AwaitRunEnds(const std::vector<TRunEndWait>& runs, const std::function<void()>& pump,
                  std::chrono::milliseconds slice);

// The wait for one task; none (a null task) has ended.
TRunEndWait TaskEndWait(TWorkerTask* task);
