// Answers a scan request with the best-ranked newer driver per device.
#include "scan_answer.h"

#include <unordered_set>
#include <vector>

#include "ascii_text.h"
#include "os_target.h"

namespace qvserver {

namespace {

// Among drivers of the same id rank: newest version, then date, then the later import.
bool ranks_above(const DriverOffer& a, const DriverOffer& b) {
  if (a.version != b.version) return a.version > b.version;
  if (a.date != b.date) return a.date > b.date;
  return a.package_id > b.package_id;
}

// The best-ranked driver for the device's ids in order (hardware id, then compatible ids):
// the drivers of the first id that has any, the newest of them.
const DriverOffer* best_driver(const MatchIndex& index, const std::string& hardware_key,
                               const quorvane::DeviceDriver& device, const std::string& architecture, int os_version,
                               std::vector<const DriverOffer*>& found) {
  found.clear();
  index.find(hardware_key, architecture, os_version, found);
  for (int i = 0; found.empty() && i < device.compatids_size(); ++i) {
    std::string key = ascii_lower(trim(device.compatids(i).compatid()));
    if (!key.empty()) index.find(key, architecture, os_version, found);
  }
  const DriverOffer* best = nullptr;
  for (const DriverOffer* offer : found) {
    if (!best || ranks_above(*offer, *best)) best = offer;
  }
  return best;
}

}  // namespace

bool is_newer(const DriverOffer& offer, const std::string& installed_version, const std::string& installed_date) {
  DriverVersion installed = parse_driver_version(installed_version).value_or(DriverVersion{});
  if (offer.version != installed) return offer.version > installed;
  return offer.date > trim(installed_date);
}

quorvane::Drivers answer_scan(const MatchIndex& index, const quorvane::Drivers& request,
                              const DownloadLinkMaker& link) {
  quorvane::Drivers answer;
  auto architecture = request_architecture(request.os().architecture());
  if (!architecture) return answer;
  int os_version = request_os_version(request.os().version());

  std::unordered_set<std::string> judged;
  std::vector<const DriverOffer*> found;
  for (const auto& device : request.driver()) {
    std::string key = ascii_lower(trim(device.hardware_id()));
    if (key.empty() || !judged.insert(key).second) continue;
    const DriverOffer* best = best_driver(index, key, device, *architecture, os_version, found);
    if (!best || !is_newer(*best, device.driver_version(), device.driver_date())) continue;
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
