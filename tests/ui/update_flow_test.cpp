// The window's driver update flows on the simulated machine against the reference server:
// the questions, the restore point, the download and install tasks, stopping, the texts
// the update page ends with, and what becomes of the updated record.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>

#include "core/message_box_kinds.h"
#include "devices/problem_texts.h"
#include "engine/update_machine.h"
#include "res/string_ids.h"
#include "support/null_callback_handler.h"
#include "ui/plain_loop.h"
#include "ui/results_presenter.h"
#include "ui/update_flow.h"

namespace {

class TRecordingHost : public IUpdateFlowHost {
 public:
  int Ask(const std::string&, const std::string& text, int) override {
    questions.push_back(text);
    if (answers.empty()) return ID_YES;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void SetNavigationEnabled(bool enabled) override { navigationEnabled = enabled; }
  void ShowUpdatePage() override { ++pageShown; }
  void RefreshResults() override { ++refreshed; }
  void BringToFront() override { ++broughtToFront; }
  bool OtherRunActive() const override { return otherRun; }
  void ProgressChanged(const TUpdateProgressView& view) override {
    if (!view.status.empty() && (statuses.empty() || statuses.back() != view.status)) statuses.push_back(view.status);
    if (onChange) onChange(view);
  }
  void OfferRestart() override { ++restartsOffered; }
  void RestorePointEnded() override { ++restorePointsEnded; }

  std::deque<int> answers;
  std::vector<std::string> questions;
  std::vector<std::string> statuses;
  std::function<void(const TUpdateProgressView&)> onChange;
  bool navigationEnabled = true;
  bool otherRun = false;
  int pageShown = 0, refreshed = 0, broughtToFront = 0, restartsOffered = 0, restorePointsEnded = 0;
};

// The window's view without the scan's notifications.
class TFlowView : public TUpdateCallbackView {
 public:
  void ShowScanningDevice(const std::string&) override {}
  void ShowCheckingForUpdates() override {}
  void ShowServerProblem() override {}
};

// One update on a fresh machine: the flow, its callbacks and a UI thread that is the test's.
class TFlowBench : public TUpdateMachine {
 public:
  TFlowBench() {
    view.AttachUpdates(flow);
    TNullCallbackHandler scan;
    engine->StartScan(&scan);
  }
  ~TFlowBench() {
    flow.CancelTasks();
    dispatcher.Shutdown();
    flow.JoinTasks();
  }

  std::string Text(int id) { return machine.strings.Load(id); }
  // Runs the UI thread until the update has ended, at most 30 seconds.
  void RunToEnd() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    loop.RunUntil([&] { return (!flow.Running() && !flow.TaskRunning()) || std::chrono::steady_clock::now() > deadline; },
                  std::chrono::milliseconds(5));
    EXPECT_FALSE(flow.Running());
  }
  bool PackageDownloaded() { return engine->IsDownloadAvailable(GPU_ID) != 0; }
  std::vector<std::string> RestorePointRequests() {
    std::vector<std::string> descriptions;
    for (const auto& request : machine.systemRestore.Requests())
      if (request.method == "CreateRestorePoint") descriptions.push_back(request.argument);
    return descriptions;
  }

  TPlainLoop loop;
  TCallbackDispatcher dispatcher{loop};
  TRecordingHost host;
  TFlowView view;
  TCallbackRelay relay{dispatcher, view};
  TUpdateFlow flow{*model, *engine, machine.Ports(), dispatcher, relay, host};
};

enum class TEnd { notStarted, cancelled, finished, failed };

struct TFlowCase {
  const char* name;
  bool all;  // Update All instead of the row's Update
  std::function<void(TFlowBench&)> arrange;
  TEnd end;
  bool installed;
  std::vector<int> questions;      // asked, in order
  int lastStatus;                  // the status line at the end; 0: empty
  bool downloadShown;              // "Starting download of 1 drivers." came
  int restorePoints;
};

TEST(UpdateFlow, FlowsEndAsTheyShould) {
  const TFlowCase cases[] = {
      {"restore points off", false, [](TFlowBench&) {}, TEnd::finished, true, {}, 0, true, 0},
      {"Update All, restore points off", true, [](TFlowBench& b) { b.Gpu().bSelected = true; }, TEnd::finished, true,
       {}, 0, true, 0},
      {"package present", false,
       [](TFlowBench& b) {
         b.engine->Download({&b.Gpu()}, nullptr);
         ASSERT_TRUE(b.PackageDownloaded());
       },
       TEnd::finished, true, {}, 0, false, 0},
      {"unplugged device, No", false,
       [](TFlowBench& b) {
         b.Gpu().strClassGUID = UNPLUGGED_DEVICES_CLASS;
         b.host.answers = {ID_NO};
       },
       TEnd::notStarted, false, {IDS_UNPLUGGED_UPDATE_QUESTION}, 0, false, 0},
      {"restore point created", false, [](TFlowBench& b) { b.model->SetUseRestorePoints(true); }, TEnd::finished, true,
       {}, 0, true, 1},
      {"restore point failed, No", false,
       [](TFlowBench& b) {
         b.model->SetUseRestorePoints(true);
         b.machine.systemRestore.createResult = TWmiMethodResult::Failed(0x80004001);
         b.host.answers = {ID_NO};
       },
       TEnd::cancelled, false, {IDS_RESTORE_POINT_QUESTION}, IDS_RESTORE_POINT_STATUS, false, 1},
      {"Update All, restore point failed, No", true,
       [](TFlowBench& b) {
         b.Gpu().bSelected = true;
         b.model->SetUseRestorePoints(true);
         b.machine.systemRestore.createResult = TWmiMethodResult::Returned(1);
         b.host.answers = {ID_NO};
       },
       TEnd::cancelled, false, {IDS_RESTORE_POINT_QUESTION}, IDS_RESTORE_POINT_STATUS, false, 1},
      {"restore point failed, Yes", false,
       [](TFlowBench& b) {
         b.model->SetUseRestorePoints(true);
         b.machine.systemRestore.createResult = TWmiMethodResult::Failed(0x80004001);
       },
       TEnd::finished, true, {IDS_RESTORE_POINT_QUESTION}, 0, true, 1},
      {"stop while the restore point is made", false,
       [](TFlowBench& b) {
         b.model->SetUseRestorePoints(true);
         b.machine.systemRestore.onCreate = [&b] {
           b.flow.StopUpdate();
           // Back must not lead away from an update that has not ended.
           EXPECT_EQ(b.flow.View().stopRole, TStopUpdateRole::stop);
           EXPECT_FALSE(b.host.navigationEnabled);
         };
       },
       TEnd::cancelled, false, {}, IDS_RESTORE_POINT_STATUS, false, 1},
      {"stop during the download", false,
       [](TFlowBench& b) {
         // Whether the file is complete by then or not, nothing is installed.
         b.host.onChange = [&b](const TUpdateProgressView& view) {
           if (view.status == b.Text(IDS_DOWNLOADING_STATUS)) b.flow.StopUpdate();
         };
       },
       TEnd::cancelled, false, {}, -1, true, 0},
      {"refused link", false,
       [](TFlowBench& b) {
         std::string& url = b.Gpu().strDownloadUrl;
         url.back() = url.back() == '0' ? '1' : '0';  // a signature the server did not make
         b.model->SetServerPort(1);                    // and no renewal of the link
       },
       TEnd::cancelled, false, {}, IDS_DOWNLOAD_RESULT_3, true, 0},
      {"no package after the download", false,
       [](TFlowBench& b) {
         b.Gpu().bSelected = true;
         std::string& url = b.Gpu().strDownloadUrl;
         url.insert(url.find("/", url.find("//") + 2), "/missing");
       },
       TEnd::failed, false, {}, IDS_INSTALL_RESULT_1, true, 0},
  };
  for (const TFlowCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFlowBench b;
    ASSERT_TRUE(b.Gpu().IsOutdated());
    c.arrange(b);
    if (::testing::Test::HasFatalFailure()) return;
    const std::string oldDriver = b.DriverFile();
    const bool selected = b.Gpu().bSelected;
    TDriverMap outdated;
    b.model->GetDriverMap(outdated, DRIVER_TYPE_OUTDATED);
    const bool started = c.all ? b.flow.UpdateAll(outdated) : b.flow.UpdateDriver(&b.Gpu());
    EXPECT_EQ(started, c.end != TEnd::notStarted);
    b.RunToEnd();

    std::vector<std::string> questions;
    for (int id : c.questions) questions.push_back(b.Text(id));
    EXPECT_EQ(b.host.questions, questions);
    EXPECT_EQ(b.RestorePointRequests().size(), static_cast<size_t>(c.restorePoints));
    EXPECT_TRUE(b.host.navigationEnabled);
    EXPECT_EQ(b.Gpu().bInstalled, c.installed);
    EXPECT_EQ(b.DriverFile() != oldDriver, c.installed);
    EXPECT_EQ(std::count(b.host.statuses.begin(), b.host.statuses.end(), "Starting download of 1 drivers."),
              c.downloadShown ? 1 : 0);
    const TUpdateProgressView& view = b.flow.View();
    if (c.end == TEnd::notStarted) {
      EXPECT_EQ(b.host.pageShown, 0);
      continue;
    }
    EXPECT_EQ(b.host.pageShown, 1);
    EXPECT_EQ(view.stopRole, TStopUpdateRole::back);
    EXPECT_EQ(view.stopCaption, b.Text(IDS_BACK_TO_RESULTS_CAPTION));
    EXPECT_FALSE(view.activity);
    EXPECT_TRUE(b.flow.UpdateList().empty());
    EXPECT_EQ(view.info, b.Text(c.end == TEnd::finished ? IDS_UPDATE_FINISHED_INFO : IDS_UPDATE_CANCELLED_INFO));
    if (c.lastStatus >= 0) {
      EXPECT_EQ(view.status, c.lastStatus > 0 ? b.Text(c.lastStatus) : std::string());
    }
    // The lists are made again once an install task ran.
    const bool installRan = c.end == TEnd::finished || c.end == TEnd::failed;
    EXPECT_EQ(b.host.refreshed, installRan ? 1 : 0);
    EXPECT_EQ(b.host.broughtToFront, installRan ? 1 : 0);
    if (!c.installed) {
      EXPECT_TRUE(b.Gpu().IsOutdated());
      EXPECT_EQ(b.Gpu().bSelected, selected);  // still offered on the results page
    }
  }
}

// A created restore point is described with the time of the update; the statuses of a
// whole update come in the order of its runs, and the device leaves the outdated rows.
TEST(UpdateFlow, SuccessfulUpdateInOrder) {
  TFlowBench b;
  b.model->SetUseRestorePoints(true);
  b.Gpu().bSelected = true;
  // Back shows only with the end texts: a click on it never leaves a running update.
  std::vector<std::string> infosWithBack;
  b.host.onChange = [&](const TUpdateProgressView& view) {
    if (view.stopRole == TStopUpdateRole::back) infosWithBack.push_back(view.info);
  };
  ASSERT_TRUE(b.flow.UpdateDriver(&b.Gpu()));
  EXPECT_FALSE(b.flow.UpdateDriver(&b.Gpu())) << "no update starts while one runs";
  b.RunToEnd();
  ASSERT_FALSE(infosWithBack.empty());
  for (const std::string& info : infosWithBack) EXPECT_EQ(info, b.Text(IDS_UPDATE_FINISHED_INFO));

  const auto requests = b.RestorePointRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind("Quorvane Update ", 0), 0u) << requests[0];
  EXPECT_TRUE(requests[0].ends_with(" am") || requests[0].ends_with(" pm")) << requests[0];
  const std::vector<int> expected = {IDS_RESTORE_POINT_STATUS,     IDS_DOWNLOAD_START_STATUS,
                                     IDS_DOWNLOADING_STATUS,       IDS_DOWNLOAD_RESULT_0,
                                     IDS_DOWNLOADS_FINISHED_STATUS, IDS_INSTALL_START_STATUS,
                                     IDS_BACKUP_CREATING_STATUS,   IDS_INSTALL_DRIVER_START_STATUS,
                                     IDS_EXTRACTING_STATUS,        IDS_INSTALLING_STATUS,
                                     IDS_INSTALL_RESULT_0,         IDS_INSTALLS_FINISHED_STATUS};
  std::vector<std::string> texts;
  for (int id : expected) {
    std::string text = b.Text(id);
    if (const auto at = text.find("%d"); at != std::string::npos) text.replace(at, 2, "1");
    texts.push_back(text);
  }
  EXPECT_EQ(b.host.statuses, texts);
  EXPECT_TRUE(b.Gpu().bInstalled);
  EXPECT_FALSE(b.Gpu().bSelected);
  EXPECT_EQ(b.host.restartsOffered, 0);

  // The rebuilt results page no longer lists the device, and Update All has nothing to do.
  TProblemTexts problems{b.machine.strings};
  TResultsPresenter results{*b.model, b.machine.locale, b.machine.strings, problems};
  results.RefreshResults({});
  EXPECT_TRUE(std::none_of(results.Outdated().begin(), results.Outdated().end(),
                           [](const TResultRow& row) { return row.key.hid == GPU_ID; }));
  results.FollowSelection();
  EXPECT_FALSE(results.AnyDeviceSelected());
}

// No update beside a scan or a backup: they replace the records and share the stop flag.
TEST(UpdateFlow, RefusedBesideAnotherRun) {
  TFlowBench b;
  b.host.otherRun = true;
  b.Gpu().bSelected = true;
  EXPECT_FALSE(b.flow.UpdateDriver(&b.Gpu()));
  EXPECT_FALSE(b.flow.UpdateAll({&b.Gpu()}));
  EXPECT_FALSE(b.flow.UpdateDriver(nullptr));
  EXPECT_EQ(b.host.pageShown, 0);
  EXPECT_TRUE(b.host.navigationEnabled);
}

// Update All takes the selected devices in the order of their class descriptions,
// compared without regard to case.
TEST(UpdateFlow, UpdateAllOrdersByClassDescription) {
  TFlowBench b;
  std::vector<TDeviceProperties> records(4);
  const char* classes[] = {"network adapters", "Audio inputs", "Cameras", "Batteries"};
  TDriverMap outdated;
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].strClassDescription = classes[i];
    records[i].strHID = "ROOT\\DEVICE" + std::to_string(i);
    records[i].bSelected = i != 3;
    outdated.push_back(&records[i]);
  }
  ASSERT_TRUE(b.flow.UpdateAll(outdated));
  EXPECT_EQ(b.flow.UpdateList(), (TDriverMap{&records[1], &records[2], &records[0]}));
  b.RunToEnd();
}

}  // namespace
