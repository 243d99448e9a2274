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

  RequestKeys(const MatchIndex& index, const ScanRequest& request) {
    std::size_t total = 0;
    for (const auto& device : request.devices) total += device.hardware_id.size();
    for (auto id : request.compatible_ids) total += id.size();
    text_.reserve(total);  // never grows past this, so the views into it stay valid
    keys_.reserve(request.devices.size() + request.compatible_ids.size());
    for (const auto& device : request.devices) {
      add(index, device.hardware_id);
      for (std::uint32_t i = 0; i < device.compatible_count; ++i)
        add(index, request.compatible_ids[device.first_compatible + i]);
    }
    judged_.resize(std::bit_ceil(request.devices.size() * 2 + 2));
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
                               const ScanDevice& device, const std::string& architecture, int os_version,
                               std::vector<const DriverOffer*>& found) {
  found.clear();
  for (std::uint32_t i = 0; found.empty() && i <= device.compatible_count; ++i) {
    const auto& key = keys[first + static_cast<std::size_t>(i)];
    if (!key.text.empty()) index.find(key.text, key.hash, architecture, os_version, found);
  }
  const DriverOffer* best = nullptr;
  for (const DriverOffer* offer : found) {
    if (!best || ranks_above(*offer, *best)) best = offer;
  }
  return best;
}

void put_varint(std::string& out, std::uint64_t value) {
  while (value >= 0x80) {
    out += static_cast<char>((value & 0x7F) | 0x80);
    value >>= 7;
  }
  out += static_cast<char>(value);
}

// A length-delimited field; an empty text is left out, as proto3 leaves it out.
void put_text(std::string& out, std::uint32_t number, std::string_view text) {
  if (text.empty()) return;
  put_varint(out, (std::uint64_t{number} << 3) | 2);
  put_varint(out, text.size());
  out.append(text);
}

void put_message(std::string& out, std::uint32_t number, std::string_view message) {
  put_varint(out, (std::uint64_t{number} << 3) | 2);
  put_varint(out, message.size());
  out.append(message);
}

}  // namespace

bool is_newer(const DriverOffer& offer, std::string_view installed_version, std::string_view installed_date) {
  DriverVersion installed = parse_driver_version(installed_version).value_or(DriverVersion{});
  if (offer.version != installed) return offer.version > installed;
  return offer.date > trim(installed_date);
}

std::string answer_scan(const MatchIndex& index, const ScanRequest& request, const DownloadLinkMaker& link) {
  std::string answer;
  auto architecture = request_architecture(request.os_architecture);
  if (!architecture) return answer;
  int os_version = request_os_version(request.os_version);

  RequestKeys keys(index, request);
  std::vector<const DriverOffer*> found;
  std::string entry;
  std::size_t next_key = 0;
  for (const auto& device : request.devices) {
    std::size_t first = next_key;
    next_key += 1 + device.compatible_count;
    std::string_view key = keys[first].text;
    if (key.empty() || !keys.first_sight(key)) continue;
    const DriverOffer* best = best_driver(index, keys, first, device, *architecture, os_version, found);
    if (!best || !is_newer(*best, device.driver_version, device.driver_date)) continue;
    // DeviceDriver's fields in number order, as libprotobuf writes them.
    entry.clear();
    put_text(entry, 1, device.hardware_id);
    put_text(entry, 2, best->date);
    put_text(entry, 3, best->version.text());
    put_text(entry, 4, best->inf_path);
    put_text(entry, 6, link(*best));
    put_text(entry, 8, device.device_name);
    put_text(entry, 9, best->class_name);
    put_text(entry, 10, std::to_string(best->size_kb));
    put_text(entry, 11, std::to_string(best->package_id));
    put_message(answer, 1, entry);
  }
  if (!answer.empty()) {
    entry.clear();
    put_text(entry, 1, request.os_name);
    put_text(entry, 2, request.os_version);
    put_text(entry, 3, request.os_architecture);
    put_message(answer, 2, entry);
  }
  return answer;
}

quorvane::Drivers answer_scan(const MatchIndex& index, const quorvane::Drivers& request,
                              const DownloadLinkMaker& link) {
  std::string body = request.SerializeAsString();
  ScanRequest read;
  quorvane::Drivers answer;
  if (read_scan_request(body, read) == ScanRead::ok) answer.ParseFromString(answer_scan(index, read, link));
  return answer;
}

}  // namespace qvserver
