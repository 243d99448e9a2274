// TProgressState: what the small progress window shows while the program
// downloads a newer version of itself: the bar's position and maximum, the
// percentage text and its colour, the status line. The window replays the
// bar steps it returns on the real control.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One change of the bar: a new maximum (the minimum stays 0) or a new position.
struct TBarStep {
  enum TKind { maximum, position };
  TKind kind;
  int value;

  bool operator==(const TBarStep&) const = default;
};

struct TProgressLook {
  int position = 0;
  int maximum = 100;
  std::string percentText = "0%";
  bool whiteText = false;  // white on the filled bar, black otherwise
  std::string status;

  bool operator==(const TProgressLook&) const = default;
};

class TProgressState {
 public:
  // The window is being shown: bar at 0 of 100, "0%" in black. The status line stays.
  std::vector<TBarStep> Show();
  // The status line of ShowProgress.
  void SetStatus(const std::string& AStatus);
  // UpdateProgress: the percentage text, its colour (white once past 50 until the
  // next showing), the status when AStatus is not empty, and the bar steps that
  // move it to AValue at once, without the control's smooth catch-up.
  std::vector<TBarStep> Update(int AValue, const std::string& AStatus);

  const TProgressLook& Look() const { return m_look; }

 private:
  void Apply(std::vector<TBarStep>& steps, TBarStep step);

  TProgressLook m_look;
};

// The percentage of a download that has received `received` of `total` bytes,
// rounded to the nearest whole number with halves to even, at most 100. None
// when nothing has arrived yet or the total is unknown (0).
std::optional<int> DownloadPercent(uint64_t received, uint64_t total);
