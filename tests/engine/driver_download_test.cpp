// The download run on a simulated machine against the reference server on loopback:
// callbacks in order, packages kept only when the server confirms them, expired links
// renewed or ending the run, stops, and names that must not leave the download folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <numeric>

#include "engine/download_names.h"
#include "engine/package_record.h"
#include "engine/package_records.h"
#include "engine/sim_engine.h"
#include "net/net_server.h"
#include "support/null_callback_handler.h"
#include "support/one_request_server.h"
#include "support/recording_sink.h"

namespace fs = std::filesystem;

namespace {

// Records the download calls as text; an action may run at each chunk.
class TDownloadRecorder : public TNullCallbackHandler {
 public:
  explicit TDownloadRecorder(const std::atomic<bool>& downloading) : m_downloading(downloading) {}

  std::vector<std::string> calls;
  std::vector<int32_t> steps;
  bool busyAtEnd = false;  // m_downloading as FinishDownload saw it
  std::function<void()> onStep;

  void StartDownload(int32_t nCount) override { calls.push_back("StartDownload " + std::to_string(nCount)); }
  void StartDriverDownload(const TDeviceProperties& device) override {
    calls.push_back("StartDriverDownload " + device.strName);
  }
  void FinishDriverDownload(const TDeviceProperties& device, int32_t ASuccess) override {
    calls.push_back("FinishDriverDownload " + device.strName + " " + std::to_string(ASuccess));
  }
  void FinishDownload(bool ASuccess) override {
    busyAtEnd = m_downloading;
    calls.push_back(std::string("FinishDownload ") + (ASuccess ? "true" : "false"));
  }
  void StepDriverDownload(int32_t nStep) override {
    steps.push_back(nStep);
    if (onStep) onStep();
  }

 private:
  const std::atomic<bool>& m_downloading;
};

// The machine's internet port, reporting no connection.
class TOfflineInternet : public IInternetPort {
 public:
  explicit TOfflineInternet(IInternetPort& inner) : m_inner(inner) {}
  TInternetRaw OpenSession(const std::string& a, uint32_t t, const std::string& p, uint32_t f) override {
    return m_inner.OpenSession(a, t, p, f);
  }
  bool SetOptionNumber(TInternetRaw h, uint32_t o, uint32_t v) override { return m_inner.SetOptionNumber(h, o, v); }
  bool SetOptionText(TInternetRaw h, uint32_t o, const std::string& t) override {
    return m_inner.SetOptionText(h, o, t);
  }
  TInternetRaw Connect(TInternetRaw s, const std::string& n, uint16_t p, uint32_t v, uint32_t f) override {
    return m_inner.Connect(s, n, p, v, f);
  }
  TInternetRaw OpenRequest(TInternetRaw c, const std::string& v, const std::string& o, uint32_t f) override {
    return m_inner.OpenRequest(c, v, o, f);
  }
  bool SendRequest(TInternetRaw r, const std::string& h, const void* d, uint32_t s) override {
    return m_inner.SendRequest(r, h, d, s);
  }
  bool Read(TInternetRaw r, void* b, uint32_t n, uint32_t& read) override { return m_inner.Read(r, b, n, read); }
  TInternetRaw OpenUrl(TInternetRaw s, const std::string& u, const std::string& h, uint32_t f) override {
    ++urlsOpened;
    return m_inner.OpenUrl(s, u, h, f);
  }
  bool QueryStatusCode(TInternetRaw r, uint32_t& status) override { return m_inner.QueryStatusCode(r, status); }
  bool QueryContentLength(TInternetRaw r, uint64_t& length) override { return m_inner.QueryContentLength(r, length); }
  bool Close(TInternetRaw h) override { return m_inner.Close(h); }
  bool ConnectedState(uint32_t& flags) override {
    flags = 0;
    return false;
  }
  bool LastResponseInfo(uint32_t& e, std::string& t, uint32_t n) override { return m_inner.LastResponseInfo(e, t, n); }
  uint32_t LastError() override { return m_inner.LastError(); }
  void SetLastErrorCode(uint32_t code) override { m_inner.SetLastErrorCode(code); }
  void CancelSession(TInternetRaw s) override { m_inner.CancelSession(s); }

  int urlsOpened = 0;

 private:
  IInternetPort& m_inner;
};

constexpr const char* UNKNOWN_ID = "PCI\\VEN_FFFF&DEV_0001";

std::string Altered(std::string link) {
  char& last = link.back();
  last = last == '0' ? '1' : '0';
  return link;
}

class DriverDownload : public ::testing::Test, public TSimEngineFixture {
 protected:
  void SetUp() override {
    ASSERT_GT(server.Start(), 0);
    TDataManager& engine = Engine();
    engine.SetMessageSink(&sink);
    model->SetServerURL("127.0.0.1");
    model->SetServerPort(server.Port());
    model->SetDownloadLocation(Downloads());
  }

  std::string Downloads() const { return folder.File("Downloads"); }
  std::string PackageFolder(const std::string& driverId) const { return JoinPath(Downloads(), driverId); }

  // A device of the model's list with an installed driver older than any offer.
  TDeviceProperties& AddDevice(const std::string& name, const std::string& hardwareId) {
    auto record = std::make_unique<TDeviceProperties>();
    record->strName = name;
    record->strHID = hardwareId;
    record->strClassGUID = "Net";
    record->strVersion = "1.0.0.0";
    record->strDriverDate = "1-1-2020";
    TDeviceProperties& added = *record;
    model->AddDevice(std::move(record));
    return added;
  }

  // The device with the server's offer written into it, as a scan leaves it.
  TDeviceProperties& OfferedDevice(const std::string& name, const std::string& hardwareId) {
    TDeviceProperties& device = AddDevice(name, hardwareId);
    EXPECT_TRUE(Engine().CheckForUpdates(TDriverMap{&device}));
    EXPECT_FALSE(device.strDownloadUrl.empty()) << name;
    return device;
  }

  bool Run(const TDriverMap& devices) {
    recorder.calls.clear();
    return Engine().Download(devices, &recorder);
  }

  // Deletes every package folder and its record, as a clean machine has none.
  void DiscardAll() {
    for (const auto& device : model->DeviceList()) Engine().DiscardPackage(device->strDriverDBId);
  }

  static std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename().string());
    return names;
  }

  size_t FileRequests() const {
    size_t count = 0;
    const std::string log = server.Log();
    for (size_t at = log.find(" GET /files/"); at != std::string::npos; at = log.find(" GET /files/", at + 1)) ++count;
    return count;
  }

  TNetServer server;
  TRecordingSink sink;
  TDownloadRecorder recorder{Engine().m_downloading};
};

using Calls = std::vector<std::string>;

TEST_F(DriverDownload, OnlyUpToDateOrIgnoredDevicesMakeNoDeviceCalls) {
  TDeviceProperties& upToDate = AddDevice("Up to date", OFFERED_ID);
  TDeviceProperties& ignored = OfferedDevice("Ignored", BIG_ID);
  ignored.nIgnored = 1;
  EXPECT_TRUE(Run({&upToDate, &ignored}));
  EXPECT_EQ(recorder.calls, (Calls{"StartDownload 2", "FinishDownload true"}));
  EXPECT_TRUE(recorder.busyAtEnd);
  EXPECT_FALSE(Engine().m_downloading);
  EXPECT_EQ(FileRequests(), 0u);
}

TEST_F(DriverDownload, PackagesAreFetchedConfirmedAndKeptInTheirFolders) {
  TDeviceProperties& small = OfferedDevice("Small", OFFERED_ID);
  TDeviceProperties& big = OfferedDevice("Big", BIG_ID);
  EXPECT_TRUE(Run({&small, &big}));
  EXPECT_EQ(recorder.calls, (Calls{"StartDownload 2", "StartDriverDownload Small", "FinishDriverDownload Small 0",
                                   "StartDriverDownload Big", "FinishDriverDownload Big 0", "FinishDownload true"}));
  EXPECT_EQ(small.strDriverDBId, std::to_string(server.Small().id));
  EXPECT_EQ(TNetServer::ReadFile(JoinPath(PackageFolder(small.strDriverDBId), server.Small().file_name)),
            server.StoredContent(server.Small()));
  EXPECT_EQ(TNetServer::ReadFile(JoinPath(PackageFolder(big.strDriverDBId), server.Big().file_name)),
            server.StoredContent(server.Big()));
  EXPECT_EQ(std::accumulate(recorder.steps.begin(), recorder.steps.end(), size_t{0}),
            server.StoredContent(server.Small()).size() + BIG_PACKAGE_SIZE);
  EXPECT_NE(server.Log().find("POST /client_status/ 200"), std::string::npos) << server.Log();
  EXPECT_EQ(Engine().IsDownloadAvailable(OFFERED_ID), 2);
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_FALSE(Engine().m_downloading);
  // Each confirmed package is recorded under HKLM by name, size and digests.
  const std::optional<TPackageRecord> record = ReadPackageRecord(machine.registry, big.strDriverDBId);
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(*record, (TPackageRecord{server.Big().file_name, BIG_PACKAGE_SIZE, record->sha256, server.Big().md5}));
  EXPECT_EQ(record->sha256.size(), 64u);
  EXPECT_NE(record->sha256, ReadPackageRecord(machine.registry, small.strDriverDBId)->sha256);
}

// A package already in its folder is taken without a fetch only when it is the file the
// server confirmed, as recorded under HKLM; the recorded file that no longer matches is
// deleted and fetched again. A file the program has no record of is never deleted: beside
// the package it stays, and at the package's own name it makes the fetch fail.
TEST_F(DriverDownload, APackageAlreadyPresentIsKeptOnlyWithAValidRecord) {
  TDeviceProperties& small = OfferedDevice("Small", OFFERED_ID);
  const std::string id = small.strDriverDBId;
  const std::string name = server.Small().file_name;
  const std::string package = JoinPath(PackageFolder(id), name);
  const std::string content = server.StoredContent(server.Small());
  const std::string swapped(content.size(), 'E');
  const struct {
    const char* attack;  // nullptr: the confirmed package, untouched
    std::function<void()> plant;
    std::optional<bool> fetched;  // nothing: only the link's probe may have reached the server
    int32_t result;
    std::vector<std::string> entries;
    std::string packageContent;
    bool recorded;
  } cases[] = {
      {nullptr, [] {}, false, 0, {name}, content, true},
      {"a planted file without a record", [&] {
         DiscardAll();
         folder.Write("Downloads/" + id + "/whatever.EXE", "planted");
       }, true, 0, {"whatever.EXE", name}, content, true},
      {"the package swapped after confirmation", [&] { folder.Write("Downloads/" + id + "/" + name, swapped); }, true, 0,
       {name}, content, true},
      {"the record deleted", [&] { ForgetPackageRecord(machine.registry, id); }, std::nullopt, 2, {name}, content, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.attack ? c.attack : "the confirmed package");
    DiscardAll();
    fs::remove_all(PackageFolder(id));
    ASSERT_TRUE(Run({&small}));
    ASSERT_EQ(TNetServer::ReadFile(package), content);
    c.plant();
    const size_t before = FileRequests();
    EXPECT_TRUE(Run({&small}));
    EXPECT_EQ(recorder.calls, (Calls{"StartDownload 1", "StartDriverDownload Small",
                                     "FinishDriverDownload Small " + std::to_string(c.result), "FinishDownload true"}));
    if (c.fetched) {
      EXPECT_EQ(FileRequests() > before, *c.fetched);
    }
    std::vector<std::string> entries = FolderEntries(PackageFolder(id)), expected = c.entries;
    std::sort(entries.begin(), entries.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(TNetServer::ReadFile(package), c.packageContent);
    const std::optional<TPackageRecord> record = ReadPackageRecord(machine.registry, id);
    ASSERT_EQ(record.has_value(), c.recorded);
    if (record) {
      EXPECT_EQ(record->md5, server.Small().md5);
      EXPECT_EQ(record->size, content.size());
      EXPECT_EQ(record->fileName, name);
    }
    EXPECT_EQ(machine.fileSystem.OpenFileCount(), 0u);
  }
}

// While the package is written nobody else can open it, not even to read it.
TEST_F(DriverDownload, TheTargetIsSharedWithNobodyWhileItIsWritten) {
  TDeviceProperties& big = OfferedDevice("Big", BIG_ID);
  const std::string target = JoinPath(PackageFolder(big.strDriverDBId), server.Big().file_name);
  std::vector<std::string> opened;
  recorder.onStep = [&] {
    if (machine.fileSystem.OpenFile(target, fomReadDenyWriters)) opened.push_back("read");
    if (machine.fileSystem.MoveFileOver(folder.File("evil.msi"), target)) opened.push_back("swapped");
  };
  folder.Write("evil.msi", "evil");
  EXPECT_TRUE(Run({&big}));
  EXPECT_FALSE(recorder.steps.empty());
  EXPECT_EQ(opened, std::vector<std::string>{});
  EXPECT_EQ(TNetServer::ReadFile(target), server.StoredContent(server.Big()));
}

TEST_F(DriverDownload, AnExpiredLinkIsRenewedForThatDeviceAlone) {
  TDeviceProperties& small = OfferedDevice("Small", OFFERED_ID);
  const std::string expired = Altered(small.strDownloadUrl);
  small.strDownloadUrl = expired;
  EXPECT_TRUE(Run({&small}));
  EXPECT_EQ(recorder.calls, (Calls{"StartDownload 1", "StartDriverDownload Small", "FinishDriverDownload Small 0",
                                   "FinishDownload true"}));
  EXPECT_NE(small.strDownloadUrl, expired);
  EXPECT_TRUE(fs::exists(JoinPath(PackageFolder(small.strDriverDBId), server.Small().file_name)));
}

// A renewal whose answer cannot be decoded (a captive portal's page) stays inside the
// run: the device goes on to its fetch, which the expired link refuses, and the run ends.
TEST_F(DriverDownload, AnUndecodableRenewalStillEndsTheRun) {
  TDeviceProperties& small = OfferedDevice("Small", OFFERED_ID);
  small.strDownloadUrl = Altered(small.strDownloadUrl);
  const std::string page = "<html><body>Sign in to the hotel network</body></html>";
  TOneRequestServer portal("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                           std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page);
  model->SetServerPort(portal.Port());
  EXPECT_FALSE(Run({&small}));
  EXPECT_TRUE(portal.requested);
  EXPECT_EQ(recorder.calls, (Calls{"StartDownload 1", "StartDriverDownload Small", "FinishDriverDownload Small 3",
                                   "FinishDownload false"}));
  EXPECT_FALSE(Engine().m_downloading);
}

TEST_F(DriverDownload, ARefusedLinkEndsTheRunBeforeTheNextDevice) {
  // The server does not know this device, so the renewal leaves its link as it was.
  TDeviceProperties& unknown = AddDevice("Unknown", UNKNOWN_ID);
  unknown.strNewVersion = "2.0.0.0";
  unknown.strDriverDBId = "901";
  unknown.strDownloadUrl = Altered(server.Link(server.Small()));
  TDeviceProperties& big = OfferedDevice("Big", BIG_ID);
  EXPECT_FALSE(Run({&unknown, &big}));
  EXPECT_EQ(recorder.calls, (Calls{"StartDownload 2", "StartDriverDownload Unknown", "FinishDriverDownload Unknown 3",
                                   "FinishDownload false"}));
  EXPECT_TRUE(Engine().m_stopped);
  EXPECT_FALSE(Engine().m_downloading);
  EXPECT_FALSE(fs::exists(PackageFolder("901")));
  EXPECT_FALSE(fs::exists(PackageFolder(big.strDriverDBId)));
}

TEST_F(DriverDownload, AStopDuringAFetchReportsFourAndLeavesNothing) {
  TDeviceProperties& big = OfferedDevice("Big", BIG_ID);
  TDeviceProperties& small = OfferedDevice("Small", OFFERED_ID);
  recorder.onStep = [this] { Engine().DownloadCancel(); };
  EXPECT_FALSE(Run({&big, &small}));
  EXPECT_EQ(recorder.calls, (Calls{"StartDownload 2", "StartDriverDownload Big", "FinishDriverDownload Big 4",
                                   "FinishDownload false"}));
  EXPECT_FALSE(fs::exists(PackageFolder(big.strDriverDBId)));
  EXPECT_TRUE(Engine().m_stopped);
  // The next run starts afresh.
  recorder.onStep = nullptr;
  EXPECT_TRUE(Run({&small}));
}

TEST_F(DriverDownload, AFileTheServerDoesNotConfirmIsDeletedButReportedComplete) {
  // The file fetched is the small package, the id sent with its checksum the big one's.
  TDeviceProperties& small = OfferedDevice("Small", OFFERED_ID);
  small.strDriverDBId = std::to_string(server.Big().id);
  EXPECT_TRUE(Run({&small}));
  EXPECT_EQ(recorder.calls, (Calls{"StartDownload 1", "StartDriverDownload Small", "FinishDriverDownload Small 0",
                                   "FinishDownload true"}));
  EXPECT_FALSE(fs::exists(PackageFolder(small.strDriverDBId)));
  EXPECT_TRUE(fs::is_directory(Downloads()));
  EXPECT_EQ(Engine().IsDownloadAvailable(OFFERED_ID), 0);
  EXPECT_FALSE(ReadPackageRecord(machine.registry, small.strDriverDBId).has_value());
}

TEST_F(DriverDownload, WithoutAConnectionTheRunEndsWithTheServerMessage) {
  TOfflineInternet offline(machine.internet);
  TSystemPorts ports = machine.Ports();
  TSystemPorts offlinePorts{ports.registry,      ports.osVersion,     ports.shell,    ports.processes,
                            ports.power,         ports.locale,        ports.fileSystem, ports.hashing,
                            ports.strings,       ports.deviceInstall, ports.imageLists, ports.moduleVersion,
                            offline,             ports.systemRestore, ports.threadWait,
                            ports.firmware,      ports.hardware,      ports.scheduler};
  TDataManager engine(*model, offlinePorts);
  engine.SetMessageSink(&sink);
  TDeviceProperties& small = OfferedDevice("Small", OFFERED_ID);
  TDownloadRecorder handler(engine.m_downloading);
  EXPECT_FALSE(engine.Download({&small}, &handler));
  EXPECT_EQ(handler.calls, (Calls{"StartDownload 1", "FinishDownload false"}));
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_NE(sink.shown[0].text.find("problem communicating with the server"), std::string::npos);
  EXPECT_TRUE(engine.m_stopped);
  EXPECT_FALSE(engine.m_downloading);
  EXPECT_EQ(offline.urlsOpened, 0);
}

TEST_F(DriverDownload, TheDownloadFolderIsCreatedOneLevelOnly) {
  TDeviceProperties& small = OfferedDevice("Small", OFFERED_ID);
  model->SetDownloadLocation(folder.File("missing/Downloads"));
  EXPECT_FALSE(Run({&small}));
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_FALSE(fs::exists(folder.File("missing")));

  ASSERT_FALSE(fs::exists(Downloads()));
  model->SetDownloadLocation(Downloads());
  EXPECT_TRUE(Run({&small}));
  EXPECT_EQ(Engine().IsDownloadAvailable(OFFERED_ID), 2);
}

// Driver ids and link names that would put the package outside its own folder, or make
// the download folder itself the package folder, are refused and touch nothing.
TEST_F(DriverDownload, NamesThatWouldLeaveTheirFolderAreRefused) {
  struct Case {
    const char* name;
    std::string driverId;
    std::string linkName;  // replaces the offered link's "<id>_<name>" element; empty: kept
  };
  const Case cases[] = {
      {"empty driver id", "", ""},
      {"parent driver id", "..", ""},
      {"nested driver id", "../outside", ""},
      {"backslash driver id", "..\\outside", ""},
      {"absolute driver id", folder.File("outside"), ""},
      {"drive driver id", "C:", ""},
      {"trailing dots", "...", ""},
      {"parent file name", "77", "77_.."},
      {"escaped separator", "77", "77_%2e%2e%5coutside.zip"},
      {"no name", "77", "77_"},
  };
  folder.Write("Downloads/keep.txt", "the download folder's own file");
  folder.Write("outside/keep.txt", "a file outside the download folder");
  TDeviceProperties& small = OfferedDevice("Small", OFFERED_ID);
  // A link the server refuses is renewed for a device it knows; this one it does not know.
  TDeviceProperties& unknown = AddDevice("Small", UNKNOWN_ID);
  unknown.strNewVersion = "2.0.0.0";
  const std::string offered = small.strDownloadUrl;
  for (const Case& c : cases) {
    TDeviceProperties& device = c.linkName.empty() ? small : unknown;
    device.strDriverDBId = c.driverId;
    device.strDownloadUrl = offered;
    if (!c.linkName.empty()) {
      const size_t start = offered.find("/files/") + 7;
      device.strDownloadUrl.replace(start, offered.find('?') - start, c.linkName);
    }
    EXPECT_TRUE(Run({&device})) << c.name;
    EXPECT_EQ(recorder.calls, (Calls{"StartDownload 1", "StartDriverDownload Small", "FinishDriverDownload Small 2",
                                     "FinishDownload true"}))
        << c.name;
    EXPECT_EQ(Engine().IsDownloadAvailable(device.strHID), 0) << c.name;
    EXPECT_FALSE(Engine().DeleteDriverFile(0, device)) << c.name;
    EXPECT_EQ(folder.Read("Downloads/keep.txt"), "the download folder's own file") << c.name;
    EXPECT_EQ(folder.Read("outside/keep.txt"), "a file outside the download folder") << c.name;
  }
  // Nothing was written anywhere: the two folders hold what they held.
  for (const char* name : {"Downloads", "outside"}) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder.File(name)))
      entries.push_back(entry.path().filename().string());
    EXPECT_EQ(entries, std::vector<std::string>{"keep.txt"}) << name;
  }
}

TEST_F(DriverDownload, WhatIsAvailableIsDecidedByTheListedDeviceAndItsFirstFile) {
  TDeviceProperties& small = AddDevice("Small", OFFERED_ID);
  small.strDriverDBId = "12";
  folder.Write("Downloads/12/sub/setup.exe", "a file below a sub-folder does not count");
  EXPECT_EQ(Engine().IsDownloadAvailable(OFFERED_ID), 0);
  folder.Write("Downloads/12/Setup.ExE", "installer");
  EXPECT_EQ(Engine().IsDownloadAvailable(OFFERED_ID), 1);
  folder.Write("Downloads/34/driver.zip", "a folder no listed device names");
  EXPECT_EQ(Engine().IsDownloadAvailable(UNKNOWN_ID), 0);
  EXPECT_EQ(Engine().IsDownloadAvailable("pci\\ven_8086&dev_15bc"), 1) << "hardware ids compare without case";
}

// The folder reports a program (1) apart from every other package (2); an installer
// package counts as another package although the install run starts it as a program.
TEST_F(DriverDownload, OnlyAProgramIsReportedAsOne) {
  TDeviceProperties& small = AddDevice("Small", OFFERED_ID);
  const struct {
    const char* id;
    const char* file;
    int available;
  } cases[] = {
      {"20", "Setup.EXE", 1}, {"21", "driver.msi", 2}, {"22", "driver.MSI", 2}, {"23", "net_qva.zip", 2},
      {"24", "net.inf", 2},   {"25", "exe", 2},        {"26", ".exe", 1},       {"27", "setup.exe.txt", 2},
  };
  for (const auto& c : cases) {
    small.strDriverDBId = c.id;
    folder.Write(std::string("Downloads/") + c.id + "/" + c.file, "package");
    EXPECT_EQ(Engine().IsDownloadAvailable(OFFERED_ID), c.available) << c.file;
  }
}

// The results page's delete removes the recorded file, then the folder the run made once
// it is empty; anything else there stays, and so does the folder holding it.
TEST_F(DriverDownload, DeletingADriverFileRemovesOnlyWhatTheRunMade) {
  TDeviceProperties& small = OfferedDevice("Small", OFFERED_ID);
  const std::string id = small.strDriverDBId;
  const std::string package = JoinPath(PackageFolder(id), server.Small().file_name);
  for (const bool userFile : {false, true}) {
    SCOPED_TRACE(userFile ? "with a file of the user's beside the package" : "the package alone");
    ASSERT_TRUE(Run({&small}));
    if (userFile) folder.Write("Downloads/" + id + "/notes.txt", "mine");
    EXPECT_TRUE(Engine().DeleteDriverFile(0, small));
    EXPECT_FALSE(fs::exists(package));
    EXPECT_EQ(fs::exists(PackageFolder(id)), userFile);
    EXPECT_FALSE(ReadPackagePlace(machine.registry, id).has_value());
    EXPECT_FALSE(Engine().DeleteDriverFile(0, small)) << "nothing recorded any more";
    if (userFile) {
      EXPECT_EQ(folder.Read("Downloads/" + id + "/notes.txt"), "mine");
    }
  }
  small.strDriverDBId.clear();
  EXPECT_FALSE(Engine().DeleteDriverFile(0, small)) << "no driver id";
}

// A record written before the folder was recorded names neither the folder nor who made
// it: its file is deleted, and the folder only when that leaves it empty.
TEST_F(DriverDownload, ARecordWithoutItsFolderDeletesItsFileAndAnEmptyFolder) {
  TDeviceProperties& small = AddDevice("Small", OFFERED_ID);
  small.strDriverDBId = "12";
  for (const bool otherFile : {false, true}) {
    SCOPED_TRACE(otherFile ? "another file in the folder" : "the package alone");
    folder.Write("Downloads/12/package.zip", "x");
    if (otherFile) folder.Write("Downloads/12/other.zip", "y");
    RecordPackage(machine, "12", JoinPath(PackageFolder("12"), "package.zip"));
    EXPECT_TRUE(Engine().DeleteDriverFile(0, small));
    EXPECT_FALSE(fs::exists(JoinPath(PackageFolder("12"), "package.zip")));
    EXPECT_EQ(fs::exists(PackageFolder("12")), otherFile);
  }
  EXPECT_EQ(folder.Read("Downloads/12/other.zip"), "y");
}

// The download folder and the driver id are the user's and the server's to choose: with
// "Download Location" naming a system folder and a driver id naming a folder there, no run
// of the program deletes anything in it, whatever the fetch, the confirmation or the link.
TEST_F(DriverDownload, NothingTheProgramDidNotMakeIsDeleted) {
  const std::string system = folder.File("Program Files");
  const std::string vendor = JoinPath(system, "SomeVendor");
  TDeviceProperties& small = OfferedDevice("Small", OFFERED_ID);
  const std::string offered = small.strDownloadUrl;
  const std::string offeredName = server.Small().file_name;
  TDeviceProperties& unknown = AddDevice("Unknown", UNKNOWN_ID);
  unknown.strNewVersion = "2.0.0.0";
  auto plantVendor = [&] {
    fs::remove_all(system);
    folder.Write("Program Files/SomeVendor/" + offeredName, "the vendor's file of the package's name");
    folder.Write("Program Files/SomeVendor/uninstall.exe", "the vendor's uninstaller");
    folder.Write("Program Files/SomeVendor/bin/vendor.dll", "the vendor's library");
    folder.Write("Program Files/other.txt", "the system folder's own file");
  };
  auto vendorTree = [&] {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(system))
      entries.push_back(entry.path().lexically_relative(system).generic_string() + "=" +
                        (entry.is_directory() ? std::string("dir") : TNetServer::ReadFile(entry.path().string())));
    std::sort(entries.begin(), entries.end());
    return entries;
  };
  struct Case {
    const char* name;
    std::function<void()> act;
    bool vendorHoldsThePackageName = true;
  };
  const Case cases[] = {
      {"a fetch of a name the vendor's folder holds", [&] { Run({&small}); }},
      {"a fetch the server refuses", [&] {
         // A device the server does not know: the renewal leaves its link as it was.
         unknown.strDriverDBId = "SomeVendor";
         unknown.strDownloadUrl = Altered(offered);
         Run({&unknown});
       }},
      {"a fetch from nobody", [&] {
         small.strDownloadUrl = "http://127.0.0.1:1/files/77_uninstall.exe";
         Run({&small});
       }},
      {"a package the server does not confirm (sent with another id)", [&] { Run({&small}); }, false},
      {"the results page's delete", [&] { Engine().DeleteDriverFile(0, small); }},
      {"an install without a recorded package", [&] { Engine().Install({&small}, nullptr); }},
      {"a recorded package reached through a link put in its folder's place", [&] {
         folder.Write("Downloads/SomeVendor/" + offeredName, "ours");
         StorePackagePlace(machine.registry, "SomeVendor", TPackagePlace{PackageFolder("SomeVendor"), true, offeredName});
         RecordPackage(machine, "SomeVendor", JoinPath(PackageFolder("SomeVendor"), offeredName));
         fs::remove_all(PackageFolder("SomeVendor"));
         fs::create_directory_symlink(vendor, PackageFolder("SomeVendor"));
         Engine().DeleteDriverFile(0, small);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plantVendor();
    if (!c.vendorHoldsThePackageName) fs::remove(JoinPath(vendor, offeredName));
    const std::vector<std::string> before = vendorTree();
    model->SetDownloadLocation(system);
    small.strDriverDBId = "SomeVendor";
    small.strDownloadUrl = offered;
    Engine().m_stopped = false;
    c.act();
    model->SetDownloadLocation(Downloads());
    EXPECT_EQ(vendorTree(), before);
    ForgetPackageRecord(machine.registry, "SomeVendor");
  }
}

// The scan announces each package's size in whole kilobytes: a package that brings more
// is a failed download and leaves nothing behind; without a size the program's own limit holds.
TEST_F(DriverDownload, APackageLargerThanAnnouncedFails) {
  TDeviceProperties& big = OfferedDevice("Big", BIG_ID);
  EXPECT_EQ(TDataManager::AnnouncedPackageSize(big), (BIG_PACKAGE_SIZE + 1023) / 1024 * 1024) << big.strDriverSize;
  big.strDriverSize = std::to_string(BIG_PACKAGE_SIZE / 1024);
  EXPECT_TRUE(Run({&big}));
  EXPECT_EQ(recorder.calls, (Calls{"StartDownload 1", "StartDriverDownload Big", "FinishDriverDownload Big 2",
                                   "FinishDownload true"}));
  EXPECT_FALSE(fs::exists(PackageFolder(big.strDriverDBId)));
  EXPECT_FALSE(ReadPackagePlace(machine.registry, big.strDriverDBId).has_value());

  for (const char* none : {"", "0", "12 KB", "-1", "99999999999999999999"}) {
    big.strDriverSize = none;
    EXPECT_EQ(TDataManager::AnnouncedPackageSize(big), QV_PACKAGE_SIZE_LIMIT) << none;
  }
}

TEST_F(DriverDownload, TheChecksumIsConfirmedOnlyForTheRightPackage) {
  const std::string small = std::to_string(server.Small().id);
  EXPECT_TRUE(Engine().PostChecksum(server.Small().md5, small));
  EXPECT_FALSE(Engine().PostChecksum(server.Big().md5, small));
  EXPECT_FALSE(Engine().PostChecksum("", ""));
  EXPECT_TRUE(sink.shown.empty());
  model->SetServerPort(1);  // nobody listens: the exchange fails with the server message
  EXPECT_FALSE(Engine().PostChecksum(server.Small().md5, small));
  EXPECT_EQ(sink.shown.size(), 1u);
}

TEST(DownloadNames, FileNameFromTheLink) {
  struct Case {
    const char* url;
    const char* name;
  };
  const Case cases[] = {
      {"http://h/files/77_net%20driver_v2.zip?x=1", "net driver_v2.zip"},
      {"http://h/files/77_a_b_c.zip", "a_b_c.zip"},
      {"http://h/files/driver.zip", "driver.zip"},
      {"http://h/files/a+b.zip?q=%2F", "a+b.zip"},
      {"http://h/files/77_%C3%A9t%C3%A9.zip", "\xC3\xA9t\xC3\xA9.zip"},
      {"http://h/files/77_x%2Fy.zip", "y.zip"},
      {"http://h/files/77_x%2", "x%2"},
      {"http://h", "h"},
      {"http://h/", ""},
      {"setup_v1.exe", "v1.exe"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DownloadFileName(c.url), c.name) << c.url;
}

TEST(DownloadNames, PackageFileTypesByExtensionIgnoringCase) {
  const struct {
    const char* path;
    TPackageFileType type;
  } cases[] = {
      {"C:\\dl\\1\\Setup.EXE", pfProgram},
      {"dl/1/setup.exe", pfProgram},
      {".exe", pfProgram},
      {"driver.msi", pfInstallerPackage},
      {"DRIVER.Msi", pfInstallerPackage},
      {"driver.Zip", pfArchive},
      {"net_qva.zip", pfArchive},
      {"driver.inf", pfOther},
      {"driver", pfOther},
      {"exe", pfOther},
      {"driver.exe.txt", pfOther},
      {"C:\\v1.exe\\driver", pfOther},  // a dot in a folder's name is no extension
      {"dl/v1.zip/driver", pfOther},
      {"driver.exe ", pfOther},
      {"", pfOther},
  };
  for (const auto& c : cases) EXPECT_EQ(PackageFileTypeOf(c.path), c.type) << c.path;
}

TEST(DownloadNames, PlainEntryNames) {
  const char* plain[] = {"77", "net driver_v2.zip", "a.b", ".hidden", "\xC3\xA9t\xC3\xA9"};
  for (const char* name : plain) EXPECT_TRUE(IsPlainEntryName(name)) << name;
  const char* refused[] = {"", ".", "..", "...", ".. ", "a/b", "a\\b", "C:", "a:b", "*", "a?", "x\x01", "name."};
  for (const char* name : refused) EXPECT_FALSE(IsPlainEntryName(name)) << name;
}

}  // namespace
