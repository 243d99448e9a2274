// A writer killed at any moment never leaves a half-written "config.ini" or "config.bin":
// a child process stores two states in turn as the program does, and is killed at random
// moments; afterwards each file holds one state or the other, whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "support/sim_data_model.h"

namespace {

// State 0 or 1: different settings and a device list of different length, so the two
// "config.bin" files differ in size too.
void SetState(TDriverDatamodel& model, int state) {
  model.SetProxyPort(state == 0 ? 8080 : 3128);
  model.SetProxyURL(state == 0 ? "proxy.example" : "another-proxy.example.org");
  model.RemoveAll();
  for (int i = 0; i < (state == 0 ? 40 : 400); ++i) {
    auto device = std::make_unique<TDeviceProperties>();
    device->strHID = "PCI\\VEN_8086&DEV_" + std::to_string(1000 + i);
    device->strName = "Device " + std::to_string(i) + std::string(state == 0 ? 10 : 60, 'n');
    device->strVersion = "1.0." + std::to_string(i);
    device->strNewVersion = state == 0 ? "" : "2.0." + std::to_string(i);
    model.AddDevice(std::move(device));
  }
}

TEST(KilledWriter, LeavesEachFileWholeOldOrNew) {
  TSimDataModelFixture fixture;
  TDriverDatamodel& model = fixture.Create();
  std::string ini[2];
  std::string bin[2];
  for (int state = 0; state < 2; ++state) {
    SetState(model, state);
    model.DumpScanResults();  // the settings first, then the scan result
    ini[state] = fixture.folder.Read("Quorvane/config.ini");
    bin[state] = fixture.folder.Read("Quorvane/config.bin");
  }
  ASSERT_NE(ini[0], ini[1]);
  ASSERT_NE(bin[0].size(), bin[1].size());

  std::mt19937 random(20);
  std::uniform_int_distribution<int> delay(0, 40000);  // microseconds
  for (int round = 0; round < 200; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int state = round % 2;; state = 1 - state) {
        SetState(model, state);
        model.DumpScanResults();
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round;

    const std::string iniNow = fixture.folder.Read("Quorvane/config.ini");
    const std::string binNow = fixture.folder.Read("Quorvane/config.bin");
    ASSERT_TRUE(iniNow == ini[0] || iniNow == ini[1]) << "round " << round << ": " << iniNow.size() << " bytes";
    ASSERT_TRUE(binNow == bin[0] || binNow == bin[1]) << "round " << round << ": " << binNow.size() << " bytes";
  }
}

}  // namespace
