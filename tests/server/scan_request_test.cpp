// The scan request read in place: what libprotobuf writes is read field for field;
// malformed wire data and text that is not UTF-8 are refused.
#include <gtest/gtest.h>

#include <random>

#include "quorvane.pb.h"
#include "scan_request.h"

using namespace qvserver;

TEST(ScanRequestReading, ReadsWhatLibprotobufWrites) {
  quorvane::Drivers message;
  message.mutable_os()->set_name("Windows");
  message.mutable_os()->set_version("10.0.0");
  message.mutable_os()->set_architecture("amd64");
  auto* first = message.add_driver();
  first->set_hardware_id("PCI\\VEN_10EC&DEV_8168");
  first->set_driver_date("2020-01-01");
  first->set_driver_version("1.0.0.0");
  first->set_device_name("Caf\xC3\xA9 NIC");
  first->set_inf_section("skipped");
  first->add_compatids()->set_compatid("PCI\\CC_0200");
  first->add_compatids()->set_compatid("PCI\\CC_02");
  message.add_driver()->set_hardware_id("USB\\ROOT_HUB30");
  std::string body = message.SerializeAsString();

  ScanRequest request;
  ASSERT_EQ(read_scan_request(body, request), ScanRead::ok);
  EXPECT_EQ(request.os_name, "Windows");
  EXPECT_EQ(request.os_version, "10.0.0");
  EXPECT_EQ(request.os_architecture, "amd64");
  ASSERT_EQ(request.devices.size(), 2u);
  EXPECT_EQ(request.devices[0].hardware_id, "PCI\\VEN_10EC&DEV_8168");
  EXPECT_EQ(request.devices[0].driver_date, "2020-01-01");
  EXPECT_EQ(request.devices[0].driver_version, "1.0.0.0");
  EXPECT_EQ(request.devices[0].device_name, "Caf\xC3\xA9 NIC");
  ASSERT_EQ(request.devices[0].compatible_count, 2u);
  EXPECT_EQ(request.compatible_ids[request.devices[0].first_compatible + 1], "PCI\\CC_02");
  EXPECT_EQ(request.devices[1].hardware_id, "USB\\ROOT_HUB30");
  EXPECT_EQ(request.devices[1].compatible_count, 0u);
  // Unknown fields of every wire type, a group among them, are passed over.
  std::string unknown = body + std::string("\x18\x05\x21" "12345678" "\x2d" "1234" "\x33\x08\x01\x34", 20);
  quorvane::Drivers reference;
  ASSERT_TRUE(reference.ParseFromString(unknown));
  ASSERT_EQ(read_scan_request(unknown, request), ScanRead::ok);
  EXPECT_EQ(request.devices.size(), 2u);
  EXPECT_EQ(read_scan_request("", request), ScanRead::ok);  // an empty message is a request of no devices
  EXPECT_TRUE(request.devices.empty());
}

TEST(ScanRequestReading, RefusesWhatLibprotobufRefuses) {
  quorvane::Drivers message;
  message.add_driver()->set_hardware_id("PCI\\VEN_10EC&DEV_8168");
  const std::string good = message.SerializeAsString();
  struct Case {
    const char* label;
    std::string body;
  };
  const Case cases[] = {
      {"cut inside a device", good.substr(0, good.size() - 3)},
      {"length beyond the end", std::string("\x0a\x7f", 2)},
      {"varint never ends", std::string(11, '\xff')},
      {"field number 0", std::string("\x02\x00", 2)},
      {"group never ends", std::string("\x1b\x08\x01", 3)},
      {"group ends as another", std::string("\x1b\x24", 2)},
      {"end without a start", std::string("\x0c", 1)},
      {"hardware id not UTF-8", std::string("\x0a\x04\x0a\x02\xc3\x28", 6)},
      {"overlong UTF-8", std::string("\x0a\x04\x0a\x02\xc0\xaf", 6)},
      {"surrogate as UTF-8", std::string("\x0a\x05\x0a\x03\xed\xa0\x80", 7)},
  };
  for (const auto& c : cases) {
    quorvane::Drivers reference;
    EXPECT_FALSE(reference.ParseFromString(c.body)) << c.label << " (libprotobuf)";
    ScanRequest request;
    EXPECT_EQ(read_scan_request(c.body, request), ScanRead::malformed) << c.label;
  }
}

namespace {

void put_varint(std::string& out, std::size_t value) {
  for (; value >= 0x80; value >>= 7) out += static_cast<char>((value & 0x7F) | 0x80);
  out += static_cast<char>(value);
}

// Devices with an empty hardware id and empty compatible ids: the most ids a body of its
// size can name, two bytes each.
std::string tiny_ids(std::size_t devices, std::size_t compatible_per_device) {
  std::string device;
  for (std::size_t i = 0; i < compatible_per_device; ++i) device += std::string("\x62\x00", 2);
  std::string body;
  body.reserve(devices * (device.size() + 4));
  for (std::size_t i = 0; i < devices; ++i) {
    body += '\x0a';
    put_varint(body, device.size());
    body += device;
  }
  return body;
}

}  // namespace

TEST(ScanRequestReading, RefusesMoreIdsThanTheLimitsBeforeReadingThemAll) {
  struct Case {
    std::size_t devices;
    std::size_t compatible_per_device;
    ScanRead expected;
  };
  constexpr std::size_t kPerDevice = kMaxCompatibleIdsPerDevice;
  const Case cases[] = {
      {1, kPerDevice, ScanRead::ok},
      {1, kPerDevice + 1, ScanRead::too_many_ids},
      {1, 4'000'000, ScanRead::too_many_ids},  // an 8 MB body of one device
      {kMaxScanIds, 0, ScanRead::ok},
      {kMaxScanIds + 1, 0, ScanRead::too_many_ids},
      {kMaxScanIds / 50, 49, ScanRead::ok},
      {kMaxScanIds / 50 + 1, 49, ScanRead::too_many_ids},
      {100'000, kPerDevice, ScanRead::too_many_ids},  // 13 MB of ids within the default body limit
  };
  for (const auto& c : cases) {
    ScanRequest request;
    EXPECT_EQ(read_scan_request(tiny_ids(c.devices, c.compatible_per_device), request), c.expected)
        << c.devices << " devices of " << c.compatible_per_device;
    // What was kept before the refusal stays within the limits too.
    EXPECT_LE(request.devices.size() + request.compatible_ids.size(), kMaxScanIds);
    if (c.expected == ScanRead::ok) {
      EXPECT_EQ(request.devices.size(), c.devices);
    }
  }
}

// Bytes of a real request overwritten at repeatable pseudo-random offsets, some bodies also cut
// short: for each, our reader and libprotobuf both take it or both refuse it, and take
// the same devices.
TEST(ScanRequestReading, AgreesWithLibprotobufOnDamagedRequests) {
  quorvane::Drivers message;
  message.mutable_os()->set_version("10.0.0");
  for (int i = 0; i < 8; ++i) {
    auto* device = message.add_driver();
    device->set_hardware_id("PCI\\VEN_10EC&DEV_81" + std::to_string(60 + i));
    device->set_driver_version("1.0.0." + std::to_string(i));
    device->add_compatids()->set_compatid("PCI\\CC_0200");
  }
  const std::string good = message.SerializeAsString();
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::string body = good;
    for (int damage = 1 + static_cast<int>(random() % 3); damage > 0; --damage)
      body[random() % body.size()] = static_cast<char>(random());
    if (round % 4 == 0) body.resize(random() % body.size());
    quorvane::Drivers reference;
    bool expected = reference.ParseFromString(body);
    ScanRequest request;
    ASSERT_EQ(read_scan_request(body, request) == ScanRead::ok, expected) << "round " << round;
    if (!expected) continue;
    ASSERT_EQ(request.devices.size(), static_cast<std::size_t>(reference.driver_size())) << "round " << round;
    for (int i = 0; i < reference.driver_size(); ++i) {
      ASSERT_EQ(request.devices[i].hardware_id, reference.driver(i).hardware_id()) << "round " << round;
      ASSERT_EQ(request.devices[i].compatible_count, static_cast<std::uint32_t>(reference.driver(i).compatids_size()));
    }
  }
}
