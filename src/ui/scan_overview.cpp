#include "ui/scan_overview.h"

#include "res/string_ids.h"

TScanOverview::TScanOverview(IStringTable& strings) : m_strings(strings) {
  m_idle.caption = strings.Load(IDS_ACTION_START_SCAN);
  m_state = m_idle;
}

void TScanOverview::EnterScanning(bool minimised) {
  m_stopAsked = false;
  if (minimised) return;
  m_state.statusTitle = m_strings.Load(IDS_SCANNING_TITLE);
  m_state.statusText = m_strings.Load(IDS_SCANNING_TEXT);
  m_state.scanningLabel.clear();
  m_state.scanningLabelVisible = true;
  m_state.indicatorRunning = true;
  m_state.caption = m_strings.Load(IDS_STOP_SCAN_CAPTION);
}

// During a minimised scan the overview stays idle: progress is not kept, so no
// stale status text is left behind when the window comes back.
void TScanOverview::ShowDevice(const std::string& name) {
  if (m_state.indicatorRunning) m_state.scanningLabel = name;
}

void TScanOverview::ShowChecking() {
  if (!m_state.indicatorRunning) return;
  m_state.scanningLabel.clear();
  m_state.statusTitle = m_strings.Load(IDS_CHECKING_TITLE);
}

TScanOutcome TScanOverview::Complete(bool minimised, bool stopped, int outdatedCount, bool failed) {
  if (!minimised) m_state = m_idle;
  if (failed) return TScanOutcome::failed;
  if (stopped || m_stopAsked) return TScanOutcome::nothing;
  return outdatedCount > 0 ? TScanOutcome::showResults : TScanOutcome::noUpdates;
}

std::string LastScanText(const std::string& startTime, IStringTable& strings) {
  return startTime.empty() ? strings.Load(IDS_NEVER_SCANNED_TEXT) : startTime;
}

int LastScanLeft(int panelWidth, int labelWidth, int valueWidth) { return (panelWidth - labelWidth - valueWidth) / 2; }
