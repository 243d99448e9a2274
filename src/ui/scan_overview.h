// TScanOverview: what the overview page shows around a scan (the scan button's
// caption, the status lines, the scanning label, the busy indicator) and what
// the end of a scan leads to. The window applies it to its controls.
#pragma once

#include <string>

#include "platform/string_table.h"

struct TOverviewState {
  std::string caption;  // the scan button's
  std::string statusTitle;
  std::string statusText;
  std::string scanningLabel;
  bool scanningLabelVisible = false;
  bool indicatorRunning = false;

  bool operator==(const TOverviewState&) const = default;
};

// What the window does once a scan task has ended.
enum class TScanOutcome {
  nothing,     // stopped, or the server exchange failed (the engine reported it)
  showResults, // select the results page; restore the window after a minimised scan
  noUpdates,   // tell the user that nothing is outdated
  failed,      // the run raised an error: show it
};

class TScanOverview {
 public:
  explicit TScanOverview(IStringTable& strings);
  // `minimised`: the program runs the scan it was started for with the scan
  // switch; the overview then stays idle throughout.
  void EnterScanning(bool minimised);
  // A device the scan accepted (its name replaces the label's text).
  void ShowDevice(const std::string& name);
  // Before the server exchange.
  void ShowChecking();
  // The user asked the running scan to stop. The run clears the engine's stop
  // flag as it begins, so a stop asked before that would be lost: the window
  // asks the engine again at each of the run's notifications while this holds.
  void AskStop() { m_stopAsked = true; }
  bool StopAsked() const { return m_stopAsked; }
  // The scan task's completion: back to idle (unless minimised) and the outcome;
  // a scan the user asked to stop ends as stopped whatever the engine's flag says;
  // a run that raised an error (`failed`) ends with that error, whatever else holds.
  TScanOutcome Complete(bool minimised, bool stopped, int outdatedCount, bool failed);

  const TOverviewState& State() const { return m_state; }

 private:
  IStringTable& m_strings;
  TOverviewState m_idle;
  TOverviewState m_state;
  bool m_stopAsked = false;
};

// The last-scan value: the time the last scan began, or "Never".
std::string LastScanText(const std::string& startTime, IStringTable& strings);
// The left edge of the "Last scan:" label so that label and value together are
// centred in the panel (halved toward zero, as the window lays it out).
int LastScanLeft(int panelWidth, int labelWidth, int valueWidth);
