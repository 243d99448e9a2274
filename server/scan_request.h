// The scan request (a Drivers message) read in place: the fields a scan answer needs, as
// views into the request body, without a copy per string. Malformed wire data and text
// that is not UTF-8 are refused, as libprotobuf refuses them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qvserver {

struct ScanDevice {
  std::string_view hardware_id;
  std::string_view driver_date;
  std::string_view driver_version;
  std::string_view device_name;
  std::uint32_t first_compatible = 0;  // into ScanRequest::compatible_ids
  std::uint32_t compatible_count = 0;
};

struct ScanRequest {
  std::string_view os_name;
  std::string_view os_version;
  std::string_view os_architecture;
  std::vector<ScanDevice> devices;
  std::vector<std::string_view> compatible_ids;  // each device's, in its order
};

// A scan's memory grows with the number of ids, many times the two bytes an empty id
// takes on the wire: a request naming far more ids than any PC has is refused as soon as
// it passes a limit, whatever the body limit allows.
constexpr std::size_t kMaxCompatibleIdsPerDevice = 64;
constexpr std::size_t kMaxScanIds = 200000;  // hardware ids and compatible ids together

enum class ScanRead {
  ok,
  malformed,     // not a Drivers message
  too_many_ids,  // past one of the limits above
};

// Fills request from body (which must outlive it).
ScanRead read_scan_request(std::string_view body, ScanRequest& request);

}  // namespace qvserver
