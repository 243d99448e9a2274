#include "sysinfo/processor_facts.h"

#include <bit>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

namespace {

// A processor that adds logical processors between two calls gets a few more tries.
constexpr int BUFFER_ATTEMPTS = 4;
constexpr uint32_t INTEL_CACHE_PARAMETERS_LEAF = 4;
constexpr uint32_t EXTENDED_LEAVES = 0x80000000;
constexpr uint32_t BRAND_STRING_FIRST_LEAF = 0x80000002;
constexpr uint32_t BRAND_STRING_LAST_LEAF = 0x80000004;
constexpr uint32_t AMD_SIZE_LEAF = 0x80000008;
constexpr uint64_t MEGABYTE = 1048576;

uint64_t Read(const std::vector<uint8_t>& bytes, size_t at, size_t size) {
  uint64_t value = 0;
  for (size_t i = 0; i < size; ++i) value |= static_cast<uint64_t>(bytes[at + i]) << (8 * i);
  return value;
}

// The buffer-size loop of the logical-processor information calls.
std::optional<std::vector<uint8_t>> ReadInformation(IHardwareFacts& hardware,
                                                    const std::function<bool(uint8_t*, uint32_t*)>& call) {
  std::vector<uint8_t> buffer;
  for (int attempt = 0; attempt < BUFFER_ATTEMPTS; ++attempt) {
    auto length = static_cast<uint32_t>(buffer.size());
    if (call(buffer.empty() ? nullptr : buffer.data(), &length)) {
      if (length < buffer.size()) buffer.resize(length);
      return buffer;
    }
    if (hardware.LastError() != ERROR_INSUFFICIENT_BUFFER || length <= buffer.size()) return std::nullopt;
    buffer.assign(length, 0);
  }
  return std::nullopt;
}

// Processor-core records of SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX and their logical processors.
TProcessorCounts CountExtended(const std::vector<uint8_t>& records) {
  TProcessorCounts counts;
  for (size_t at = 0; at + LPI_EX_GROUP_COUNT_OFFSET + 2 <= records.size();) {
    const auto size = static_cast<size_t>(Read(records, at + LPI_EX_SIZE_OFFSET, 4));
    if (size < LPI_EX_GROUP_MASKS_OFFSET || at + size > records.size()) break;
    if (Read(records, at, 4) == RELATION_PROCESSOR_CORE) {
      ++counts.processorCores;
      const auto groups = static_cast<size_t>(Read(records, at + LPI_EX_GROUP_COUNT_OFFSET, 2));
      for (size_t group = 0; group < groups; ++group) {
        const size_t mask = at + LPI_EX_GROUP_MASKS_OFFSET + group * GROUP_AFFINITY_SIZE;
        if (mask + 8 > at + size) break;
        counts.logicalProcessors += static_cast<uint32_t>(std::popcount(Read(records, mask, 8)));
      }
    }
    at += size;
  }
  return counts;
}

// The same of SYSTEM_LOGICAL_PROCESSOR_INFORMATION's fixed-size records.
TProcessorCounts CountPlain(const std::vector<uint8_t>& records) {
  TProcessorCounts counts;
  for (size_t at = 0; at + LPI_RECORD_SIZE <= records.size(); at += LPI_RECORD_SIZE) {
    if (Read(records, at + LPI_RELATIONSHIP_OFFSET, 4) != RELATION_PROCESSOR_CORE) continue;
    ++counts.processorCores;
    counts.logicalProcessors += static_cast<uint32_t>(std::popcount(Read(records, at, 8)));
  }
  return counts;
}

std::string RegisterText(const TCpuidRegisters& r) {
  std::string text;
  for (uint32_t value : {r.eax, r.ebx, r.ecx, r.edx})
    for (int shift = 0; shift < 32; shift += 8) text += static_cast<char>(value >> shift);
  return text;
}

}  // namespace

TProcessorCounts CountProcessors(IHardwareFacts& hardware) {
  auto extended = ReadInformation(hardware, [&](uint8_t* buffer, uint32_t* length) {
    return hardware.GetLogicalProcessorInformationEx(RELATION_ALL, buffer, length);
  });
  if (extended) return CountExtended(*extended);
  auto plain = ReadInformation(hardware, [&](uint8_t* buffer, uint32_t* length) {
    return hardware.GetLogicalProcessorInformation(buffer, length);
  });
  if (plain) return CountPlain(*plain);
  uint64_t processMask = 0, systemMask = 0;
  if (hardware.GetProcessAffinityMask(&processMask, &systemMask))
    return {static_cast<uint32_t>(std::popcount(static_cast<uint32_t>(processMask))), 0};
  return {hardware.NumberOfProcessors(), 0};
}

std::string ProcessorBrandString(IHardwareFacts& hardware) {
  if (hardware.Cpuid(EXTENDED_LEAVES, 0).eax < BRAND_STRING_LAST_LEAF) return {};
  std::string brand;
  for (uint32_t leaf = BRAND_STRING_FIRST_LEAF; leaf <= BRAND_STRING_LAST_LEAF; ++leaf)
    brand += RegisterText(hardware.Cpuid(leaf, 0));
  brand.resize(brand.find('\0') == std::string::npos ? brand.size() : brand.find('\0'));
  const auto first = brand.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return brand.substr(first, brand.find_last_not_of(' ') - first + 1);
}

uint32_t CoresPerPackage(IHardwareFacts& hardware) {
  const TCpuidRegisters basic = hardware.Cpuid(0, 0);
  const std::string vendor = RegisterText({basic.ebx, basic.edx, basic.ecx, 0}).substr(0, 12);
  if (vendor == "GenuineIntel" && basic.eax >= INTEL_CACHE_PARAMETERS_LEAF)
    return (hardware.Cpuid(INTEL_CACHE_PARAMETERS_LEAF, 0).eax >> 26) + 1;
  if (vendor == "AuthenticAMD" && hardware.Cpuid(EXTENDED_LEAVES, 0).eax >= AMD_SIZE_LEAF)
    return (hardware.Cpuid(AMD_SIZE_LEAF, 0).ecx & 0xFF) + 1;
  return 0;
}

uint32_t MeasureClockMHz(IHardwareFacts& hardware) {
  const int64_t frequency = hardware.QueryPerformanceFrequency();
  if (frequency <= 0) return 0;
  const int64_t countBefore = hardware.QueryPerformanceCounter();
  const uint64_t stampBefore = hardware.TimeStampCounter();
  hardware.Sleep(CLOCK_MEASUREMENT_MS);
  const uint64_t stampAfter = hardware.TimeStampCounter();
  const int64_t countAfter = hardware.QueryPerformanceCounter();
  if (countAfter <= countBefore || stampAfter <= stampBefore) return 0;
  const double seconds = static_cast<double>(countAfter - countBefore) / static_cast<double>(frequency);
  return static_cast<uint32_t>(std::lround(static_cast<double>(stampAfter - stampBefore) / seconds / 1e6));
}

int64_t RoundToMegabytes(uint64_t bytes) {
  const uint64_t whole = bytes / MEGABYTE, rest = bytes % MEGABYTE;
  const bool up = rest * 2 > MEGABYTE || (rest * 2 == MEGABYTE && whole % 2 == 1);
  return static_cast<int64_t>(whole + (up ? 1 : 0));
}

int64_t OsPhysicalMemoryMB(IHardwareFacts& hardware) {
  TMemoryStatusEx status;
  if (!hardware.GlobalMemoryStatusEx(&status)) return 0;
  return RoundToMegabytes(status.totalPhys);
}
