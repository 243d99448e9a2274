// The progress window's decisions: the bar steps that move it without the
// control's catch-up, the percentage text and its colour, the status line; the
// download percentage; and the update check's question against the reference server.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "engine/scan_server.h"
#include "engine/sim_engine.h"
#include "platform/sim/builtin_strings.h"
#include "ui/program_update_check.h"
#include "ui/progress_state.h"

namespace {

using TSteps = std::vector<TBarStep>;
constexpr auto MAX = TBarStep::maximum;
constexpr auto POS = TBarStep::position;

TEST(ProgressState, ShowingStartsAtZeroOfAHundredInBlackAndKeepsTheStatus) {
  TProgressState state;
  state.SetStatus("Downloading program update...");
  EXPECT_EQ(state.Show(), (TSteps{{MAX, 100}, {POS, 0}}));
  EXPECT_EQ(state.Look(), (TProgressLook{0, 100, "0%", false, "Downloading program update..."}));
}

TEST(ProgressState, BarStepsReachTheValueAtOnce) {
  struct TCase {
    int value;
    TSteps steps;
    int position;
  };
  const TCase cases[] = {
      {0, {{POS, 1}, {POS, 0}}, 0},
      {40, {{POS, 41}, {POS, 40}}, 40},
      {99, {{POS, 100}, {POS, 99}}, 99},
      // At the maximum: raised for a moment, the bar full, the maximum back.
      {100, {{MAX, 101}, {POS, 101}, {POS, 100}, {MAX, 100}}, 100},
      // Beyond it the bar stays full.
      {130, {{MAX, 101}, {POS, 101}, {POS, 100}, {MAX, 100}}, 100},
  };
  for (const TCase& c : cases) {
    TProgressState state;
    state.Show();
    EXPECT_EQ(state.Update(c.value, "x"), c.steps) << c.value;
    EXPECT_EQ(state.Look().position, c.position) << c.value;
    EXPECT_EQ(state.Look().maximum, 100) << c.value;
    EXPECT_EQ(state.Look().percentText, std::to_string(c.value) + "%");
  }
}

TEST(ProgressState, TextTurnsWhitePastHalfUntilTheNextShowing) {
  TProgressState state;
  state.Show();
  state.SetStatus("Downloading program update...");
  state.Update(50, "");
  EXPECT_FALSE(state.Look().whiteText);
  state.Update(40, "");
  EXPECT_EQ(state.Look().status, "Downloading program update...");  // an empty status keeps the line
  state.Update(60, "Almost");
  EXPECT_TRUE(state.Look().whiteText);
  EXPECT_EQ(state.Look().status, "Almost");
  state.Update(30, "");
  EXPECT_TRUE(state.Look().whiteText);
  EXPECT_EQ(state.Look().percentText, "30%");
  EXPECT_EQ(state.Look().position, 30);
  state.Show();
  EXPECT_FALSE(state.Look().whiteText);
  EXPECT_EQ(state.Look().percentText, "0%");
  EXPECT_EQ(state.Look().position, 0);
}

TEST(DownloadPercent, RoundsHalvesToEvenAndShowsNothingWithoutBytesOrLength) {
  struct TCase {
    uint64_t received;
    uint64_t total;
    std::optional<int> percent;
  };
  const TCase cases[] = {
      {0, 1000, std::nullopt},  // nothing received yet
      {500, 0, std::nullopt},   // the server sent no length
      {0, 0, std::nullopt},
      {1, 1000, 0},             // 0.1
      {5, 1000, 0},             // 0.5 → 0
      {15, 1000, 2},            // 1.5 → 2
      {25, 1000, 2},            // 2.5 → 2
      {26, 1000, 3},
      {1, 3, 33},
      {2, 3, 67},
      {995, 1000, 100},         // 99.5 → 100
      {985, 1000, 98},          // 98.5 → 98
      {1000, 1000, 100},
      {1500, 1000, 100},        // more than announced
      {7'500'000'000ULL, 10'000'000'000ULL, 75},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(DownloadPercent(c.received, c.total), c.percent) << c.received << " of " << c.total;
}

// A sink that answers every box with a fixed answer and records what it was asked.
class TAnsweringSink : public IMessageSink {
 public:
  explicit TAnsweringSink(int answer) : m_answer(answer) {}
  int QvMessageBox(const std::string& ATitle, const std::string& AMsg, int AType) override {
    title = ATitle;
    text = AMsg;
    kind = AType;
    ++asked;
    return m_answer;
  }
  std::string title, text;
  int kind = 0;
  int asked = 0;

 private:
  int m_answer;
};

class CheckForUpdateTest : public ::testing::Test, public TSimEngineFixture {};

TEST_F(CheckForUpdateTest, AsksOnlyForANewerVersionAndFollowsTheAnswer) {
  TBuiltinStringTable strings;
  machine.moduleVersion.fileVersion = TFileVersion{0x00010000, 0x00000005};  // 1.0.0.5
  struct TCase {
    const char* release;  // offered by the server, "" for none
    int answer;
    bool asked;
    bool update;
  };
  const TCase cases[] = {
      {"1.2.0.0", 6, true, true},    // Yes
      {"1.2.0.0", 7, true, false},   // No
      {"1.0.0.1", 6, false, false},  // older: the server answers "false"
      {"", 6, false, false},         // nothing offered
  };
  for (const TCase& c : cases) {
    TScanServer server;
    engine.reset();
    Engine();
    model->SetServerURL("127.0.0.1");
    model->SetServerPort(server.Start(c.release, ""));
    TAnsweringSink sink(c.answer);
    EXPECT_EQ(CheckForUpdate(*engine, sink, strings), c.update) << c.release << " " << c.answer;
    EXPECT_EQ(sink.asked, c.asked ? 1 : 0) << c.release;
    if (!c.asked) continue;
    EXPECT_EQ(sink.kind, 13);
    EXPECT_EQ(sink.title, "Quorvane Software Update Available");
    EXPECT_EQ(sink.text,
              "We've made some improvements to Quorvane.\r\nWould you like to update now to benefit from these "
              "enhancements?");
  }
  // No server: silent, no question.
  engine.reset();
  Engine();
  model->SetServerURL("127.0.0.1");
  model->SetServerPort(1);
  TAnsweringSink sink(6);
  EXPECT_FALSE(CheckForUpdate(*engine, sink, strings));
  EXPECT_EQ(sink.asked, 0);
}

}  // namespace
