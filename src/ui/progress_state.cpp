#include "ui/progress_state.h"

#include <algorithm>

std::vector<TBarStep> TProgressState::Show() {
  std::vector<TBarStep> steps;
  Apply(steps, {TBarStep::maximum, 100});
  Apply(steps, {TBarStep::position, 0});
  m_look.percentText = "0%";
  m_look.whiteText = false;
  return steps;
}

void TProgressState::SetStatus(const std::string& AStatus) { m_look.status = AStatus; }

std::vector<TBarStep> TProgressState::Update(int AValue, const std::string& AStatus) {
  if (AValue > 50) m_look.whiteText = true;
  m_look.percentText = std::to_string(AValue) + "%";
  // The control animates a bar that grows but jumps when it shrinks: going one
  // past the value and back shows the value at once. At the maximum there is no
  // room past it, so the maximum is raised for the moment.
  std::vector<TBarStep> steps;
  const int maximum = m_look.maximum;
  if (AValue < maximum) {
    Apply(steps, {TBarStep::position, AValue + 1});
    Apply(steps, {TBarStep::position, AValue});
  } else {
    Apply(steps, {TBarStep::maximum, maximum + 1});
    Apply(steps, {TBarStep::position, maximum + 1});
    Apply(steps, {TBarStep::position, maximum});
    Apply(steps, {TBarStep::maximum, maximum});
  }
  if (!AStatus.empty()) m_look.status = AStatus;
  return steps;
}

void TProgressState::Apply(std::vector<TBarStep>& steps, TBarStep step) {
  steps.push_back(step);
  // The control keeps its position within 0 … maximum.
  if (step.kind == TBarStep::maximum) {
    m_look.maximum = step.value;
    m_look.position = std::min(m_look.position, m_look.maximum);
  } else {
    m_look.position = std::clamp(step.value, 0, m_look.maximum);
  }
}

std::optional<int> DownloadPercent(uint64_t received, uint64_t total) {
  // A server that sends no length gives no total: nothing to show, rather than a
  // division by zero. More than announced counts as complete.
  if (received == 0 || total == 0) return std::nullopt;
  if (received >= total) return 100;
  const uint64_t scaled = received * 100;  // received < total, far below overflow for real sizes
  uint64_t percent = scaled / total;
  const uint64_t remainder = scaled % total;
  if (remainder * 2 > total || (remainder * 2 == total && percent % 2 == 1)) ++percent;
  return static_cast<int>(percent);
}
