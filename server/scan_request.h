// The scan request (a Drivers message) read in place: the fields a scan answer needs, as
// views into the request body, without a copy per string. Malformed wire data and text
// that is not UTF-8 are refused, as libprotobuf refuses them.
#pragma once

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

// Fills request from body (which must outlive it); false when body is not a Drivers message.
bool read_scan_request(std::string_view body, ScanRequest& request);

}  // namespace qvserver
