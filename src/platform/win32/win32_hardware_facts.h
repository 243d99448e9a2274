// Hardware-facts port over kernel32 (logical-processor information looked up at run
// time, affinity, system information, memory status, performance counter) and the
// CPUID and RDTSC instructions.
#pragma once

#include "platform/hardware_facts.h"

class TWin32HardwareFacts : public IHardwareFacts {
 public:
  uint32_t LastError() override;
  bool GetLogicalProcessorInformationEx(uint32_t relationship, uint8_t* buffer, uint32_t* returnedLength) override;
  bool GetLogicalProcessorInformation(uint8_t* buffer, uint32_t* returnedLength) override;
  bool GetProcessAffinityMask(uint64_t* processMask, uint64_t* systemMask) override;
  uint32_t NumberOfProcessors() override;
  bool GlobalMemoryStatusEx(TMemoryStatusEx* status) override;
  TCpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf) override;
  uint64_t TimeStampCounter() override;
  int64_t QueryPerformanceCounter() override;
  int64_t QueryPerformanceFrequency() override;
  void Sleep(uint32_t milliseconds) override;
};
