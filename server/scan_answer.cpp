// Answers a scan request with the newest matching driver per device.
#include "scan_answer.h"

#include <optional>
#include <set>

#include "ascii_text.h"
#include "os_target.h"

namespace qvserver {

namespace {

bool ranks_above(const DriverOffer& a, const DriverOffer& b) {
  if (a.version != b.version) return a.version > b.version;
  if (a.date != b.date) return a.date > b.date;
  return a.package_id > b.package_id;  // the later import wins a full tie
}

}  // namespace

bool is_newer(const DriverOffer& offer, const std::string& installed_version, const std::string& installed_date) {
  DriverVersion installed = parse_driver_version(installed_version).value_or(DriverVersion{});
  if (offer.version != installed) return offer.version > installed;
  return offer.date > trim(installed_date);
}

quorvane::Drivers answer_scan(Catalog& catalog, const quorvane::Drivers& request, const DownloadLinkMaker& link) {
  quorvane::Drivers answer;
  auto architecture = request_architecture(request.os().architecture());
  if (!architecture) return answer;
  int os_version = request_os_version(request.os().version());

  std::set<std::string> answered;
  for (const auto& device : request.driver()) {
    std::string key = ascii_lower(trim(device.hardware_id()));
    if (key.empty() || answered.contains(key)) continue;
    std::optional<DriverOffer> best;
    for (auto& offer : catalog.offers(key, *architecture, os_version)) {
      if (!is_newer(offer, device.driver_version(), device.driver_date())) continue;
      if (!best || ranks_above(offer, *best)) best = std::move(offer);
    }
    if (!best) continue;
    answered.insert(key);
    auto* entry = answer.add_driver();
    entry->set_hardware_id(device.hardware_id());
    entry->set_driver_date(best->date);
    entry->set_driver_version(best->version.text());
    entry->set_inf_file(best->inf_path);
    entry->set_download_url(link(*best));
    entry->set_device_name(device.device_name());
    entry->set_device_class(best->class_name);
    entry->set_driver_size(std::to_string(best->size_kb));
    entry->set_driver_id(std::to_string(best->package_id));
  }
  if (answer.driver_size() > 0) {
    answer.mutable_os()->set_name(request.os().name());
    answer.mutable_os()->set_version(request.os().version());
    answer.mutable_os()->set_architecture(request.os().architecture());
  }
  return answer;
}

}  // namespace qvserver
