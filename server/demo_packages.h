// Builds small driver packages (a generated INF and a payload file, zipped) for given
// hardware ids, for tests and for a demo catalog.
#pragma once

#include <string>
#include <vector>

namespace qvserver {

struct DemoDriver {
  std::vector<std::string> hardware_ids;
  std::string version = "99.0.0.0";
  std::string date = "2026-01-01";  // "yyyy-MM-dd"
  // Model-section decorations; each lists every hardware id. Empty: the bare section.
  std::vector<std::string> decorations = {"NTx86", "NTamd64", "NTarm64"};
  std::string class_name = "System";
  std::string provider = "Quorvane Demo";
};

std::string demo_inf_text(const DemoDriver& driver);
// Zip bytes holding "driver/quorvane_demo.inf" and "driver/quorvane_demo.sys".
std::string demo_package_zip(const DemoDriver& driver);
// A file name for a hardware id's package: unsafe characters become "-".
std::string demo_package_name(const std::string& hardware_id);

}  // namespace qvserver
