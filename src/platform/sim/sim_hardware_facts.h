// Simulated processors and memory: the cores, masks, memory size and processor
// identification a test states, answered with Windows' buffer layouts and last
// errors; the counters advance only while the program sleeps, at the stated clock.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/hardware_facts.h"

class TSimHardwareFacts : public IHardwareFacts {
 public:
  // One processor core: its processor group and the mask of its logical processors.
  struct TCore {
    uint16_t group = 0;
    uint64_t mask = 0;
  };

  // Six cores of two logical processors each in group 0.
  std::vector<TCore> cores = {{0, 0x003}, {0, 0x00C}, {0, 0x030}, {0, 0x0C0}, {0, 0x300}, {0, 0xC00}};
  bool extendedInformation = true;  // kernel32 has GetLogicalProcessorInformationEx
  bool plainInformation = true;     // and GetLogicalProcessorInformation
  std::optional<uint64_t> processAffinity = 0xFFF;  // none: GetProcessAffinityMask fails
  uint32_t numberOfProcessors = 12;
  std::optional<uint64_t> totalPhysicalMemory = 17094877184;  // none: GlobalMemoryStatusEx fails
  std::string vendor = "AuthenticAMD";
  std::string brand = "AMD Ryzen 5 3600 6-Core Processor              ";  // up to 48 bytes
  uint32_t coresPerPackage = 6;
  uint32_t clockMHz = 3600;
  int64_t performanceFrequency = 10000000;
  uint32_t sleptMilliseconds = 0;

  uint32_t LastError() override { return m_lastError; }
  bool GetLogicalProcessorInformationEx(uint32_t relationship, uint8_t* buffer, uint32_t* returnedLength) override;
  bool GetLogicalProcessorInformation(uint8_t* buffer, uint32_t* returnedLength) override;
  bool GetProcessAffinityMask(uint64_t* processMask, uint64_t* systemMask) override;
  uint32_t NumberOfProcessors() override { return numberOfProcessors; }
  bool GlobalMemoryStatusEx(TMemoryStatusEx* status) override;
  TCpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf) override;
  uint64_t TimeStampCounter() override { return m_timeStamp; }
  int64_t QueryPerformanceCounter() override { return m_performanceCount; }
  int64_t QueryPerformanceFrequency() override { return performanceFrequency; }
  void Sleep(uint32_t milliseconds) override;

 private:
  bool Answer(const std::vector<uint8_t>& records, uint8_t* buffer, uint32_t* returnedLength);

  uint32_t m_lastError = ERROR_SUCCESS;
  uint64_t m_timeStamp = 0x1234567;
  int64_t m_performanceCount = 0x7654321;
};
