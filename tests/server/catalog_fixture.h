// A catalog in a temporary folder filled from generated INF texts.
#pragma once

#include <string>

#include "catalog.h"
#include "demo_packages.h"
#include "inf_driver.h"
#include "scratch_folder.h"

class CatalogFixture {
 public:
  CatalogFixture() : catalog_((folder_ / "catalog.db").string()) {}

  // Adds a package holding one generated INF; returns its driver id.
  std::int64_t add(const qvserver::DemoDriver& driver, const std::string& file_name = "pkg.zip") {
    qvserver::PackageRecord record;
    record.file_name = file_name;
    record.size_kb = 12;
    record.md5 = std::to_string(++count_);  // unique, as the real MD5 would be
    qvserver::PackageInf inf{"driver/x.inf",
                             qvserver::read_inf_driver(qvserver::InfFile::parse(qvserver::demo_inf_text(driver)))};
    return catalog_.add_package(record, {inf}, [](const qvserver::PackageRecord&) {}).id;
  }

  qvserver::Catalog& catalog() { return catalog_; }
  const qvserver::ScratchFolder& folder() const { return folder_; }

 private:
  qvserver::ScratchFolder folder_{"qv-server-test"};
  qvserver::Catalog catalog_;
  int count_ = 0;
};
