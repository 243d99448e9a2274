// A callback handler that records the download progress and can stop the run.
#pragma once

#include <atomic>
#include <vector>

#include "support/null_callback_handler.h"

class TStepRecorder : public TNullCallbackHandler {
 public:
  // stopAfter: the step after which the stop flag is set (0: never).
  TStepRecorder(std::atomic<bool>& stopped, size_t stopAfter) : m_stopped(stopped), m_stopAfter(stopAfter) {}

  void StepDriverDownload(int32_t nStep) override {
    steps.push_back(nStep);
    if (steps.size() == m_stopAfter) m_stopped = true;
  }
  std::vector<int32_t> steps;

 private:
  std::atomic<bool>& m_stopped;
  size_t m_stopAfter;
};
