// Hardware facts of no machine: every query fails and the processor identifies as
// nothing, so that PC information built over it holds only what a table says.
#pragma once

#include "platform/hardware_facts.h"

class TNoHardwareFacts : public IHardwareFacts {
 public:
  uint32_t LastError() override { return ERROR_CALL_NOT_IMPLEMENTED; }
  bool GetLogicalProcessorInformationEx(uint32_t, uint8_t*, uint32_t*) override { return false; }
  bool GetLogicalProcessorInformation(uint8_t*, uint32_t*) override { return false; }
  bool GetProcessAffinityMask(uint64_t*, uint64_t*) override { return false; }
  uint32_t NumberOfProcessors() override { return 0; }
  bool GlobalMemoryStatusEx(TMemoryStatusEx*) override { return false; }
  TCpuidRegisters Cpuid(uint32_t, uint32_t) override { return {}; }
  uint64_t TimeStampCounter() override { return 0; }
  int64_t QueryPerformanceCounter() override { return 0; }
  int64_t QueryPerformanceFrequency() override { return 0; }
  void Sleep(uint32_t) override {}
};
