#include "platform/sim/sim_hardware_facts.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t RELATION_PROCESSOR_PACKAGE = 3;

void Put(std::vector<uint8_t>& bytes, size_t at, uint64_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// One SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX record of a core or a package.
void AppendExtended(std::vector<uint8_t>& records, uint32_t relationship,
                    const std::vector<TSimHardwareFacts::TCore>& masks) {
  const size_t at = records.size();
  const size_t size = LPI_EX_GROUP_MASKS_OFFSET + GROUP_AFFINITY_SIZE * masks.size();
  records.resize(at + size);
  Put(records, at, relationship, 4);
  Put(records, at + LPI_EX_SIZE_OFFSET, size, 4);
  Put(records, at + LPI_EX_GROUP_COUNT_OFFSET, masks.size(), 2);
  for (size_t i = 0; i < masks.size(); ++i) {
    const size_t mask = at + LPI_EX_GROUP_MASKS_OFFSET + GROUP_AFFINITY_SIZE * i;
    Put(records, mask, masks[i].mask, 8);
    Put(records, mask + 8, masks[i].group, 2);
  }
}

// One SYSTEM_LOGICAL_PROCESSOR_INFORMATION record.
void AppendPlain(std::vector<uint8_t>& records, uint32_t relationship, uint64_t mask) {
  const size_t at = records.size();
  records.resize(at + LPI_RECORD_SIZE);
  Put(records, at, mask, 8);
  Put(records, at + LPI_RELATIONSHIP_OFFSET, relationship, 4);
}

}  // namespace

bool TSimHardwareFacts::Answer(const std::vector<uint8_t>& records, uint8_t* buffer, uint32_t* returnedLength) {
  if (returnedLength == nullptr) {
    m_lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  const auto needed = static_cast<uint32_t>(records.size());
  if (buffer == nullptr || *returnedLength < needed) {
    *returnedLength = needed;
    m_lastError = ERROR_INSUFFICIENT_BUFFER;
    return false;
  }
  std::memcpy(buffer, records.data(), records.size());
  *returnedLength = needed;
  return true;
}

bool TSimHardwareFacts::GetLogicalProcessorInformationEx(uint32_t relationship, uint8_t* buffer,
                                                         uint32_t* returnedLength) {
  if (!extendedInformation) {
    m_lastError = ERROR_PROC_NOT_FOUND;
    return false;
  }
  std::vector<uint8_t> records;
  if (relationship == RELATION_PROCESSOR_CORE || relationship == RELATION_ALL)
    for (const TCore& core : cores) AppendExtended(records, RELATION_PROCESSOR_CORE, {core});
  // The package lists every group the cores occupy, with their joined masks.
  if (relationship == RELATION_PROCESSOR_PACKAGE || relationship == RELATION_ALL) {
    std::vector<TCore> groups;
    for (const TCore& core : cores) {
      auto group = std::find_if(groups.begin(), groups.end(), [&](const TCore& g) { return g.group == core.group; });
      if (group == groups.end())
        groups.push_back(core);
      else
        group->mask |= core.mask;
    }
    AppendExtended(records, RELATION_PROCESSOR_PACKAGE, groups);
  }
  return Answer(records, buffer, returnedLength);
}

bool TSimHardwareFacts::GetLogicalProcessorInformation(uint8_t* buffer, uint32_t* returnedLength) {
  if (!plainInformation) {
    m_lastError = ERROR_PROC_NOT_FOUND;
    return false;
  }
  // Only the calling thread's group, group 0, is described.
  std::vector<uint8_t> records;
  uint64_t package = 0;
  for (const TCore& core : cores) {
    if (core.group != 0) continue;
    AppendPlain(records, RELATION_PROCESSOR_CORE, core.mask);
    package |= core.mask;
  }
  AppendPlain(records, RELATION_PROCESSOR_PACKAGE, package);
  return Answer(records, buffer, returnedLength);
}

bool TSimHardwareFacts::GetProcessAffinityMask(uint64_t* processMask, uint64_t* systemMask) {
  if (!processAffinity) {
    m_lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  *processMask = *processAffinity;
  *systemMask = *processAffinity;
  return true;
}

bool TSimHardwareFacts::GlobalMemoryStatusEx(TMemoryStatusEx* status) {
  if (status == nullptr || status->length != sizeof(TMemoryStatusEx) || !totalPhysicalMemory) {
    m_lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  *status = TMemoryStatusEx{};
  status->totalPhys = *totalPhysicalMemory;
  status->availPhys = *totalPhysicalMemory / 2;
  return true;
}

TCpuidRegisters TSimHardwareFacts::Cpuid(uint32_t leaf, uint32_t subleaf) {
  auto word = [](const std::string& text, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && at + i < text.size(); ++i)
      value |= static_cast<uint32_t>(static_cast<uint8_t>(text[at + i])) << (8 * i);
    return value;
  };
  const bool intel = vendor == "GenuineIntel";
  switch (leaf) {
    case 0:  // the highest basic leaf and the vendor in EBX, EDX, ECX
      return {intel ? 0x16u : 0x10u, word(vendor, 0), word(vendor, 8), word(vendor, 4)};
    case 4:  // Intel's deterministic cache parameters: cores per package less one in bits 31..26
      if (!intel || subleaf != 0) return {};
      return {((coresPerPackage - 1) << 26) | 0x121, 0, 0, 0};
    case 0x80000000:
      return {brand.empty() ? 0x80000001u : 0x80000008u, 0, 0, 0};
    case 0x80000002:
    case 0x80000003:
    case 0x80000004: {
      if (brand.empty()) return {};
      const size_t at = (leaf - 0x80000002) * 16;
      return {word(brand, at), word(brand, at + 4), word(brand, at + 8), word(brand, at + 12)};
    }
    case 0x80000008:  // AMD's core count less one in ECX bits 7..0
      return {0x3030, 0, intel ? 0 : (coresPerPackage - 1) & 0xFF, 0};
    default:
      return {};
  }
}

void TSimHardwareFacts::Sleep(uint32_t milliseconds) {
  sleptMilliseconds += milliseconds;
  m_performanceCount += performanceFrequency * milliseconds / 1000;
  m_timeStamp += static_cast<uint64_t>(clockMHz) * 1000 * milliseconds;
}
