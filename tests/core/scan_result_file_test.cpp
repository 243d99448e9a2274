#include <gtest/gtest.h>

#include "proto/sysinfo_reader.h"
#include "proto/sysinfo_writer.h"
#include "support/sim_data_model.h"

namespace {

const TGuid kNetGuid = {0x72, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11,
                        0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};

std::unique_ptr<TDeviceProperties> SampleDevice(const std::string& hid, const std::string& name) {
  auto device = std::make_unique<TDeviceProperties>();
  device->strHID = hid;
  device->strHIDs = {hid, "PCI\\VEN_8086"};
  device->strClassGUID = "Net";
  device->FGUID = kNetGuid;
  device->strName = name;
  device->strClassDescription = "Network adapters";
  device->strINFFileName = "oem12.inf";
  device->strINFSectionName = "E15B8.10.0.1";
  device->strVersion = "12.19.2.45";
  device->strDriverDate = "5-1-2023";
  device->strCompatibleHIDs = {"PCI\\CC_0200", "PCI\\CC_02"};
  device->strCompatibleHID = "not stored";
  device->strDriverSize = "1048576";
  device->strDriverDBId = "4711";
  device->strNewDriverDate = "2-1-2024";
  device->strNewVersion = "12.19.3.1";
  device->strDownloadUrl = "https://drivers.example/e1.zip";
  device->strManufacturer = "Intel";
  device->strProvider = "Intel Corporation";
  device->strNewProvider = "not stored";
  device->nDeviceImage = 7;
  device->nClassImage = 3;
  device->nIgnored = 1;
  device->nStatusCode = 0xFFFFFFFF;
  device->bSelected = true;
  return device;
}

class ScanResultFile : public ::testing::Test, public TSimDataModelFixture {
 protected:
  std::string BinPath() const { return folder.File("Quorvane/config.bin"); }
  void WriteBin(const std::vector<uint8_t>& bytes) const {
    folder.Write("Quorvane/config.bin", std::string(bytes.begin(), bytes.end()));
  }
  void WriteBin(const TSysInfo& sysInfo) const {
    TSysInfoWriter writer;
    writer.Write(sysInfo);
    WriteBin(writer.GetBuf().GetBytes());
  }
};

TEST_F(ScanResultFile, RoundTripKeepsTheStoredFields) {
  TDriverDatamodel& saved = Create();
  saved.AddDevice(SampleDevice("PCI\\VEN_8086&DEV_15B8", "Intel\xC2\xAE Ethernet"));
  saved.AddDevice(SampleDevice("pci\\ven_8086&dev_15b8", "Second"));
  saved.AddDevice(SampleDevice("USB\\VID_046D", "Mouse"));
  saved.SetStartTime("May 02, 2024 10:15 am");
  saved.SetEndTime("May 02, 2024 10:16 am");
  saved.DumpScanResults();
  for (const auto& item : std::filesystem::directory_iterator(std::filesystem::path(BinPath()).parent_path()))
    EXPECT_NE(item.path().extension(), ".tmp") << item.path();

  TDriverDatamodel& loaded = Create();
  EXPECT_FALSE(loaded.TakeScanResultProblem());
  EXPECT_EQ(loaded.StartTime(), "May 02, 2024 10:15 am");
  EXPECT_EQ(loaded.EndTime(), "May 02, 2024 10:16 am");
  ASSERT_EQ(loaded.DeviceCount(), 3);
  const TDeviceList& list = loaded.DeviceList();
  EXPECT_EQ(list[0].strName, "Intel\xC2\xAE Ethernet");  // same id in two cases, order kept
  EXPECT_EQ(list[1].strName, "Second");
  EXPECT_EQ(list[2].strName, "Mouse");
  for (const auto& device : list) {
    auto expected = SampleDevice(device->strHID, device->strName);
    EXPECT_EQ(device->strHIDs, expected->strHIDs);
    EXPECT_EQ(device->strClassGUID, "Net");
    EXPECT_EQ(device->FGUID, kNetGuid);
    EXPECT_EQ(device->strClassDescription, expected->strClassDescription);
    EXPECT_EQ(device->strINFFileName, expected->strINFFileName);
    EXPECT_EQ(device->strINFSectionName, expected->strINFSectionName);
    EXPECT_EQ(device->strVersion, expected->strVersion);
    EXPECT_EQ(device->strDriverDate, expected->strDriverDate);
    EXPECT_EQ(device->strCompatibleHIDs, expected->strCompatibleHIDs);
    EXPECT_EQ(device->strCompatibleHID, "PCI\\CC_0200");  // the first compatible id
    EXPECT_EQ(device->strDriverSize, expected->strDriverSize);
    EXPECT_EQ(device->strDriverDBId, expected->strDriverDBId);
    EXPECT_EQ(device->strNewDriverDate, expected->strNewDriverDate);
    EXPECT_EQ(device->strNewVersion, expected->strNewVersion);
    EXPECT_EQ(device->strDownloadUrl, expected->strDownloadUrl);
    EXPECT_EQ(device->strManufacturer, expected->strManufacturer);
    EXPECT_EQ(device->strProvider, "Intel Corporation");
    EXPECT_EQ(device->strNewProvider, "Intel Corporation");  // := the installed provider
    EXPECT_EQ(device->nDeviceImage, 7);
    EXPECT_EQ(device->nIgnored, 1);
    EXPECT_EQ(device->nStatusCode, 0xFFFFFFFFu);
    // Not stored: back at their initial values.
    EXPECT_EQ(device->nClassImage, 0);
    EXPECT_FALSE(device->bSelected);
  }
}

TEST_F(ScanResultFile, FileIsOneSysInfoWithTheDuplicatedFields) {
  TDriverDatamodel& model = Create();
  model.AddDevice(SampleDevice("ACPI\\PNP0A08", "PCI Express Root"));
  model.DumpScanResults();

  TSysInfoReader reader;
  reader.GetBuf().LoadFromFile(ToPath(BinPath()));
  TSysInfo stored;
  reader.Load(stored);
  EXPECT_EQ(stored.GetOS().Fname, "Windows");
  EXPECT_EQ(stored.GetOS().Fversion, model.OSVersion());
  EXPECT_EQ(stored.GetOS().Farchitecture, model.OSArch());
  EXPECT_EQ(stored.Fdevice_count, 1);
  ASSERT_EQ(stored.DriverPropsCount(), 1u);
  EXPECT_EQ(stored.GetDriverProps(0).Fdevice_name, "PCI Express Root");
  EXPECT_EQ(stored.GetDriverProps(0).Fdevice_class, "Net");
  EXPECT_EQ(stored.GetDriverProps(0).Frelease_notes, "");
  EXPECT_NE(ReadSettings(), "");  // the settings are saved first
}

TEST_F(ScanResultFile, NoFileStartsEmptyWithoutAProblem) {
  TDriverDatamodel& model = Create();
  EXPECT_TRUE(model.IsFirstTimeScanned());
  EXPECT_FALSE(model.TakeScanResultProblem());
}

TEST_F(ScanResultFile, CountBeyondTheStoredRecordsReadsOnlyTheRecords) {
  TSysInfo sysInfo;
  TDevProp device;
  device.Fhardware_id = "ONLY";
  sysInfo.AddDevice(std::move(device));
  sysInfo.Fdevice_count = 1000;
  WriteBin(sysInfo);
  TDriverDatamodel& model = Create();
  EXPECT_EQ(model.DeviceCount(), 1);
  EXPECT_EQ(model.DeviceList()[0].strHID, "ONLY");
}

// A damaged file never stops the start: it is kept aside, the list is empty,
// and the problem is handed out exactly once.
TEST_F(ScanResultFile, DamagedFileIsKeptAsideAndReportedOnce) {
  TSysInfo valid;
  valid.AddDevice({});
  TSysInfoWriter writer;
  writer.Write(valid);
  std::vector<uint8_t> validBytes = writer.GetBuf().GetBytes();
  std::vector<uint8_t> truncated(validBytes.begin(), validBytes.begin() + 20);

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* error;
  };
  const Case cases[] = {
      {"truncated", truncated, "Protocol buffer exception: eof encounterd"},
      {"group wire type", {0x33}, "InvalidProtocolBufferException.invalidWireType"},
      {"wrong wire type", {0x08, 0x01}, "Assertion failure"},
      {"bad GUID text", {0x0A, 0x04, 0xB2, 0x01, 0x01, 0x58}, "'X' is not a valid GUID value"},
  };
  std::string expectedKeptAs = BinPath() + ".damaged";
  for (const Case& c : cases) {
    WriteBin(c.bytes);
    TDriverDatamodel& model = Create();
    EXPECT_TRUE(model.IsFirstTimeScanned()) << c.name;
    std::optional<TScanResultProblem> problem = model.TakeScanResultProblem();
    ASSERT_TRUE(problem) << c.name;
    EXPECT_EQ(problem->error, c.error) << c.name;
    EXPECT_EQ(problem->keptAs, expectedKeptAs) << c.name;
    EXPECT_FALSE(model.TakeScanResultProblem()) << c.name;
    EXPECT_FALSE(std::filesystem::exists(BinPath())) << c.name;
    std::ifstream kept(expectedKeptAs, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}),
              std::string(c.bytes.begin(), c.bytes.end()))
        << c.name;
    // An earlier damaged copy is never replaced.
    expectedKeptAs = BinPath() + ".damaged-" + std::to_string(&c - cases + 2);
  }
}

TEST_F(ScanResultFile, DamagedFileLeavesAnEarlierListEmptyOnReinitialize) {
  TDriverDatamodel& model = Create();
  model.AddDevice(SampleDevice("A", "a"));
  model.DumpScanResults();
  WriteBin(std::vector<uint8_t>{0x0A, 0x05, 0x0A});
  model.Initialize();
  EXPECT_TRUE(model.IsFirstTimeScanned());
  EXPECT_TRUE(model.TakeScanResultProblem());

  // The next save writes a sound file again.
  model.AddDevice(SampleDevice("B", "b"));
  model.DumpScanResults();
  EXPECT_EQ(Create().DeviceCount(), 1);
}

// A stored result that cannot be read (here a read error, as from a locked file)
// is reported, and the list that started empty is never saved over it: the ignore
// marks in it survive the session.
TEST_F(ScanResultFile, AnUnreadableFileIsNeverWrittenOver) {
  TDriverDatamodel& saved = Create();
  saved.AddDevice(SampleDevice("A", "a"));
  saved.DumpScanResults();
  std::filesystem::remove(BinPath());
  // A link to a file that cannot be read; the link itself is refused when opened.
  std::filesystem::create_symlink("/proc/self/mem", BinPath());

  TDriverDatamodel& model = Create();
  std::optional<TScanResultProblem> problem = model.TakeScanResultProblem();
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->error, "Cannot open file \"" + BinPath() + "\"");
  EXPECT_EQ(problem->keptAs, "");
  EXPECT_EQ(model.DeviceCount(), 0);
  model.AddDevice(SampleDevice("B", "b"));
  model.DumpScanResults();
  EXPECT_TRUE(std::filesystem::is_symlink(BinPath()));
  EXPECT_EQ(std::filesystem::read_symlink(BinPath()), "/proc/self/mem");
}

}  // namespace
