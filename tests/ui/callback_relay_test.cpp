// The window's side of the callbacks: copies taken when the engine calls, the
// delivery mode of each operation, and the non-visual work on the worker's thread.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "ui/callback_relay.h"
#include "ui/plain_loop.h"

namespace {

using namespace std::chrono_literals;

// Records what reached the UI thread, one line per notification.
class TRecordingView : public ICallbackView {
 public:
  std::vector<std::string> Lines() {
    std::lock_guard lock(mutex);
    return lines;
  }

  void ShowScanningDevice(const std::string& deviceName) override { Add("scanning " + deviceName); }
  void ShowCheckingForUpdates() override { Add("checking"); }
  void ShowServerProblem() override { Add("server problem"); }
  void ShowDownloadStart(int32_t count) override { Add("download " + std::to_string(count)); }
  void ShowDriverDownloadStart(const std::string& name, int32_t size) override {
    Add("fetch " + name + " " + std::to_string(size));
  }
  void ShowDriverDownloadEnd(int32_t result) override { Add("fetched " + std::to_string(result)); }
  void ShowDownloadEnd(bool success) override { Add(success ? "downloaded" : "download failed"); }
  void ShowDownloadStep(int32_t kilobytes) override { Add("step " + std::to_string(kilobytes)); }
  TActiveAction ActiveAction() const override { return action; }
  void ShowBackupStart() override { Add("backup"); }
  void ShowDriverBackupStart(const std::string& name) override { Add("backing up " + name); }
  void ShowDriverBackupEnd(const std::string& name, bool success) override {
    Add("backed up " + name + (success ? "" : " failed"));
  }
  void ShowBackupEnd(bool success, bool canceled) override {
    Add(std::string("backup end") + (success ? "" : " failed") + (canceled ? " canceled" : ""));
  }
  void ShowUpdateBackupEnd() override { Add("backup end during update"); }
  void ReleaseBackupList() override { ++backupListsReleased; }
  void ShowInstallStart(int32_t count) override { Add("install " + std::to_string(count)); }
  void ShowDriverInstallStart(const std::string& name) override { Add("installing " + name); }
  void ShowDriverInstallEnd(int32_t result) override { Add("installed " + std::to_string(result)); }
  void MarkInstalled(const TDeviceProperties& device) override { Add("marked " + device.strName); }
  void ShowInstallEnd(bool success, bool reboot) override {
    Add(std::string("install end") + (success ? "" : " failed") + (reboot ? " reboot" : ""));
  }
  void ShowExtractStart(int32_t count) override { Add("extract " + std::to_string(count)); }
  void ShowFileExtracted() override { Add("extracted file"); }
  void ShowExtractEnd(bool success) override { Add(success ? "extract end" : "extract failed"); }
  void Repaint() override { Add("repaint"); }

  std::atomic<TActiveAction> action{TActiveAction::aclOther};
  std::atomic<int> backupListsReleased{0};

 private:
  void Add(const std::string& line) {
    std::lock_guard lock(mutex);
    lines.push_back(line);
  }
  std::mutex mutex;
  std::vector<std::string> lines;
};

class CallbackRelay : public ::testing::Test {
 protected:
  // Runs the engine's side on a worker while this thread serves as the UI thread;
  // returns what the UI thread had run when each synchronous call returned.
  void OnWorker(const std::function<void()>& engine) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      engine();
      done = true;
    });
    loop.RunUntil([&] { return done.load(); }, 2ms);
    worker.join();
    loop.RunPending();
  }

  TPlainLoop loop;
  TCallbackDispatcher dispatcher{loop};
  TRecordingView view;
  TCallbackRelay relay{dispatcher, view};
};

TEST_F(CallbackRelay, ScanNotificationsShowTheNameAsItWasWhenCalled) {
  std::vector<std::string> seenWhenChecking;
  OnWorker([&] {
    relay.StartScanning();
    TDeviceProperties device;  // one variable reused for every device, as the engine does
    for (const char* name : {"Disk", "Mouse", "Camera"}) {
      device.strName = name;
      relay.FinishScanDriver(device);
    }
    device.strName = "changed after the calls";
    relay.CheckingForUpdate();
    seenWhenChecking = view.Lines();
    relay.FinishScanning(0);
    relay.FinishScanning(2);
    relay.FinishScanning(QV_SCAN_DEVICE_SERVICE_FAILED);  // the engine told its own message
  });
  const std::vector<std::string> expected = {"scanning Disk", "scanning Mouse", "scanning Camera", "checking"};
  EXPECT_EQ(seenWhenChecking, expected);
  EXPECT_EQ(view.Lines(), expected) << "results 0, 2 and 3 show nothing";
}

TEST_F(CallbackRelay, AFailedScanShowsTheServerProblemOnceWhileTheWorkerWaits) {
  std::vector<std::string> seenAfter;
  OnWorker([&] {
    relay.FinishScanning(1);
    seenAfter = view.Lines();
  });
  EXPECT_EQ(seenAfter, std::vector<std::string>{"server problem"});
  EXPECT_EQ(view.Lines(), std::vector<std::string>{"server problem"});
}

TEST_F(CallbackRelay, DownloadValuesAreConvertedOnTheCallingThread) {
  OnWorker([&] {
    TDeviceProperties device;
    device.strName = "NIC";
    relay.StartDownload(2);
    for (const char* size : {"1234", "12kb", ""}) {
      device.strDriverSize = size;
      relay.StartDriverDownload(device);
    }
    for (int32_t bytes : {1000, 4096, 2048 + 1023}) relay.StepDriverDownload(bytes);
    relay.FinishDriverDownload(device, 3);
    relay.FinishDownload(true);
  });
  EXPECT_EQ(view.Lines(), (std::vector<std::string>{"download 2", "fetch NIC 1234", "fetch NIC 0", "fetch NIC 0",
                                                    "step 0", "step 4", "step 2", "fetched 3", "downloaded"}));
}

TEST_F(CallbackRelay, BackupNotificationsFollowThePageInFront) {
  struct TCase {
    TActiveAction action;
    bool cancelBeforeEnd;
    std::vector<std::string> expected;
  };
  const TCase cases[] = {
      {TActiveAction::aclBackup, false, {"backup", "backing up Disk", "backed up Disk", "backup end"}},
      {TActiveAction::aclBackup, true, {"backup", "backing up Disk", "backed up Disk", "backup end canceled"}},
      {TActiveAction::aclUpdateDriver, false, {"backing up Disk", "backed up Disk", "backup end during update"}},
      {TActiveAction::aclOther, false, {"backing up Disk", "backed up Disk"}},
  };
  for (const TCase& c : cases) {
    TRecordingView caseView;
    caseView.action = c.action;
    TCallbackRelay caseRelay(dispatcher, caseView);
    caseRelay.CancelBackup();  // left over from an earlier backup: StartBackup clears it
    OnWorker([&] {
      caseRelay.StartBackup(5);
      EXPECT_FALSE(caseRelay.BackupCanceled());
      TDeviceProperties device;
      device.strName = "Disk";
      caseRelay.StartDriverBackup(device);
      caseRelay.FinishDriverBackup(device, true);
      if (c.cancelBeforeEnd) caseRelay.CancelBackup();
      caseRelay.FinishBackup(true);
    });
    EXPECT_EQ(caseView.Lines(), c.expected) << static_cast<int>(c.action);
    EXPECT_EQ(caseView.backupListsReleased, 1) << "the backup list is freed in every case";
  }
}

TEST_F(CallbackRelay, InstallResultsMarkTheRecordWhileTheWorkerWaits) {
  TDeviceProperties withPackage, without;
  withPackage.strName = "Audio";
  without.strName = "Camera";
  OnWorker([&] {
    relay.StartInstall(2);
    relay.StartDriverInstall(withPackage);
    relay.StartExtract(2);
    relay.StartFileExtract("a.inf");
    relay.FinishExtract(true);
    for (int32_t result : {0, 1, 2}) relay.FinishDriverInstall(withPackage, result);
    // Until the packages are known, a device reported installed is taken at its word.
    relay.FinishDriverInstall(without, 0);
    relay.SetPackagesPresent({&withPackage});
    relay.FinishDriverInstall(withPackage, 0);
    relay.FinishDriverInstall(without, 0);  // nothing was there to install
    relay.FinishDriverInstall(without, 2);
    relay.FinishInstall(false, false);
  });
  EXPECT_EQ(view.Lines(),
            (std::vector<std::string>{"install 2", "installing Audio", "extract 2", "extracted file", "extract end",
                                      "marked Audio", "installed 0", "installed 1", "installed 2", "marked Camera",
                                      "installed 0", "marked Audio", "installed 0", "installed 1", "installed 2",
                                      "install end failed"}));
}

}  // namespace
