// Answers a scan request with the best-ranked newer driver per device.
#include "scan_answer.h"

#include <bit>
#include <functional>
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

// Every id of a request (each device's hardware id, then its compatible ids) lower-cased
// and trimmed, with its hash, in request order. Reading them all first lets the index's
// entries for all of them be fetched from memory at once. Also remembers which hardware
// ids were already judged.
class RequestKeys {
 public:
  struct Key {
    std::string_view text;
    std::uint64_t hash = 0;
  };

  RequestKeys(const MatchIndex& index, const quorvane::Drivers& request) {
    std::size_t total = 0, count = 0;
    for (const auto& device : request.driver()) {
      total += device.hardware_id().size();
      for (const auto& compatible : device.compatids()) total += compatible.compatid().size();
      count += 1 + static_cast<std::size_t>(device.compatids_size());
    }
    text_.reserve(total);  // never grows past this, so the views into it stay valid
    keys_.reserve(count);
    for (const auto& device : request.driver()) {
      add(index, device.hardware_id());
      for (const auto& compatible : device.compatids()) add(index, compatible.compatid());
    }
    judged_.resize(std::bit_ceil(static_cast<std::size_t>(request.driver_size()) * 2 + 2));
  }

  // The keys in request order: per device its hardware id, then its compatible ids.
  const Key& operator[](std::size_t at) const { return keys_[at]; }

  // True the first time a hardware id is seen in the request.
  bool first_sight(std::string_view key) {
    const std::size_t mask = judged_.size() - 1;
    for (std::size_t at = std::hash<std::string_view>{}(key) & mask;; at = (at + 1) & mask) {
      if (judged_[at].data() == nullptr) {
        judged_[at] = key;
        return true;
      }
      if (judged_[at] == key) return false;
    }
  }

 private:
  void add(const MatchIndex& index, std::string_view id) {
    id = trim(id);
    std::size_t offset = text_.size();
    text_.append(id);
    for (std::size_t i = offset; i < text_.size(); ++i)
      if (text_[i] >= 'A' && text_[i] <= 'Z') text_[i] = static_cast<char>(text_[i] - 'A' + 'a');
    Key key{std::string_view(text_).substr(offset, id.size()), 0};
    if (!key.text.empty()) {
      key.hash = MatchIndex::hash(key.text);
      index.prefetch(key.hash);
    }
    keys_.push_back(key);
  }

  std::string text_;
  std::vector<Key> keys_;
  std::vector<std::string_view> judged_;  // open-addressed; a null view is an empty slot
};

// The best-ranked driver for the device's ids in order (hardware id, then compatible ids):
// the drivers of the first id that has any, the newest of them. first is the device's
// hardware id among keys.
const DriverOffer* best_driver(const MatchIndex& index, const RequestKeys& keys, std::size_t first,
                               const quorvane::DeviceDriver& device, const std::string& architecture, int os_version,
                               std::vector<const DriverOffer*>& found) {
  found.clear();
  for (int i = 0; found.empty() && i <= device.compatids_size(); ++i) {
    const auto& key = keys[first + static_cast<std::size_t>(i)];
    if (!key.text.empty()) index.find(key.text, key.hash, architecture, os_version, found);
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
  answer_scan(index, request, link, answer);
  return answer;
}

void answer_scan(const MatchIndex& index, const quorvane::Drivers& request, const DownloadLinkMaker& link,
                 quorvane::Drivers& answer) {
  auto architecture = request_architecture(request.os().architecture());
  if (!architecture) return;
  int os_version = request_os_version(request.os().version());

  RequestKeys keys(index, request);
  std::vector<const DriverOffer*> found;
  std::size_t next_key = 0;
  for (const auto& device : request.driver()) {
    std::size_t first = next_key;
    next_key += 1 + static_cast<std::size_t>(device.compatids_size());
    std::string_view key = keys[first].text;
    if (key.empty() || !keys.first_sight(key)) continue;
    const DriverOffer* best = best_driver(index, keys, first, device, *architecture, os_version, found);
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
}

}  // namespace qvserver
