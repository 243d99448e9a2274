// The scan run on a simulated machine against the reference server on loopback:
// callbacks in order, offers applied by hardware id, ignore marks carried over,
// failed exchanges, a stop during the enumeration, and the stored result.
#include <gtest/gtest.h>

#include "engine/scan_server.h"
#include "engine/scan_time.h"
#include "engine/sim_engine.h"
#include "sqlite_db.h"
#include "proto/client_codecs.h"
#include "core/message_box_kinds.h"
#include "support/null_callback_handler.h"
#include "support/one_request_server.h"
#include "support/recording_sink.h"

namespace {

// Records the engine's calls; an action may run at a device's turn.
class TRecordingHandler : public TNullCallbackHandler {
 public:
  std::vector<std::string> calls;
  std::function<void()> onDevice;

  void StartScanning() override { calls.push_back("StartScanning"); }
  void StartScanDriver() override { calls.push_back("StartScanDriver"); }
  void FinishScanDriver(const TDeviceProperties& device) override {
    calls.push_back("FinishScanDriver " + device.strName);
    if (onDevice) onDevice();
  }
  void CheckingForUpdate() override { calls.push_back("CheckingForUpdate"); }
  void FinishScanning(int32_t result) override { calls.push_back("FinishScanning " + std::to_string(result)); }
};

constexpr const char* GPU_ID = "PCI\\VEN_1234&DEV_1111";
constexpr const char* CAMERA_ID = "USB\\VID_0C45&PID_6366";

class ScanRun : public ::testing::Test, public TSimEngineFixture {
 protected:
  ScanRun() { machine.locale.fixedTime = TLocalTime{2024, 7, 9, 15, 4}; }

  void AddDevice(const std::string& name, const std::string& hardwareId, const char* classGuid, bool withDriver = true) {
    TSimDevice device;
    device.instanceId = hardwareId + "\\" + std::to_string(machine.devices.devices.size());
    device.classGuid = classGuid ? GuidFromText(classGuid) : TGuid{};
    device.friendlyName = name;
    device.hardwareIds = {hardwareId};
    if (withDriver) device.driver = Driver();
    machine.devices.AddDevice(device);
  }

  // One scan against the server on port (0: the server of the fixture).
  std::vector<std::string> Scan(int port = 0) {
    TDataManager& engine = Engine();
    engine.SetMessageSink(&sink);
    model->SetServerURL("127.0.0.1");
    model->SetServerPort(port ? port : serverPort);
    handler.calls.clear();
    engine.StartScan(&handler);
    return handler.calls;
  }

  const TDeviceProperties* Device(const std::string& name) const {
    for (const auto& device : model->DeviceList())
      if (device->strName == name) return device.get();
    return nullptr;
  }

  // The scan result as a fresh data model loads it from "config.bin".
  std::unique_ptr<TDriverDatamodel> Stored() { return std::make_unique<TDriverDatamodel>(machine.Ports()); }

  // Scan requests the server has logged; it logs after answering, so the count is
  // given a moment to reach the expected one.
  size_t ScanRequests(size_t expected) {
    size_t count = 0;
    for (int attempt = 0; attempt < 200; ++attempt) {
      const std::string log = server.Log();
      count = 0;
      for (size_t at = log.find("/newupdates/"); at != std::string::npos; at = log.find("/newupdates/", at + 1)) ++count;
      if (count >= expected) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return count;
  }

  TScanServer server;
  int serverPort = 0;
  TRecordingHandler handler;
  TRecordingSink sink;
};

TEST_F(ScanRun, OffersReachTheNewestDeviceOfAHardwareIdIgnoringCase) {
  AddDevice("GPU one", GPU_ID, DISPLAY_CLASS);
  AddDevice("GPU two", GPU_ID, DISPLAY_CLASS);
  AddDevice("Camera", CAMERA_ID, HID_CLASS);
  AddDevice("Driverless", "PCI\\VEN_9999&DEV_0001", DISPLAY_CLASS, false);
  AddDevice("Classless", "ACPI\\QV0001", nullptr, false);
  server.Offer({GPU_ID}, "99.1.0.0");
  server.Offer({"usb\\vid_0c45&pid_6366"}, "31.0.0.2");  // the catalog's letter case differs
  serverPort = server.Start();

  EXPECT_EQ(Scan(), (std::vector<std::string>{"StartScanning", "FinishScanDriver GPU one", "FinishScanDriver GPU two",
                                              "FinishScanDriver Camera", "CheckingForUpdate", "FinishScanning 0"}));
  EXPECT_FALSE(Engine().m_stopped);
  EXPECT_FALSE(Engine().m_scanning);
  EXPECT_TRUE(sink.shown.empty());

  // The device added last is found first and alone receives the offer.
  ASSERT_TRUE(Device("GPU one") && Device("GPU two"));
  EXPECT_EQ(Device("GPU two")->strNewVersion, "99.1.0.0");
  EXPECT_TRUE(Device("GPU two")->IsOutdated());
  EXPECT_FALSE(Device("GPU two")->strDownloadUrl.empty());
  EXPECT_EQ(Device("GPU two")->strDriverSize, "12");
  EXPECT_FALSE(Device("GPU two")->strDriverDBId.empty());
  EXPECT_EQ(Device("GPU one")->strNewVersion, "");
  EXPECT_TRUE(Device("GPU one")->IsUpdated());
  ASSERT_TRUE(Device("Camera"));
  EXPECT_EQ(Device("Camera")->strNewVersion, "31.0.0.2");

  EXPECT_EQ(Device("Driverless"), nullptr) << "a named class without a driver version is not listed";
  ASSERT_NE(Device("Classless"), nullptr);
  EXPECT_EQ(Device("Classless")->strClassGUID, "Unknown");
  EXPECT_EQ(Device("Classless")->strClassDescription, "Other Devices");

  auto stored = Stored();
  EXPECT_EQ(stored->DeviceList().Count(), 4u);
  EXPECT_EQ(stored->GetOutofDateDrivers(), 2);
  EXPECT_EQ(stored->StartTime(), "July 09, 2024 03:04 pm");
  EXPECT_EQ(stored->EndTime(), "July 09, 2024 03:04 pm");
  EXPECT_EQ(ScanRequests(1), 1u);
  EXPECT_EQ(machine.devices.OpenSets(), 0u);
}

TEST_F(ScanRun, IgnoreMarksSurviveARescanButNotAChangedHardwareId) {
  AddDevice("GPU", GPU_ID, DISPLAY_CLASS);
  AddDevice("Camera", CAMERA_ID, HID_CLASS);
  server.Offer({GPU_ID}, "99.1.0.0");
  serverPort = server.Start();
  Scan();
  model->ExcludeDevice(*model->GetDevice(GPU_ID), deviSingle);
  model->ExcludeDevice(*model->GetDevice(CAMERA_ID), deviSingle);
  model->DumpScanResults();

  machine.devices.devices[1].hardwareIds = {"USB\\VID_0C45&PID_6367"};  // the camera's id changed
  EXPECT_EQ(Scan().back(), "FinishScanning 0");
  ASSERT_TRUE(Device("GPU") && Device("Camera"));
  EXPECT_TRUE(Device("GPU")->IsIgnored());
  EXPECT_FALSE(Device("GPU")->IsOutdated()) << "an ignored device's offer does not make it outdated";
  EXPECT_EQ(Device("GPU")->strNewVersion, "99.1.0.0");
  EXPECT_FALSE(Device("Camera")->IsIgnored());
  EXPECT_EQ(Stored()->GetIgnoredDrivers(), 1);
}

TEST_F(ScanRun, AnEmptyAnswerLeavesEveryDeviceUpToDate) {
  AddDevice("GPU", GPU_ID, DISPLAY_CLASS);
  serverPort = server.Start();  // no packages at all
  EXPECT_EQ(Scan().back(), "FinishScanning 0");
  EXPECT_EQ(model->GetOutofDateDrivers(), 0);
  EXPECT_EQ(model->GetUptoDateDrivers(), 1);
  EXPECT_FALSE(Engine().m_stopped);
}

TEST_F(ScanRun, AServerErrorOrAFailedExchangeKeepsTheStoredResult) {
  AddDevice("GPU", GPU_ID, DISPLAY_CLASS);
  server.Offer({GPU_ID}, "99.1.0.0");
  serverPort = server.Start();
  Scan();
  const std::string startTime = model->StartTime();
  AddDevice("Camera", CAMERA_ID, HID_CLASS);
  machine.locale.fixedTime = TLocalTime{2025, 1, 2, 0, 30};

  struct TCase {
    const char* name;
    bool serverError;  // otherwise nothing listens on the port
    size_t messages;
  };
  for (const TCase& c : {TCase{"server error", true, 1}, TCase{"no server", false, 0}}) {
    SCOPED_TRACE(c.name);
    TScanServer caseServer;
    int port = caseServer.Start();
    if (c.serverError) {
      // The scan asks the catalog for its import counter first.
      qvserver::SqliteDb((caseServer.Folder() / "catalog.db").string()).exec("DROP TABLE catalog_state");
    } else {
      caseServer.Stop();
    }
    sink.shown.clear();

    EXPECT_EQ(Scan(port), (std::vector<std::string>{"StartScanning", "FinishScanDriver GPU", "FinishScanDriver Camera",
                                                    "CheckingForUpdate", "FinishScanning 1"}));
    EXPECT_TRUE(Engine().m_stopped);
    EXPECT_EQ(sink.shown.size(), c.messages);
    // Neither the list nor "config.bin" lose the earlier offer to an answer that never came.
    const auto stored = Stored();
    for (TDriverDatamodel* result : {model.get(), stored.get()}) {
      ASSERT_EQ(result->DeviceList().Count(), 1u);
      EXPECT_EQ(result->DeviceList()[0].strNewVersion, "99.1.0.0");
      EXPECT_EQ(result->StartTime(), startTime);
    }
  }
}

TEST_F(ScanRun, AStopDuringTheEnumerationBringsBackTheStoredResult) {
  AddDevice("GPU", GPU_ID, DISPLAY_CLASS);
  AddDevice("Camera", CAMERA_ID, HID_CLASS);
  server.Offer({GPU_ID}, "99.1.0.0");
  serverPort = server.Start();
  Scan();
  const std::string startTime = model->StartTime();

  AddDevice("New disk", "SCSI\\DiskQuorvane", HID_CLASS);
  machine.locale.fixedTime = TLocalTime{2025, 1, 2, 0, 30};
  handler.onDevice = [&] { Engine().StopScan(); };
  EXPECT_EQ(Scan(), (std::vector<std::string>{"StartScanning", "FinishScanDriver GPU", "FinishScanning 2"}));
  EXPECT_TRUE(Engine().m_stopped);
  EXPECT_FALSE(Engine().m_scanning);
  EXPECT_EQ(model->DeviceList().Count(), 2u);
  EXPECT_EQ(Device("New disk"), nullptr);
  ASSERT_NE(Device("GPU"), nullptr);
  EXPECT_EQ(Device("GPU")->strNewVersion, "99.1.0.0");
  EXPECT_EQ(model->StartTime(), startTime);
  EXPECT_EQ(ScanRequests(1), 1u) << "the stopped scan sent nothing";
  EXPECT_EQ(machine.devices.OpenSets(), 0u);
}

TEST_F(ScanRun, AFirstScanStoppedEarlyLeavesNoPartialList) {
  AddDevice("GPU", GPU_ID, DISPLAY_CLASS);
  AddDevice("Camera", CAMERA_ID, HID_CLASS);
  serverPort = server.Start();
  handler.onDevice = [&] { Engine().StopScan(); };
  EXPECT_EQ(Scan().back(), "FinishScanning 2");
  EXPECT_EQ(model->DeviceList().Count(), 0u);
  EXPECT_EQ(model->StartTime(), "");
}

// The device service, not the server, failed: the scan ends with an outcome and a
// message of its own, never the server's, and nothing is sent.
TEST_F(ScanRun, NoDeviceSetAtAllEndsAsAFailedScanKeepingTheStoredResult) {
  AddDevice("GPU", GPU_ID, DISPLAY_CLASS);
  serverPort = server.Start();
  Scan();
  machine.devices.classDevsFail = true;
  sink.shown.clear();
  EXPECT_EQ(Scan(), (std::vector<std::string>{"StartScanning", "FinishScanning 3"}));
  EXPECT_TRUE(Engine().m_stopped);
  EXPECT_EQ(model->DeviceList().Count(), 1u);
  EXPECT_EQ(ScanRequests(1), 1u);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text,
            "Windows could not list the devices of this PC: its device installation service failed.\r\n\r\nNo "
            "scan was made and the last scan result is kept. Please restart your computer, then click the Start Scan "
            "button in Quorvane again.");
  EXPECT_EQ(sink.shown[0].kind, QV_KIND_ERROR);
}

TEST_F(ScanRun, WithoutTheDeviceLibraryNothingHappens) {
  AddDevice("GPU", GPU_ID, DISPLAY_CLASS);
  machine.devices.available = false;
  EXPECT_TRUE(Scan(1).empty());
  EXPECT_FALSE(Engine().m_scanning);
}

TEST(ScanTime, TwelveHourClockWithTheLocalesMonthNames) {
  TSimLocale locale;
  locale.monthNames[0] = "janvier";
  struct TCase {
    TLocalTime time;
    const char* text;
  };
  const TCase cases[] = {
      {{2024, 1, 5, 0, 7}, "janvier 05, 2024 12:07 am"},
      {{2024, 12, 31, 12, 0}, "December 31, 2024 12:00 pm"},
      {{999, 3, 10, 23, 59}, "March 10, 0999 11:59 pm"},
      {{2024, 3, 10, 11, 59}, "March 10, 2024 11:59 am"},
  };
  for (const TCase& c : cases) EXPECT_EQ(FormatScanTime(c.time, locale), c.text);
}

class SoftwareUpdate : public ScanRun {};

TEST_F(SoftwareUpdate, TheServerDecidesAndTheResultNamesTheNewVersion) {
  machine.moduleVersion.fileVersion = TFileVersion{0x00010000, 0x00000005};  // 1.0.0.5
  struct TCase {
    const char* release;
    const char* readme;
    const char* expected;
  };
  const TCase cases[] = {
      {"1.2.0.0", "New pages", "1.2.0 - New pages"},
      {"1.2.0.0", "", "1.2.0 - "},
      {"1.0.0.1", "Older", ""},  // the server answers "false"
      {"", "", ""},              // no release offered
  };
  for (const TCase& c : cases) {
    TScanServer caseServer;
    model.reset();
    engine.reset();
    Engine();
    model->SetServerURL("127.0.0.1");
    model->SetServerPort(caseServer.Start(c.release, c.readme));
    EXPECT_EQ(Engine().CheckSoftwareUpdate(), c.expected) << c.release;
  }
  model->SetServerPort(1);  // nothing listens: silent, empty
  Engine().SetMessageSink(&sink);
  EXPECT_EQ(Engine().CheckSoftwareUpdate(), "");
  EXPECT_TRUE(sink.shown.empty());
}

// Only an answer that decodes as a version offer with a version is an offer: a
// captive portal's page or the server's own error text never asks for an update.
TEST_F(SoftwareUpdate, OnlyADecodedVersionIsAnOffer) {
  auto encoded = [](const char* major, const char* minor, const char* vminor, const char* readme) {
    TClientVersion version;
    version.Fversion_major = major;
    version.Fversion_minor = minor;
    version.Fversion_vminor = vminor;
    version.Freadme = readme;
    TCVBuilder builder;
    builder.Write(version);
    const std::vector<uint8_t> bytes = builder.GetBuf().GetBytes();
    return std::string(bytes.begin(), bytes.end());
  };
  struct TCase {
    std::string body;
    std::string expected;
  } cases[] = {
      {"<html><body>Sign in to the hotel network</body></html>", ""},
      {"error: the request is too large", ""},
      {encoded("", "", "", "Only a readme"), ""},
      {encoded("2", "1", "0", "Faster scans"), "2.1.0 - Faster scans"},
  };
  Engine();
  for (const TCase& c : cases) {
    TOneRequestServer server("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(c.body.size()) +
                             "\r\nConnection: close\r\n\r\n" + c.body);
    model->SetServerURL("127.0.0.1");
    model->SetServerPort(server.Port());
    EXPECT_EQ(Engine().CheckSoftwareUpdate(), c.expected) << c.body;
    EXPECT_TRUE(server.requested);
  }
}

}  // namespace
