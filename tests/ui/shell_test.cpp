// The main window's neutral parts: start switches, layout arithmetic, page state.
#include <gtest/gtest.h>

#include <algorithm>

#include "res/string_ids.h"
#include "ui/close_query.h"
#include "ui/command_line.h"
#include "ui/shell_layout.h"
#include "ui/shell_navigation.h"

namespace {

struct TSwitchCase {
  std::vector<std::string> parameters;
  bool scan;
  bool pidPresent;
  std::string pidText;
};

TEST(StartSwitches, Table) {
  const TSwitchCase cases[] = {
      {{}, false, false, ""},
      {{"/scan"}, true, false, ""},
      {{"-SCAN"}, true, false, ""},
      {{"-Scan", "other"}, true, false, ""},
      {{"/scanner"}, false, false, ""},
      {{"/scan:1"}, false, false, ""},
      {{"scan"}, false, false, ""},          // no switch character
      {{"/pid:1234"}, false, true, "1234"},
      {{"/pid1234"}, false, true, "1234"},
      {{"/pid", "1234"}, false, true, "1234"},
      {{"-PID:77", "/scan"}, true, true, "77"},
      {{"/pid"}, false, true, ""},            // no next parameter
      {{"/pid", "/scan"}, true, true, ""},    // the next parameter is a switch
      {{"/pid", "-5"}, false, true, ""},
      {{"/pid:"}, false, true, ""},
      {{"/pidgin"}, false, true, "gin"},      // matched on three letters
      {{"/pid:1", "/pid:2"}, false, true, "1"},  // only the first counts
      {{"/pi"}, false, false, ""},
      {{"/", "-"}, false, false, ""},
  };
  for (const auto& c : cases) {
    std::string label;
    for (const auto& p : c.parameters) label += "[" + p + "]";
    SCOPED_TRACE(label);
    TStartSwitches switches = ReadStartSwitches(c.parameters);
    EXPECT_EQ(switches.scan, c.scan);
    EXPECT_EQ(switches.pidPresent, c.pidPresent);
    EXPECT_EQ(switches.pidText, c.pidText);
  }
}

TEST(StartSwitches, ProcessIdValues) {
  EXPECT_EQ(ParseProcessId("1234"), 1234u);
  EXPECT_EQ(ParseProcessId("0"), 0u);
  EXPECT_EQ(ParseProcessId("4294967295"), 4294967295u);
  for (const char* bad : {"", "4294967296", "99999999999", "-1", "+5", "12a", " 12", "0x10"}) {
    EXPECT_EQ(ParseProcessId(bad), std::nullopt) << bad;
  }
}

TEST(ShellLayout, At96DpiMatchesTheDesign) {
  TShellLayout layout = ComputeShellLayout(96);
  EXPECT_EQ(layout.client, (TLayoutRect{0, 0, 800, 600}));
  EXPECT_EQ(layout.topBar, (TLayoutRect{0, 0, 800, 75}));
  EXPECT_EQ(layout.logo, (TLayoutRect{10, 10, 291, 60}));
  EXPECT_EQ(layout.navigation, (TLayoutRect{0, 75, 200, 600}));
  EXPECT_EQ(layout.content, (TLayoutRect{200, 75, 800, 600}));
  // The buttons are 30 × 30 inside the top bar, in order, without overlap.
  const TLayoutRect buttons[] = {layout.helpButton, layout.aboutButton, layout.minimizeButton, layout.exitButton};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(buttons[i].Width(), 30);
    EXPECT_EQ(buttons[i].Height(), 30);
    EXPECT_GE(buttons[i].top, 0);
    EXPECT_LE(buttons[i].bottom, 75);
    if (i > 0) {
      EXPECT_LE(buttons[i - 1].right, buttons[i].left);
    }
  }
  EXPECT_LE(layout.exitButton.right, 800);
  EXPECT_LT(layout.logo.right, layout.helpButton.left);
}

TEST(ShellLayout, ScaledPartsStillTileTheWindow) {
  for (int dpi : {96, 120, 144, 168, 192, 125}) {
    SCOPED_TRACE(dpi);
    TShellLayout layout = ComputeShellLayout(dpi);
    EXPECT_EQ(layout.client.right, ScaleLogical(800, dpi));
    EXPECT_EQ(layout.topBar.bottom, layout.navigation.top);
    EXPECT_EQ(layout.topBar.bottom, layout.content.top);
    EXPECT_EQ(layout.navigation.right, layout.content.left);
    EXPECT_EQ(layout.content.right, layout.client.right);
    EXPECT_EQ(layout.navigation.bottom, layout.client.bottom);
    EXPECT_EQ(layout.content.bottom, layout.client.bottom);
    // Neighbouring navigation items share their edge: no gap, no overlap.
    for (int i = 1; i < 6; ++i) {
      EXPECT_EQ(NavigationItemRect(i - 1, 300, dpi).bottom, NavigationItemRect(i, 300, dpi).top);
    }
  }
  EXPECT_EQ(ComputeShellLayout(144).client, (TLayoutRect{0, 0, 1200, 900}));
  EXPECT_EQ(ComputeShellLayout(144).topBar.bottom, 113);  // 112.5 rounds up
}

TEST(ShellLayout, NavigationHitTest) {
  const struct {
    int x, y, count, dpi, expected;
  } cases[] = {
      {10, 0, 5, 96, 0},    {10, 49, 5, 96, 0},  {10, 50, 5, 96, 1},   {199, 249, 5, 96, 4},
      {10, 250, 5, 96, -1},  // below the last item
      {200, 10, 5, 96, -1},  // right of the list
      {-1, 10, 5, 96, -1},   {10, -1, 5, 96, -1},  {10, 74, 5, 144, 0}, {10, 75, 5, 144, 1},
      {10, 10, 0, 96, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NavigationItemAt(c.x, c.y, c.dpi == 96 ? 200 : 300, c.count, c.dpi), c.expected)
        << c.x << "," << c.y << " at " << c.dpi;
  }
}

TEST(ShellLayout, CentredWindowStaysOnScreen) {
  EXPECT_EQ(CenteredRect(800, 600, {0, 0, 1920, 1080}), (TLayoutRect{560, 240, 1360, 840}));
  EXPECT_EQ(CenteredRect(800, 600, {100, 50, 1100, 850}), (TLayoutRect{200, 150, 1000, 750}));
  // Larger than the work area: the top-left corner stays visible.
  EXPECT_EQ(CenteredRect(1200, 900, {0, 0, 1024, 768}), (TLayoutRect{0, 0, 1200, 900}));
}

TEST(ShellLayout, DpiOverride) {
  EXPECT_EQ(ParseDpiOverride("144"), 144);
  EXPECT_EQ(ParseDpiOverride("96"), 96);
  EXPECT_EQ(ParseDpiOverride("48"), 48);
  EXPECT_EQ(ParseDpiOverride("480"), 480);
  for (const char* bad : {"", "0", "47", "481", "1440", "14a", "-96", " 96"}) {
    EXPECT_EQ(ParseDpiOverride(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(ParseDpiOverride(nullptr), std::nullopt);
}

TEST(ShellNavigation, StartsOnOverview) {
  TShellNavigation navigation(true);
  EXPECT_EQ(navigation.Mode(), TNavigationMode::main);
  EXPECT_EQ(navigation.Card(), cardOverview);
  EXPECT_EQ(navigation.ActiveAction(), TShellAction::aclHome);
  EXPECT_EQ(navigation.SelectedMainItem(), 0);
  EXPECT_EQ(navigation.MainItems(), (std::vector<TShellAction>{TShellAction::aclHome, TShellAction::aclResults,
                                                               TShellAction::aclBackup, TShellAction::aclRestore,
                                                               TShellAction::aclSettings}));
  EXPECT_EQ(navigation.SettingsItems(),
            (std::vector<TShellAction>{TShellAction::aclBack, TShellAction::aclGeneral, TShellAction::aclConnection,
                                       TShellAction::aclIgnored, TShellAction::aclSysInfo, TShellAction::aclSchedule}));
  // Without a task scheduler (Windows XP) there is no Schedule item.
  EXPECT_EQ(TShellNavigation(false).SettingsItems().back(), TShellAction::aclSysInfo);
}

TEST(ShellNavigation, EachActionShowsItsCard) {
  const struct {
    TShellAction action;
    TShellCard card;
  } cases[] = {{TShellAction::aclResults, cardScanResults},       {TShellAction::aclBackup, cardBackup},
               {TShellAction::aclRestore, cardRestore},            {TShellAction::aclGeneral, cardSettings},
               {TShellAction::aclConnection, cardConnection},      {TShellAction::aclSchedule, cardSchedule},
               {TShellAction::aclIgnored, cardIgnoredDevices},     {TShellAction::aclSysInfo, cardSysInfo},
               {TShellAction::aclHome, cardOverview}};
  TShellNavigation navigation(true);
  for (const auto& c : cases) {
    TShellCard before = navigation.Card();
    auto change = navigation.Execute(c.action);
    ASSERT_TRUE(change) << CardName(c.card);
    EXPECT_EQ(change->previous, before);
    EXPECT_EQ(change->next, c.card);
    EXPECT_EQ(navigation.ActiveAction(), c.action);
  }
  // Showing the card already shown is no change.
  EXPECT_FALSE(navigation.Execute(TShellAction::aclHome));
}

TEST(ShellNavigation, SettingsAndBack) {
  TShellNavigation navigation(true);
  auto change = navigation.ExecuteItem(4);  // Settings
  ASSERT_TRUE(change);
  EXPECT_EQ(change->next, cardSettings);
  EXPECT_EQ(navigation.Mode(), TNavigationMode::settings);
  EXPECT_EQ(navigation.ActiveAction(), TShellAction::aclGeneral);
  EXPECT_EQ(navigation.SelectedSettingsItem(), 1);

  // Items now index the settings list.
  change = navigation.ExecuteItem(2);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->next, cardConnection);
  EXPECT_EQ(navigation.SelectedSettingsItem(), 2);

  // Back: main list again, active action Overview, but the page stays.
  EXPECT_FALSE(navigation.ExecuteItem(0));
  EXPECT_EQ(navigation.Mode(), TNavigationMode::main);
  EXPECT_EQ(navigation.ActiveAction(), TShellAction::aclHome);
  EXPECT_EQ(navigation.Card(), cardConnection);
  change = navigation.ExecuteItem(0);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->previous, cardConnection);
  EXPECT_EQ(change->next, cardOverview);

  EXPECT_FALSE(navigation.ExecuteItem(5));  // the main list has five items
  EXPECT_FALSE(navigation.ExecuteItem(-1));
}

TEST(ShellNavigation, EveryActionAndCardHasTexts) {
  for (int a = static_cast<int>(TShellAction::aclHome); a <= static_cast<int>(TShellAction::aclSysInfo); ++a) {
    EXPECT_NE(ActionTexts(static_cast<TShellAction>(a)).caption, 0);
  }
  EXPECT_EQ(ActionTexts(TShellAction::aclBack).hint, 0);
  for (int c = 0; c < QV_CARD_COUNT; ++c) EXPECT_NE(CardTitleId(static_cast<TShellCard>(c)), 0);
}

// Every item of a list, clicked in its column, shows the card of its table row
// and is the selected item; the lists' pictures tell the items apart.
TEST(NavigationTable, EveryListedItemShowsItsCardWhenClicked) {
  std::vector<TNavGlyph> glyphs;
  for (const TNavigationItem& item : QV_NAVIGATION) {
    if (item.column == TNavColumn::none || !item.card) continue;
    SCOPED_TRACE(CardName(*item.card));
    EXPECT_NE(item.caption, 0);
    EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), item.glyph), 0);
    glyphs.push_back(item.glyph);
    TShellNavigation navigation(true);
    const bool settings = item.column == TNavColumn::settings;
    if (settings) navigation.Execute(TShellAction::aclSettings);
    const auto& items = settings ? navigation.SettingsItems() : navigation.MainItems();
    const int index = static_cast<int>(std::find(items.begin(), items.end(), item.action) - items.begin());
    ASSERT_LT(index, static_cast<int>(items.size()));
    navigation.ExecuteItem(index);
    EXPECT_EQ(navigation.Card(), *item.card);
    EXPECT_EQ(navigation.ActiveAction(), item.action);
    EXPECT_EQ(settings ? navigation.SelectedSettingsItem() : navigation.SelectedMainItem(), index);
  }
}

TEST(ShellNavigation, MinimizeBalloonSaysWhyTheProgramRuns) {
  EXPECT_EQ(MinimizeBalloon(true).title, IDS_TRAY_RUNNING);
  EXPECT_EQ(MinimizeBalloon(true).text, IDS_TRAY_RUNNING_TEXT);
  EXPECT_EQ(MinimizeBalloon(false).title, IDS_TRAY_STILL_RUNNING);
  EXPECT_EQ(MinimizeBalloon(false).text, IDS_TRAY_STILL_RUNNING_TEXT);
}

// Closing asks about each running activity in order; answers are given per activity.
TEST(CloseQuery, AsksEveryRunningActivityInOrder) {
  const struct {
    const char* label;
    TRunningActivities running;
    std::vector<bool> answers;                // in the order of the questions
    std::vector<TEngineActivity> asked;
    std::vector<TEngineActivity> stopped;
    bool closes;
  } cases[] = {
      {"nothing running", {}, {}, {}, {}, true},
      {"scan, OK", {true, false, false, false, false}, {true}, {actScan}, {actScan}, true},
      {"scan, Cancel", {true, false, false, false, false}, {false}, {actScan}, {}, false},
      // Cancel on the scan, OK on the install: the install stops, the scan goes on, the window stays.
      {"scan and install", {true, false, false, false, true}, {false, true}, {actScan, actInstall}, {actInstall}, false},
      {"all four", {true, true, false, true, true}, {true, true, true, true},
       {actScan, actDownload, actBackup, actInstall}, {actScan, actDownload, actBackup, actInstall}, true},
      {"a download already stopping", {false, true, true, false, false}, {}, {}, {}, true},
      {"backup refused, install agreed", {false, false, false, true, true}, {false, true}, {actBackup, actInstall},
       {actInstall}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<TEngineActivity> asked;
    std::vector<TEngineActivity> stopped;
    size_t next = 0;
    bool closes = CloseQuery(
        [&] { return c.running; },
        [&](TEngineActivity activity) {
          asked.push_back(activity);
          return next < c.answers.size() ? c.answers[next++] : false;
        },
        [&](TEngineActivity activity) { stopped.push_back(activity); });
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(stopped, c.stopped);
    EXPECT_EQ(closes, c.closes);
  }
  EXPECT_EQ(StopQuestionId(actDownload), IDS_CONFIRM_STOP_DOWNLOAD);
}

// What runs is read again before each question: a download that ended, or began
// stopping, while the scan's question was open is not asked about.
TEST(CloseQuery, ReadsTheRunsAgainBeforeEachQuestion) {
  const struct {
    const char* label;
    void (*meanwhile)(TRunningActivities&);
    std::vector<TEngineActivity> asked;
  } cases[] = {
      {"nothing changes", [](TRunningActivities&) {}, {actScan, actDownload, actInstall}},
      {"the download ended", [](TRunningActivities& r) { r.downloading = false; }, {actScan, actInstall}},
      {"the download began stopping", [](TRunningActivities& r) { r.stopping = true; }, {actScan, actInstall}},
      {"the install ended too", [](TRunningActivities& r) { r.downloading = r.installing = false; }, {actScan}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TRunningActivities running{true, true, false, false, true};
    std::vector<TEngineActivity> asked;
    CloseQuery([&] { return running; },
               [&](TEngineActivity activity) {
                 asked.push_back(activity);
                 if (activity == actScan) c.meanwhile(running);
                 return false;  // refused: nothing is stopped by the answers themselves
               },
               [](TEngineActivity) {});
    EXPECT_EQ(asked, c.asked);
  }
}

}  // namespace
