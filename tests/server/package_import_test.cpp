// Package import: zip, self-extracting exe, msi with its INF named, bare INF; duplicates;
// refused packages (escaping entries, damaged zips, bad INF) leave catalog and store alone.
#include <gtest/gtest.h>

#include <fstream>

#include "catalog.h"
#include "demo_packages.h"
#include "md5_digest.h"
#include "package_error.h"
#include "package_import.h"
#include "scratch_folder.h"
#include "zip_writer.h"

using namespace qvserver;

namespace {

void write_file(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

DemoDriver demo(const char* id, const char* version = "2.1.0.0") {
  DemoDriver d;
  d.hardware_ids = {id};
  d.version = version;
  return d;
}

class PackageImport : public ::testing::Test {
 protected:
  PackageImport() : catalog_((folder_ / "catalog.db").string()) {}

  ImportResult import(const std::string& name, const std::string& bytes,
                      const std::optional<std::filesystem::path>& inf = std::nullopt) {
    write_file(folder_ / name, bytes);
    return import_package(catalog_, store(), folder_ / name, inf);
  }
  std::filesystem::path store() const { return folder_ / "store"; }
  size_t stored_files() const {
    if (!std::filesystem::exists(store())) return 0;
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(store()), {}));
  }
  std::vector<DriverOffer> offers(const char* id) { return catalog_.offers(id, "amd64", 10000); }

  qvserver::ScratchFolder folder_{"qv-server-test"};
  Catalog catalog_;
};

}  // namespace

TEST_F(PackageImport, ZipRecordsSizeMd5AndKeepsTheFile) {
  std::string zip = demo_package_zip(demo("PCI\\VEN_1&DEV_2"));
  auto result = import("net driver.zip", zip);
  EXPECT_FALSE(result.already_present);
  EXPECT_EQ(result.driver_count, 1u);
  EXPECT_EQ(result.package.file_name, "net driver.zip");
  EXPECT_EQ(result.package.size_kb, static_cast<std::int64_t>((zip.size() + 1023) / 1024));
  EXPECT_EQ(result.package.md5, md5_hex(zip));
  EXPECT_EQ(file_md5_hex(store() / result.package.stored_name), md5_hex(zip));
  ASSERT_EQ(offers("pci\\ven_1&dev_2").size(), 1u);
  EXPECT_EQ(offers("pci\\ven_1&dev_2")[0].version.text(), "2.1.0.0");

  auto again = import("copy.zip", zip);
  EXPECT_TRUE(again.already_present);
  EXPECT_EQ(again.package.id, result.package.id);
  EXPECT_EQ(stored_files(), 1u);
}

TEST_F(PackageImport, ExeMsiAndBareInf) {
  // A self-extracting exe: a program stub with the zip appended.
  auto exe = import("setup.exe", std::string(5000, 'M') + demo_package_zip(demo("PCI\\VEN_1&DEV_3")));
  EXPECT_EQ(exe.driver_count, 1u);
  EXPECT_EQ(offers("PCI\\VEN_1&DEV_3").size(), 1u);

  write_file(folder_ / "side.inf", demo_inf_text(demo("PCI\\VEN_1&DEV_4")));
  EXPECT_THROW(import("driver.msi", "not readable"), ImportError);
  import("driver.msi", "not readable", folder_ / "side.inf");
  EXPECT_EQ(offers("PCI\\VEN_1&DEV_4").size(), 1u);

  import("bare.inf", demo_inf_text(demo("PCI\\VEN_1&DEV_5")));
  EXPECT_EQ(offers("PCI\\VEN_1&DEV_5").size(), 1u);
  EXPECT_EQ(stored_files(), 3u);
}

TEST_F(PackageImport, RefusedPackagesChangeNothing) {
  std::string inf = demo_inf_text(demo("PCI\\VEN_9&DEV_9"));
  std::string good = demo_package_zip(demo("PCI\\VEN_9&DEV_9"));
  struct Case {
    const char* label;
    const char* name;
    std::string bytes;
    const char* message_part;
  };
  const Case cases[] = {
      {"parent escape", "a.zip", make_zip({{"driver/../../evil.inf", inf}}), "escapes"},
      {"absolute entry", "b.zip", make_zip({{"x.inf", inf}, {"/etc/cron.d/evil", "x"}}), "escapes"},
      {"drive letter", "c.zip", make_zip({{"x.inf", inf}, {"C:\\Windows\\evil.dll", "x"}}), "escapes"},
      {"backslash escape", "d.zip", make_zip({{"x.inf", inf}, {"sub\\..\\..\\evil", "x"}}), "escapes"},
      {"no INF", "e.zip", make_zip({{"readme.txt", "hello"}}), "no INF"},
      {"bad DriverVer", "f.zip", make_zip({{"drv/bad.inf", "[Version]\nDriverVer=yesterday\n"}}), "drv/bad.inf"},
      {"truncated zip", "g.zip", good.substr(0, good.size() - 30), "no INF"},
      {"damaged deflate", "h.zip", [&] {
         std::string bytes = good;
         bytes[60] = static_cast<char>(~bytes[60]);
         return bytes;
       }(), "driver"},
      {"empty file", "i.zip", "", "no INF"},
  };
  for (const auto& c : cases) {
    try {
      import(c.name, c.bytes);
      ADD_FAILURE() << "accepted: " << c.label;
    } catch (const ImportError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message_part), std::string::npos) << c.label << ": " << error.what();
    }
  }
  EXPECT_TRUE(offers("PCI\\VEN_9&DEV_9").empty());
  EXPECT_EQ(stored_files(), 0u);
}
