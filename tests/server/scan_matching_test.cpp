// Scan answers: the best-ranked driver per device for the request's OS version and
// architecture (hardware id, then compatible ids in order, then the newest), offered when
// newer than the installed one; ids compared ignoring case.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "catalog_fixture.h"
#include "live_match_index.h"
#include "scan_answer.h"
#include "version_offer.h"

using namespace qvserver;

namespace {

constexpr const char* kNic = "PCI\\VEN_10EC&DEV_8168";
constexpr const char* kUsb = "USB\\VID_046D&PID_C52B";

DemoDriver driver(const char* id, const char* version, const char* date, std::vector<std::string> decorations) {
  DemoDriver d;
  d.hardware_ids = {id};
  d.version = version;
  d.date = date;
  d.decorations = std::move(decorations);
  return d;
}

class ScanMatching : public ::testing::Test {
 protected:
  void SetUp() override {
    ids_.a = fixture_.add(driver(kNic, "2.0.0.0", "2024-01-01", {"NTamd64", "NTx86"}));
    ids_.b = fixture_.add(driver(kNic, "3.0.0.0", "2024-01-01", {"NTamd64.10.0"}));
    ids_.c = fixture_.add(driver(kNic, "2.0.0.0", "2024-06-01", {"NTx86"}));
    ids_.d = fixture_.add(driver(kUsb, "1.5.0.0", "2023-01-01", {"NTarm64"}));
  }

  quorvane::Drivers request(const char* arch, const char* os, std::vector<const char*> ids,
                            const char* installed = "1.0.0.0", const char* date = "2020-01-01") {
    quorvane::Drivers r;
    r.mutable_os()->set_name("Windows");
    r.mutable_os()->set_version(os);
    r.mutable_os()->set_architecture(arch);
    for (auto id : ids) {
      auto* d = r.add_driver();
      d->set_hardware_id(id);
      d->set_driver_version(installed);
      d->set_driver_date(date);
      d->add_compatids()->set_compatid("PCI\\CC_0200");
    }
    return r;
  }

  quorvane::Drivers answer(const quorvane::Drivers& r) {
    return answer_scan(*MatchIndex::load(fixture_.catalog()), r, [](const DriverOffer& offer, std::string& link) {
      link = "http://h/files/" + std::to_string(offer.package_id) + "_" + offer.file_name;
    });
  }

  CatalogFixture fixture_;
  struct {
    std::int64_t a, b, c, d;
  } ids_{};
};

}  // namespace

TEST_F(ScanMatching, NewestDriverPerDeviceForOsAndArchitecture) {
  struct Case {
    const char* arch;
    const char* os;
    const char* hardware_id;
    const char* installed;
    const char* installed_date;
    const char* expected_version;  // nullptr: nothing offered
    const char* expected_date;
  };
  const Case cases[] = {
      {"amd64", "10.0.0", kNic, "1.0.0.0", "2020-01-01", "3.0.0.0", "2024-01-01"},  // Windows 10 section
      {"amd64", "6.1.0", kNic, "1.0.0.0", "2020-01-01", "2.0.0.0", "2024-01-01"},   // before Windows 10
      {"x86", "10.0.0", kNic, "1.0.0.0", "2020-01-01", "2.0.0.0", "2024-06-01"},    // same version, later date
      {"AMD64", "10.0.0", "pci\\ven_10ec&dev_8168", "1.0.0.0", "", "3.0.0.0", "2024-01-01"},  // case ignored
      {"amd64", "10.0.0", kNic, "3.0.0.0", "2024-01-01", nullptr, nullptr},  // same driver installed
      {"amd64", "10.0.0", kNic, "3.0.0.0", "2023-12-31", "3.0.0.0", "2024-01-01"},  // date breaks the tie
      {"amd64", "10.0.0", kNic, "10.0.0.0", "2000-01-01", nullptr, nullptr},  // 10 > 3 as numbers
      {"amd64", "10.0.0", kNic, "not a version", "", "3.0.0.0", "2024-01-01"},
      {"arm86", "10.0.0", kUsb, "1.0.0.0", "", "1.5.0.0", "2023-01-01"},  // ARM64
      {"amd64", "10.0.0", kUsb, "1.0.0.0", "", nullptr, nullptr},         // no amd64 section
      {"sparc", "10.0.0", kNic, "1.0.0.0", "", nullptr, nullptr},
      {"amd64", "10.0.0", "PCI\\CC_0200", "1.0.0.0", "", nullptr, nullptr},  // nothing serves that id
      {"amd64", "10.0.0", "PCI\\VEN_10EC&DEV_816", "1.0.0.0", "", nullptr, nullptr},  // whole id only
  };
  for (const auto& c : cases) {
    auto result = answer(request(c.arch, c.os, {c.hardware_id}, c.installed, c.installed_date));
    std::string label = std::string(c.arch) + " " + c.os + " " + c.hardware_id + " " + c.installed;
    if (!c.expected_version) {
      EXPECT_EQ(result.driver_size(), 0) << label;
      continue;
    }
    ASSERT_EQ(result.driver_size(), 1) << label;
    EXPECT_EQ(result.driver(0).driver_version(), c.expected_version) << label;
    EXPECT_EQ(result.driver(0).driver_date(), c.expected_date) << label;
    EXPECT_EQ(result.driver(0).hardware_id(), c.hardware_id) << label;  // spelled as requested
  }
}

TEST_F(ScanMatching, AnswerCarriesEverythingTheClientReads) {
  auto result = answer(request("amd64", "10.0.0", {kNic, "ACPI\\NONE", kNic}));
  ASSERT_EQ(result.driver_size(), 1);  // one entry per hardware id, none for unknown devices
  const auto& entry = result.driver(0);
  EXPECT_EQ(entry.driver_id(), std::to_string(ids_.b));
  EXPECT_EQ(entry.download_url(), "http://h/files/" + std::to_string(ids_.b) + "_pkg.zip");
  EXPECT_EQ(entry.driver_size(), "12");
  EXPECT_EQ(entry.device_class(), "System");
  EXPECT_EQ(result.os().architecture(), "amd64");
}

namespace {

constexpr const char* kExact = "PCI\\VEN_1&DEV_1&SUBSYS_11";
constexpr const char* kFamily = "PCI\\VEN_1&DEV_1";
constexpr const char* kClass = "PCI\\CC_0200";
constexpr const char* kTwins = "USB\\VID_9&PID_9";
constexpr const char* kShared = "HDAUDIO\\FUNC_01&VEN_10EC";

// A catalog where each id has drivers that only the ranking tells apart.
class Ranking : public ::testing::Test {
 protected:
  void SetUp() override {
    ids_["exact 2.0"] = fixture_.add(driver(kExact, "2.0.0.0", "2024-01-01", {"NTamd64"}));
    ids_["family 5.0 Jan"] = fixture_.add(driver(kFamily, "5.0.0.0", "2024-01-01", {"NTamd64"}));
    ids_["family 5.0 Mar"] = fixture_.add(driver(kFamily, "5.0.0.0", "2024-03-01", {"NTamd64"}));
    ids_["family 4.0"] = fixture_.add(driver(kFamily, "4.0.0.0", "2025-01-01", {"NTamd64"}));
    ids_["class 9.0"] = fixture_.add(driver(kClass, "9.0.0.0", "2024-01-01", {"NTamd64"}));
    ids_["twins first"] = fixture_.add(driver(kTwins, "3.0.0.0", "2024-01-01", {"NTamd64"}));
    ids_["twins second"] = fixture_.add(driver(kTwins, "3.0.0.0", "2024-01-01", {"NTamd64"}));
    ids_["shared 5.0"] = fixture_.add(driver(kShared, "5.0.0.0", "2024-01-01", {"NTamd64"}));
  }

  struct Device {
    const char* hardware_id;
    std::vector<const char*> compatible_ids;
    const char* installed;
    const char* installed_date = "2020-01-01";
  };

  quorvane::Drivers answer(const std::vector<Device>& devices) {
    quorvane::Drivers r;
    r.mutable_os()->set_version("10.0.0");
    r.mutable_os()->set_architecture("amd64");
    for (const auto& device : devices) {
      auto* d = r.add_driver();
      d->set_hardware_id(device.hardware_id);
      d->set_driver_version(device.installed);
      d->set_driver_date(device.installed_date);
      for (auto id : device.compatible_ids) d->add_compatids()->set_compatid(id);
    }
    return answer_scan(*MatchIndex::load(fixture_.catalog()), r, [](const DriverOffer&, std::string& link) { link = "http://h/f"; });
  }

  CatalogFixture fixture_;
  std::map<std::string, std::int64_t> ids_;
};

}  // namespace

TEST_F(Ranking, HardwareIdThenCompatibleIdsInOrderThenNewest) {
  struct Case {
    const char* label;
    Device device;
    const char* expected;  // the driver offered; nullptr: no entry
  };
  const Case cases[] = {
      {"hardware id beats a newer compatible one", {kExact, {kFamily, kClass}, "1.0.0.0"}, "exact 2.0"},
      {"earlier compatible id beats a later one", {"PCI\\VEN_1&DEV_1&SUBSYS_99", {kFamily, kClass}, "1.0.0.0"},
       "family 5.0 Mar"},
      {"the device's order decides", {"PCI\\VEN_1&DEV_1&SUBSYS_99", {kClass, kFamily}, "1.0.0.0"}, "class 9.0"},
      {"equal version: the later date", {"X", {"", "pci\\ven_1&dev_1"}, "1.0.0.0"}, "family 5.0 Mar"},
      {"equal version and date: the later import", {"X", {kTwins}, "1.0.0.0"}, "twins second"},
      {"a hardware id without a driver falls back to compatible ids", {kTwins, {kFamily}, "1.0.0.0"}, "twins second"},
      {"the best-ranked driver is not newer: no entry", {kExact, {kClass}, "3.0.0.0"}, nullptr},
      {"nothing newer: no entry", {"X", {kFamily}, "5.0.0.0", "2024-03-01"}, nullptr},
      {"no ids served: no entry", {"X", {"Y", "Z"}, "1.0.0.0"}, nullptr},
  };
  for (const auto& c : cases) {
    auto result = answer({c.device});
    if (!c.expected) {
      EXPECT_EQ(result.driver_size(), 0) << c.label;
      continue;
    }
    ASSERT_EQ(result.driver_size(), 1) << c.label;
    EXPECT_EQ(result.driver(0).driver_id(), std::to_string(ids_.at(c.expected))) << c.label;
    EXPECT_EQ(result.driver(0).hardware_id(), c.device.hardware_id) << c.label;  // names the device as sent
  }
}

TEST_F(Ranking, AnIdIsJudgedOnlyAgainstItsFirstDevice) {
  // The client applies an entry to the first device with the id: an upgrade for a later
  // leftover device would downgrade the present one.
  auto present_first = answer({{kShared, {}, "7.0.0.0"}, {"hdaudio\\func_01&ven_10ec", {}, "1.0.0.0"}});
  EXPECT_EQ(present_first.driver_size(), 0);

  auto leftover_first = answer({{kShared, {}, "1.0.0.0"}, {kShared, {}, "7.0.0.0"}});
  ASSERT_EQ(leftover_first.driver_size(), 1);
  EXPECT_EQ(leftover_first.driver(0).driver_id(), std::to_string(ids_.at("shared 5.0")));

  auto others_still_answered = answer({{kShared, {}, "7.0.0.0"}, {kShared, {}, "1.0.0.0"}, {kExact, {}, "1.0.0.0"}});
  ASSERT_EQ(others_still_answered.driver_size(), 1);
  EXPECT_EQ(others_still_answered.driver(0).hardware_id(), kExact);
}

TEST_F(Ranking, HostileRequestsAreBoundedAndClear) {
  std::string huge_id(64 * 1024, 'A');
  auto huge = answer({{huge_id.c_str(), {huge_id.c_str(), kFamily}, "1.0.0.0"}});
  ASSERT_EQ(huge.driver_size(), 1);  // a long id matches nothing, and the next id still counts
  EXPECT_EQ(huge.driver(0).driver_id(), std::to_string(ids_.at("family 5.0 Mar")));

  quorvane::Drivers many;
  many.mutable_os()->set_version("10.0.0");
  many.mutable_os()->set_architecture("amd64");
  for (int i = 0; i < 100000; ++i) many.add_driver()->set_hardware_id(i % 2 ? kExact : "PCI\\VEN_0&DEV_" + std::to_string(i));
  auto index = MatchIndex::load(fixture_.catalog());
  auto link = [](const DriverOffer&, std::string& text) { text = "l"; };
  EXPECT_EQ(answer_scan(*index, many, link).driver_size(), 1);

  for (const char* architecture : {"", "sparc", "amd128"}) {
    many.mutable_os()->set_architecture(architecture);
    EXPECT_EQ(answer_scan(*index, many, link).driver_size(), 0) << architecture;
  }
  many.mutable_os()->set_architecture("amd64");
  many.mutable_os()->set_version("");  // unreadable OS: only sections without a lower bound serve
  EXPECT_EQ(answer_scan(*index, many, link).driver_size(), 1);
}

TEST(MatchIndexLookup, EveryIdOfALargeCatalogIsFoundAndNoOther) {
  // Enough ids to spread over many filter words and table slots, and requests for ids
  // next to them that no driver serves.
  constexpr int kIds = 3000;
  auto id = [](int n, const char* device) {
    char text[48];
    std::snprintf(text, sizeof text, "PCI\\VEN_%04X&DEV_%s", n, device);
    return std::string(text);
  };
  DemoDriver many;
  for (int n = 0; n < kIds; ++n) many.hardware_ids.push_back(id(n, "abcd"));
  CatalogFixture fixture;
  fixture.add(many);
  auto index = MatchIndex::load(fixture.catalog());

  quorvane::Drivers request;
  request.mutable_os()->set_version("10.0.0");
  request.mutable_os()->set_architecture("amd64");
  for (int n = 0; n < kIds; ++n) {
    auto* known = request.add_driver();
    known->set_hardware_id(id(n, "ABCD"));
    known->set_driver_version("1.0.0.0");
    request.add_driver()->set_hardware_id(id(n, "ABCE"));
    request.add_driver()->set_hardware_id(id(n + kIds, "ABCD"));
  }
  auto answer = answer_scan(*index, request, [](const DriverOffer&, std::string& link) { link = "l"; });
  ASSERT_EQ(answer.driver_size(), kIds);
  for (int n = 0; n < kIds; ++n) ASSERT_EQ(answer.driver(n).hardware_id(), id(n, "ABCD"));
}

TEST(LiveMatchIndex, FollowsImportsAsOftenAsItIsTold) {
  CatalogFixture fixture;
  fixture.add(driver(kNic, "2.0.0.0", "2024-01-01", {"NTamd64"}));
  LiveMatchIndex every_scan(fixture.catalog(), std::chrono::milliseconds(0));
  LiveMatchIndex hourly(fixture.catalog(), std::chrono::hours(1));
  auto before = hourly.current();  // the first call asks
  fixture.add(driver(kUsb, "1.0.0.0", "2024-01-01", {"NTamd64"}));

  auto now = every_scan.current();
  EXPECT_EQ(now->version(), before->version() + 1);
  EXPECT_EQ(now->driver_count(), 2u);
  EXPECT_EQ(every_scan.current(), now);  // no import since: the same index
  EXPECT_EQ(hourly.current(), before);   // not asked again within the hour
}

TEST(ReleaseOffer, OfferedOnlyWhenNewerThanTheCaller) {
  ReleaseOffer offer{*parse_driver_version("1.2.0.5"), "Faster scans"};
  struct Case {
    const char* major;
    const char* minor;
    const char* vminor;
    const char* vbuild;
    bool offered;
  };
  const Case cases[] = {
      {"1", "2", "0", "4", true},  {"1", "2", "0", "5", false}, {"1", "10", "0", "0", false},
      {"", "", "", "", true},      {"2", "0", "0", "0", false}, {"x", "2", "0", "5", true},
  };
  for (const auto& c : cases) {
    quorvane::ClientVersion caller;
    caller.set_version_major(c.major);
    caller.set_version_minor(c.minor);
    caller.set_version_vminor(c.vminor);
    caller.set_version_vbuild(c.vbuild);
    auto release = newer_release(offer, caller);
    ASSERT_EQ(release.has_value(), c.offered) << c.major << "." << c.minor << "." << c.vminor << "." << c.vbuild;
    if (release) {
      EXPECT_EQ(release->version_minor(), "2");
      EXPECT_EQ(release->version_vbuild(), "5");
      EXPECT_EQ(release->readme(), "Faster scans");
    }
  }
}
