// Hardware-facts port: what the operating system and the processor itself report
// about processors and memory: logical-processor information, the affinity mask,
// the processor count, the memory status, CPUID, and the two counters a clock
// measurement compares.
#pragma once

#include <cstdint>

#include "platform/win32_errors.h"

// LOGICAL_PROCESSOR_RELATIONSHIP values the program asks for.
constexpr uint32_t RELATION_PROCESSOR_CORE = 0;
constexpr uint32_t RELATION_ALL = 0xFFFF;

// SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX on 64-bit Windows: Relationship and Size,
// then for a processor core its PROCESSOR_RELATIONSHIP with GroupCount and the
// GROUP_AFFINITY array (an 8-byte mask, the group number, padding).
constexpr uint32_t LPI_EX_SIZE_OFFSET = 4;
constexpr uint32_t LPI_EX_GROUP_COUNT_OFFSET = 30;
constexpr uint32_t LPI_EX_GROUP_MASKS_OFFSET = 32;
constexpr uint32_t GROUP_AFFINITY_SIZE = 16;
// SYSTEM_LOGICAL_PROCESSOR_INFORMATION on 64-bit Windows: an 8-byte ProcessorMask,
// the Relationship, a 16-byte union; 32 bytes a record.
constexpr uint32_t LPI_RELATIONSHIP_OFFSET = 8;
constexpr uint32_t LPI_RECORD_SIZE = 32;

// MEMORYSTATUSEX, field for field; length must be its size (64).
struct TMemoryStatusEx {
  uint32_t length = sizeof(TMemoryStatusEx);
  uint32_t memoryLoad = 0;
  uint64_t totalPhys = 0;
  uint64_t availPhys = 0;
  uint64_t totalPageFile = 0;
  uint64_t availPageFile = 0;
  uint64_t totalVirtual = 0;
  uint64_t availVirtual = 0;
  uint64_t availExtendedVirtual = 0;
};

// The four registers CPUID answers.
struct TCpuidRegisters {
  uint32_t eax = 0;
  uint32_t ebx = 0;
  uint32_t ecx = 0;
  uint32_t edx = 0;
};

class IHardwareFacts {
 public:
  virtual ~IHardwareFacts() = default;
  // The last error of the calling thread (GetLastError).
  virtual uint32_t LastError() = 0;
  // GetLogicalProcessorInformationEx, looked up in kernel32 at run time (fails with
  // ERROR_PROC_NOT_FOUND where there is none). With a buffer too small: false,
  // ERROR_INSUFFICIENT_BUFFER and the length needed.
  virtual bool GetLogicalProcessorInformationEx(uint32_t relationship, uint8_t* buffer, uint32_t* returnedLength) = 0;
  // GetLogicalProcessorInformation, looked up the same way, with the same contract.
  virtual bool GetLogicalProcessorInformation(uint8_t* buffer, uint32_t* returnedLength) = 0;
  // GetProcessAffinityMask of the current process.
  virtual bool GetProcessAffinityMask(uint64_t* processMask, uint64_t* systemMask) = 0;
  // GetSystemInfo's dwNumberOfProcessors.
  virtual uint32_t NumberOfProcessors() = 0;
  // GlobalMemoryStatusEx; a length other than the structure's fails with ERROR_INVALID_PARAMETER.
  virtual bool GlobalMemoryStatusEx(TMemoryStatusEx* status) = 0;
  // The CPUID instruction for a leaf and subleaf.
  virtual TCpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf) = 0;
  // The processor's time-stamp counter (RDTSC).
  virtual uint64_t TimeStampCounter() = 0;
  // QueryPerformanceCounter and QueryPerformanceFrequency (counts a second).
  virtual int64_t QueryPerformanceCounter() = 0;
  virtual int64_t QueryPerformanceFrequency() = 0;
  // Sleep.
  virtual void Sleep(uint32_t milliseconds) = 0;
};
