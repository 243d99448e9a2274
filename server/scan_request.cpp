// Reads a scan request's protobuf wire format in place.
#include "scan_request.h"

#include <cstring>

namespace qvserver {

namespace {

constexpr std::uint32_t kVarint = 0, kFixed64 = 1, kLengthDelimited = 2, kStartGroup = 3, kEndGroup = 4, kFixed32 = 5;
constexpr int kMaxGroupDepth = 100;  // as libprotobuf's recursion limit

bool is_utf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    // ASCII, nearly all of a scan's text, eight bytes at a time.
    std::uint64_t block = 0;
    while (end - p >= 8 && (std::memcpy(&block, p, 8), (block & 0x8080808080808080ULL) == 0)) p += 8;
    if (p == end) break;
    unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int extra = 0;
    std::uint32_t code = 0, least = 0;
    if ((c & 0xE0) == 0xC0) {
      extra = 1, code = c & 0x1F, least = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, code = c & 0x0F, least = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, code = c & 0x07, least = 0x10000;
    } else {
      return false;
    }
    if (end - p <= extra) return false;
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    p += extra + 1;
  }
  return true;
}

// One message's fields, in order.
class WireReader {
 public:
  explicit WireReader(std::string_view data) : p_(data.data()), end_(data.data() + data.size()) {}

  bool done() const { return p_ == end_; }

  // The next field's number and wire type; false when malformed.
  bool field(std::uint32_t& number, std::uint32_t& type) {
    std::uint64_t tag = 0;
    if (!varint(tag) || (tag >> 3) == 0 || (tag >> 3) > 0x1FFFFFFF) return false;
    number = static_cast<std::uint32_t>(tag >> 3);
    type = static_cast<std::uint32_t>(tag & 7);
    return true;
  }

  bool bytes(std::string_view& value) {
    std::uint64_t size = 0;
    if (!varint(size) || size > static_cast<std::uint64_t>(end_ - p_)) return false;
    value = std::string_view(p_, static_cast<std::size_t>(size));
    p_ += size;
    return true;
  }

  bool text(std::string_view& value) { return bytes(value) && is_utf8(value); }

  // Passes over a field the scan does not read; a group up to its end.
  bool skip(std::uint32_t type, std::uint32_t number, int depth = 0) {
    std::uint64_t ignored = 0;
    std::string_view ignored_bytes;
    switch (type) {
      case kVarint: return varint(ignored);
      case kFixed64: return advance(8);
      case kLengthDelimited: return bytes(ignored_bytes);
      case kFixed32: return advance(4);
      case kStartGroup:
        if (depth >= kMaxGroupDepth) return false;
        while (!done()) {
          std::uint32_t inner_number = 0, inner_type = 0;
          if (!field(inner_number, inner_type)) return false;
          if (inner_type == kEndGroup) return inner_number == number;
          if (!skip(inner_type, inner_number, depth + 1)) return false;
        }
        return false;
      default: return false;  // an end without its start, or no wire type at all
    }
  }

 private:
  bool varint(std::uint64_t& value) {
    value = 0;
    for (int shift = 0; shift < 64 && p_ < end_; shift += 7) {
      auto byte = static_cast<unsigned char>(*p_++);
      value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
      if ((byte & 0x80) == 0) return true;
    }
    return false;
  }
  bool advance(std::size_t size) {
    if (static_cast<std::size_t>(end_ - p_) < size) return false;
    p_ += size;
    return true;
  }

  const char* p_;
  const char* end_;
};

bool read_os(std::string_view data, ScanRequest& request) {
  WireReader reader(data);
  while (!reader.done()) {
    std::uint32_t number = 0, type = 0;
    if (!reader.field(number, type)) return false;
    std::string_view* target = nullptr;
    if (type == kLengthDelimited && number == 1) target = &request.os_name;
    if (type == kLengthDelimited && number == 2) target = &request.os_version;
    if (type == kLengthDelimited && number == 3) target = &request.os_architecture;
    if (target ? !reader.text(*target) : !reader.skip(type, number)) return false;
  }
  return true;
}

bool read_compatible(std::string_view data, std::string_view& id) {
  WireReader reader(data);
  while (!reader.done()) {
    std::uint32_t number = 0, type = 0;
    if (!reader.field(number, type)) return false;
    if (type == kLengthDelimited && number == 1 ? !reader.text(id) : !reader.skip(type, number)) return false;
  }
  return true;
}

ScanRead read_device(std::string_view data, ScanRequest& request) {
  if (request.devices.size() + request.compatible_ids.size() >= kMaxScanIds) return ScanRead::too_many_ids;
  ScanDevice device;
  device.first_compatible = static_cast<std::uint32_t>(request.compatible_ids.size());
  WireReader reader(data);
  while (!reader.done()) {
    std::uint32_t number = 0, type = 0;
    if (!reader.field(number, type)) return ScanRead::malformed;
    bool ok = true;
    if (type != kLengthDelimited) {
      ok = reader.skip(type, number);
    } else if (number == 12) {
      if (request.compatible_ids.size() - device.first_compatible >= kMaxCompatibleIdsPerDevice ||
          request.devices.size() + request.compatible_ids.size() + 1 >= kMaxScanIds)
        return ScanRead::too_many_ids;
      std::string_view message, id;
      ok = reader.bytes(message) && read_compatible(message, id);
      request.compatible_ids.push_back(id);
    } else {
      std::string_view value;
      ok = number <= 11 ? reader.text(value) : reader.bytes(value);  // fields 1 to 11 are strings
      if (number == 1) device.hardware_id = value;
      if (number == 2) device.driver_date = value;
      if (number == 3) device.driver_version = value;
      if (number == 8) device.device_name = value;
    }
    if (!ok) return ScanRead::malformed;
  }
  device.compatible_count = static_cast<std::uint32_t>(request.compatible_ids.size()) - device.first_compatible;
  request.devices.push_back(device);
  return ScanRead::ok;
}

}  // namespace

ScanRead read_scan_request(std::string_view body, ScanRequest& request) {
  request = ScanRequest{};
  WireReader reader(body);
  while (!reader.done()) {
    std::uint32_t number = 0, type = 0;
    if (!reader.field(number, type)) return ScanRead::malformed;
    std::string_view message;
    if (type == kLengthDelimited && number == 1) {
      if (!reader.bytes(message)) return ScanRead::malformed;
      if (auto read = read_device(message, request); read != ScanRead::ok) return read;
      continue;
    }
    bool ok = type == kLengthDelimited && number == 2 ? reader.bytes(message) && read_os(message, request)
                                                      : reader.skip(type, number);
    if (!ok) return ScanRead::malformed;
  }
  return ScanRead::ok;
}

}  // namespace qvserver
