// The update page's progress: percentages, the bar in kilobytes per file, the extract bar.
#include <gtest/gtest.h>

#include "platform/sim/sim_machine.h"
#include "ui/update_progress.h"

namespace {

TEST(UpdateProgress, PercentText) {
  struct {
    int position, maximum;
    const char* text;
  } const cases[] = {
      {0, 0, ""},      {7, 0, ""},        {0, 10, "0%"},      {5, 10, "50%"},   {1, 8, "12%"},  // 12.5: to even
      {3, 8, "38%"},   {1, 3, "33%"},     {2, 3, "67%"},      {10, 10, "100%"}, {15, 10, "100%"},
      {-4, 10, "0%"},  {1, 1000, "0%"},   {999, 1000, "100%"},
  };
  for (const auto& c : cases) EXPECT_EQ(PercentText(c.position, c.maximum), c.text) << c.position << "/" << c.maximum;
}

class UpdateProgressTest : public ::testing::Test {
 protected:
  TSimMachine machine;
  TUpdateProgress progress{machine.strings};
  const TUpdateProgressView& view = progress.View();
};

TEST_F(UpdateProgressTest, DownloadBarPerFileInKilobytes) {
  progress.Begin();
  EXPECT_EQ(view.stopRole, TStopUpdateRole::stop);
  EXPECT_EQ(view.stopCaption, "&Stop Update");
  EXPECT_EQ(view.info, "Quorvane is updating the drivers for the selected devices. Please wait.");
  progress.DownloadStart(2);
  EXPECT_EQ(view.status, "Starting download of 2 drivers.");
  EXPECT_TRUE(view.barShown && view.percentShown && view.activity);

  progress.DriverDownloadStart("Display", 10);
  EXPECT_EQ(view.barMaximum, 10);
  EXPECT_EQ(view.taskbarState, TTaskbarProgressState::normal);
  EXPECT_EQ(view.taskbarMaximum, 10);
  progress.DownloadStep(4);
  EXPECT_EQ(view.percentText, "40%");
  progress.DownloadStep(0);  // a chunk under 1024 bytes
  EXPECT_EQ(view.barPosition, 4);
  progress.DownloadStep(8);  // more than announced
  EXPECT_EQ(view.barPosition, 10);
  EXPECT_EQ(view.taskbarValue, 10);
  EXPECT_EQ(view.percentText, "100%");
  progress.DriverDownloadEnd(0);
  EXPECT_EQ(view.status, "Download of driver finished.");
  EXPECT_FALSE(view.activity);

  // The next file starts from nothing; without a size there is no percentage.
  progress.DriverDownloadStart("Audio", 0);
  EXPECT_EQ(view.barPosition, 0);
  EXPECT_EQ(view.taskbarValue, 0);
  EXPECT_FALSE(view.percentShown);
  progress.DownloadStep(4);
  EXPECT_FALSE(view.percentShown);
  EXPECT_EQ(view.barPosition, 0);
  progress.DriverDownloadEnd(3);
  EXPECT_EQ(view.status, "The download link for the driver expired. Please run a scan again to refresh.");
  progress.DownloadEnd(false);
  EXPECT_EQ(view.status, "The download link for the driver expired. Please run a scan again to refresh.");
  EXPECT_FALSE(view.barShown || view.percentShown);
  EXPECT_EQ(view.taskbarState, TTaskbarProgressState::none);
  progress.Cancelled();
  EXPECT_EQ(view.info, "Driver update(s) cancelled.");
  EXPECT_EQ(view.stopRole, TStopUpdateRole::back);
  EXPECT_EQ(view.stopHint, "Go back to the scan results");
}

TEST_F(UpdateProgressTest, ExtractBarShowsThePercentageBeforeTheStep) {
  progress.Begin();
  progress.ExtractStart(4);
  EXPECT_EQ(view.status, "Extracting files...");
  std::vector<std::string> shown;
  for (int i = 0; i < 5; ++i) {
    progress.FileExtracted();
    shown.push_back(view.percentText);
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"0%", "25%", "50%", "75%", "100%"}));
  EXPECT_EQ(view.barPosition, 4);
  progress.ExtractEnd();
  EXPECT_EQ(view.status, "Installing driver...");
  EXPECT_FALSE(view.barShown);
  progress.ExtractStart(0);  // an empty archive
  progress.FileExtracted();
  EXPECT_FALSE(view.percentShown);
}

TEST(UpdateProgressTexts, ResultTextsByCode) {
  TSimMachine machine;
  const std::pair<int32_t, const char*> downloads[] = {
      {0, "Download of driver finished."},
      {1, "There was a problem connecting to the Internet. Please check the connection and try again."},
      {4, "Download stopped."},
      {9, "Download of driver failed."}};
  for (const auto& [code, text] : downloads) EXPECT_EQ(machine.strings.Load(DownloadResultTextId(code)), text);
  const std::pair<int32_t, const char*> installs[] = {
      {0, "Driver installation finished."},
      {1, "Install of driver failed. Please try again, or install the driver manually."},
      {2, "Installation stopped."},
      {5, "Install of driver failed. Please try again, or install the driver manually."}};
  for (const auto& [code, text] : installs) EXPECT_EQ(machine.strings.Load(InstallResultTextId(code)), text);
}

}  // namespace
