// Answers a scan request with the best-ranked newer driver per device.
#include "scan_answer.h"

#include <array>
#include <charconv>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "ascii_text.h"
#include "os_target.h"
#include "seen_ids.h"

namespace qvserver {

namespace {

// Among drivers of the same id rank: newest version, then date, then the later import.
bool ranks_above(const DriverOffer& a, const DriverOffer& b) {
  if (a.version != b.version) return a.version > b.version;
  if (a.date != b.date) return a.date > b.date;
  return a.package_id > b.package_id;
}

// Copies text to out with its ASCII letters lower-cased, as ascii_lower does, eight bytes
// at a time.
void copy_lower_ascii(std::string_view text, char* out) {
  constexpr std::uint64_t kEach = 0x0101010101010101ULL;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t block = 0;
    std::memcpy(&block, text.data() + i, 8);
    const std::uint64_t low7 = block & (0x7F * kEach);
    const std::uint64_t from_a = low7 + (0x80 - 'A') * kEach;       // top bit set from 'A' up
    const std::uint64_t past_z = low7 + (0x80 - 'Z' - 1) * kEach;   // top bit set past 'Z'
    block |= (from_a & ~past_z & ~block & (0x80 * kEach)) >> 2;  // 0x20 on each upper-case letter
    std::memcpy(out + i, &block, 8);
  }
  for (; i < text.size(); ++i)
    out[i] = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
}

// Every id of a request (each device's hardware id, then its compatible ids) lower-cased
// and trimmed, with its hash and index entry, in request order. Each lookup step is taken
// for all of them before the next, so the index's filter words, then its slots, then its
// entries, then their drivers are fetched from memory at once rather than one id after
// another. Also remembers which hardware ids were already judged.
class RequestKeys {
 public:
  struct Key {
    std::string_view text;
    std::uint64_t hash = 0;
    bool maybe_known = false;  // let through by the index's filter
    std::uint32_t entry = 0;   // in the index; 0: the catalog does not know the id
  };

  RequestKeys(const MatchIndex& index, const ScanRequest& request) : judged_(request.devices.size()) {
    std::size_t total = 0;
    for (const auto& device : request.devices) total += device.hardware_id.size();
    for (auto id : request.compatible_ids) total += id.size();
    text_ = std::make_unique_for_overwrite<char[]>(total);
    keys_.reserve(request.devices.size() + request.compatible_ids.size());
    for (const auto& device : request.devices) {
      add(index, device.hardware_id);
      for (std::uint32_t i = 0; i < device.compatible_count; ++i)
        add(index, request.compatible_ids[device.first_compatible + i]);
    }
    for (auto& key : keys_) key.maybe_known = !key.text.empty() && index.screen(key.hash);
    for (auto& key : keys_) {
      if (key.maybe_known) key.entry = index.probe(key.hash);
    }
    for (auto& key : keys_) key.entry = index.resolve(key.text, key.hash, key.entry);
  }

  // The keys in request order: per device its hardware id, then its compatible ids.
  const Key& operator[](std::size_t at) const { return keys_[at]; }

  // True the first time a hardware id is seen in the request.
  bool first_sight(const Key& key) { return judged_.first_sight(key.text, key.hash); }

 private:
  void add(const MatchIndex& index, std::string_view id) {
    id = trim(id);
    char* text = text_.get() + text_size_;
    copy_lower_ascii(id, text);
    text_size_ += id.size();
    Key& key = keys_.emplace_back();  // filled in place: the keys fill many cache lines
    key.text = std::string_view(text, id.size());
    if (!key.text.empty()) {
      key.hash = MatchIndex::hash(key.text);
      index.prefetch(key.hash);
    }
  }

  std::unique_ptr<char[]> text_;  // every id, lower-cased, one after another
  std::size_t text_size_ = 0;
  std::vector<Key> keys_;
  SeenIds judged_;
};

// The best-ranked driver for the device's ids in order (hardware id, then compatible ids):
// the drivers of the first id that has any, the newest of them. first is the device's
// hardware id among keys.
const DriverOffer* best_driver(const MatchIndex& index, const RequestKeys& keys, std::size_t first,
                               const ScanDevice& device, std::uint32_t architecture, int os_version,
                               std::vector<const DriverOffer*>& found) {
  found.clear();
  for (std::uint32_t i = 0; found.empty() && i <= device.compatible_count; ++i) {
    const auto& key = keys[first + static_cast<std::size_t>(i)];
    index.offers(key.entry, architecture, os_version, found);
  }
  const DriverOffer* best = nullptr;
  for (const DriverOffer* offer : found) {
    if (!best || ranks_above(*offer, *best)) best = offer;
  }
  return best;
}

std::size_t varint_size(std::uint64_t value) {
  std::size_t size = 1;
  for (; value >= 0x80; value >>= 7) ++size;
  return size;
}

char* write_varint(char* out, std::uint64_t value) {
  for (; value >= 0x80; value >>= 7) *out++ = static_cast<char>((value & 0x7F) | 0x80);
  *out++ = static_cast<char>(value);
  return out;
}

constexpr std::uint64_t length_delimited(std::uint32_t number) { return (std::uint64_t{number} << 3) | 2; }

struct TextField {
  std::uint32_t number;
  std::string_view text;  // empty: left out, as proto3 leaves it out
};

// Appends a message field of text fields, sized first and then written in place once.
void put_message(std::string& out, std::uint32_t number, std::initializer_list<TextField> fields) {
  std::size_t inner = 0;
  for (const auto& field : fields) {
    if (!field.text.empty())
      inner += varint_size(length_delimited(field.number)) + varint_size(field.text.size()) + field.text.size();
  }
  std::size_t at = out.size();
  out.resize(at + varint_size(length_delimited(number)) + varint_size(inner) + inner);
  char* p = write_varint(write_varint(out.data() + at, length_delimited(number)), inner);
  for (const auto& field : fields) {
    if (field.text.empty()) continue;
    p = write_varint(write_varint(p, length_delimited(field.number)), field.text.size());
    std::memcpy(p, field.text.data(), field.text.size());
    p += field.text.size();
  }
}

// A number as decimal text in buffer.
std::string_view decimal(std::int64_t value, std::array<char, 24>& buffer) {
  auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
  return {buffer.data(), static_cast<std::size_t>(end - buffer.data())};
}

}  // namespace

bool is_newer(const DriverOffer& offer, std::string_view installed_version, std::string_view installed_date) {
  DriverVersion installed = parse_driver_version(installed_version).value_or(DriverVersion{});
  if (offer.version != installed) return offer.version > installed;
  return offer.date > trim(installed_date);
}

std::string answer_scan(const MatchIndex& index, const ScanRequest& request, const DownloadLinkMaker& link) {
  std::string answer;
  auto architecture_name = request_architecture(request.os_architecture);
  if (!architecture_name) return answer;
  const std::uint32_t architecture = index.architecture_code(*architecture_name);
  int os_version = request_os_version(request.os_version);

  RequestKeys keys(index, request);
  std::vector<const DriverOffer*> found;
  std::array<char, 24> size_kb, package_id;
  std::string link_text;
  std::size_t next_key = 0;
  for (const auto& device : request.devices) {
    std::size_t first = next_key;
    next_key += 1 + device.compatible_count;
    const auto& key = keys[first];
    if (key.text.empty() || !keys.first_sight(key)) continue;
    const DriverOffer* best = best_driver(index, keys, first, device, architecture, os_version, found);
    if (!best || !is_newer(*best, device.driver_version, device.driver_date)) continue;
    link(*best, link_text);
    // DeviceDriver's fields in number order, as libprotobuf writes them.
    put_message(answer, 1,
                {{1, device.hardware_id},
                 {2, best->date},
                 {3, best->version.text()},
                 {4, best->inf_path},
                 {6, link_text},
                 {8, device.device_name},
                 {9, best->class_name},
                 {10, decimal(best->size_kb, size_kb)},
                 {11, decimal(best->package_id, package_id)}});
  }
  if (!answer.empty())
    put_message(answer, 2, {{1, request.os_name}, {2, request.os_version}, {3, request.os_architecture}});
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
