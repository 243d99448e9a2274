// Reads DriverVer, provider, class and the decorated model sections of one INF file.
#include "inf_driver.h"

#include <algorithm>
#include <map>

#include "ascii_text.h"
#include "os_target.h"
#include "package_error.h"

namespace qvserver {

namespace {

struct DecoratedSection {
  std::string section_name;
  Decoration decoration;
};

// The sections one manufacturer line names: the bare one and one per decoration.
std::vector<DecoratedSection> sections_of(const InfEntry& manufacturer) {
  std::vector<DecoratedSection> sections;
  const std::string& base = manufacturer.values.front();
  sections.push_back({base, *parse_decoration("")});
  for (size_t i = 1; i < manufacturer.values.size(); ++i) {
    const std::string& text = manufacturer.values[i];
    if (text.empty()) continue;
    auto decoration = parse_decoration(text);
    if (!decoration) throw ImportError("unknown target OS decoration \"" + text + "\" in [Manufacturer]");
    sections.push_back({base + "." + text, *decoration});
  }
  return sections;
}

void add_targets(const InfFile& inf, const InfEntry& manufacturer, std::vector<InfTarget>& targets) {
  if (manufacturer.values.empty() || manufacturer.values.front().empty()) return;
  std::map<std::string, std::vector<DecoratedSection>> by_architecture;
  for (auto& section : sections_of(manufacturer))
    by_architecture[section.decoration.architecture].push_back(std::move(section));

  for (auto& [architecture, sections] : by_architecture) {
    std::sort(sections.begin(), sections.end(),
              [](const auto& a, const auto& b) { return a.decoration.os_version < b.decoration.os_version; });
    for (size_t i = 0; i < sections.size(); ++i) {
      int os_min = sections[i].decoration.os_version;
      int os_max = kNoUpperBound;
      for (size_t k = i + 1; k < sections.size(); ++k) {
        if (sections[k].decoration.os_version > os_min) {
          os_max = sections[k].decoration.os_version;
          break;
        }
      }
      // model line: description = install-section, hardware-id [, compatible-id …]
      for (const auto& model : inf.section(sections[i].section_name)) {
        if (model.key.empty() || model.values.size() < 2 || model.values[1].empty()) continue;
        targets.push_back({model.values[1], architecture, os_min, os_max});
      }
    }
  }
}

}  // namespace

InfDriver read_inf_driver(const InfFile& inf) {
  InfDriver driver;
  std::string driver_ver;
  for (const auto& entry : inf.section("Version")) {
    if (!iequals(entry.key, "DriverVer")) continue;
    for (size_t i = 0; i < entry.values.size(); ++i) driver_ver += (i ? "," : "") + entry.values[i];
  }
  if (driver_ver.empty()) throw ImportError("the INF has no DriverVer in [Version]");
  auto parsed = parse_driver_ver(driver_ver);
  if (!parsed) throw ImportError("malformed DriverVer \"" + driver_ver + "\" (expected MM/DD/YYYY,w.x.y.z)");
  driver.date = parsed->date;
  driver.version = parsed->version;
  driver.provider = inf.value("Version", "Provider");
  driver.class_name = inf.value("Version", "Class");

  for (const auto& manufacturer : inf.section("Manufacturer")) add_targets(inf, manufacturer, driver.targets);
  if (driver.targets.empty()) throw ImportError("no model section of the INF lists a hardware id");
  return driver;
}

}  // namespace qvserver
