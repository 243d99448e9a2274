// Scan answers: the newest driver per device for the request's OS version and
// architecture, newer than the installed one, hardware ids compared ignoring case.
#include <gtest/gtest.h>

#include "catalog_fixture.h"
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
    return answer_scan(fixture_.catalog(), r, [](const DriverOffer& offer) {
      return "http://h/files/" + std::to_string(offer.package_id) + "_" + offer.file_name;
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
      {"amd64", "10.0.0", "PCI\\CC_0200", "1.0.0.0", "", nullptr, nullptr},  // compatible ids are not matched
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
