// qvcli download and restore-point on the simulated machine: the devices are taken from
// the stored scan result, the packages from the reference server on loopback.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "core/server_policy.h"
#include "engine/sim_engine.h"
#include "net/net_server.h"

namespace {

constexpr const char* UP_TO_DATE_ID = "PCI\\VEN_1AF4&DEV_1000";

class DownloadCommand : public ::testing::Test, public TSimEngineFixture {
 protected:
  void SetUp() override {
    ASSERT_GT(server.Start(), 0);
    machine.registry.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER,
                              "127.0.0.1:" + std::to_string(server.Port()));
    // The stored scan result: one device with an offer, one without.
    Engine();
    Add("Small", OFFERED_ID);
    Add("Virtio", UP_TO_DATE_ID);
    ASSERT_TRUE(Engine().CheckForUpdates(model->DeviceList()));
    model->DumpScanResults();
  }

  void Add(const std::string& name, const std::string& hardwareId) {
    auto record = std::make_unique<TDeviceProperties>();
    record->strName = name;
    record->strHID = hardwareId;
    record->strClassGUID = "Net";
    record->strVersion = "1.0.0.0";
    model->AddDevice(std::move(record));
  }

  int Run(const std::vector<std::string>& arguments) {
    out.str("");
    err.str("");
    return RunQvcli(arguments, machine.Ports(), out, err);
  }

  TNetServer server;
  std::ostringstream out, err;
};

TEST_F(DownloadCommand, FetchesTheOfferedPackagesAndNamesTheirFolders) {
  EXPECT_EQ(Run({"download", OFFERED_ID, UP_TO_DATE_ID}), 0) << err.str();
  const std::string text = out.str();
  for (const char* line : {"Skipped: Virtio (PCI\\VEN_1AF4&DEV_1000) has no newer driver offered.\n",
                           "Starting download of 2 drivers.\n", "Downloading: Small (", "Small: Download of driver finished.\n",
                           "Downloading of drivers finished.\n", "Package of Small: "})
    EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
  const std::string folder = JoinPath(model->DownloadLocation(), std::to_string(server.Small().id));
  EXPECT_TRUE(std::filesystem::exists(JoinPath(folder, server.Small().file_name))) << text;
}

TEST_F(DownloadCommand, UnknownIdsAreBadUsageAndFetchNothing) {
  EXPECT_EQ(Run({"download", OFFERED_ID, "PCI\\VEN_0000&DEV_0000"}), 3);
  EXPECT_NE(err.str().find("no device with the hardware id 'PCI\\VEN_0000&DEV_0000'"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(!std::filesystem::exists(model->DownloadLocation()) ||
              std::filesystem::is_empty(model->DownloadLocation()));
  EXPECT_EQ(Run({"download"}), 3);
}

TEST_F(DownloadCommand, ARestorePointIsReportedWithItsFailure) {
  EXPECT_EQ(Run({"restore-point", "Quorvane Update"}), 0) << err.str();
  EXPECT_EQ(out.str(), "Restore point created: Quorvane Update\n");

  machine.systemRestore.createResult = TWmiMethodResult::Failed(0x80041002);
  EXPECT_EQ(Run({"restore-point", "Quorvane Update"}), 1);
  EXPECT_EQ(err.str(),
            "Quorvane: System Restore point could not be created.\r\nError code 80041002\r\nPlease check system "
            "settings or contact support.\nThe restore point could not be created (System Restore is switched off).\n");

  EXPECT_EQ(Run({"restore-point", ""}), 3);
  EXPECT_EQ(Run({"restore-point"}), 3);
  EXPECT_EQ(machine.systemRestore.Requests().size(), 2u);
}

}  // namespace

namespace {

// A plain http:// policy server is said so on stderr, by every command; https:// and a
// bare host (the port rule, as before) are not.
TEST_F(DownloadCommand, APlainPolicyServerIsSaidSo) {
  const std::string port = std::to_string(server.Port());
  const struct {
    std::string policy;
    bool said;
  } cases[] = {{"http://127.0.0.1:" + port, true}, {"https://127.0.0.1:" + port, false}, {"127.0.0.1:" + port, false}};
  for (const auto& c : cases) {
    machine.registry.SetString(TRegRoot::LocalMachine, QV_POLICY_KEY, QV_POLICY_SERVER, c.policy);
    Run({"list"});
    EXPECT_EQ(err.str().find("the Server policy names a plain http:// server (127.0.0.1:" + port + ")") !=
                  std::string::npos,
              c.said)
        << c.policy << ": " << err.str();
  }
}

}  // namespace
