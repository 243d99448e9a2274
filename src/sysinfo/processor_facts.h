// What the operating system and the processor's identification say about the
// processors and memory, each with its fall-backs; nothing here raises.
#pragma once

#include <cstdint>
#include <string>

#include "platform/hardware_facts.h"

struct TProcessorCounts {
  uint32_t logicalProcessors = 0;
  uint32_t processorCores = 0;  // 0 when neither logical-processor information answers
};

// Logical processors: the set bits of the processor-core entries' masks of the
// extended, else the plain logical-processor information, else of the process's
// affinity mask (low 32 bits), else the system's processor count. Cores: the number
// of processor-core entries of the extended, else the plain information.
TProcessorCounts CountProcessors(IHardwareFacts& hardware);
// CPUID's brand string: at most 48 bytes, up to its first NUL, blanks trimmed; empty
// when the processor has none.
std::string ProcessorBrandString(IHardwareFacts& hardware);
// Cores per package from the vendor's own leaf (Intel: leaf 4; AMD: leaf 80000008h);
// 0 for another vendor or a processor without that leaf.
uint32_t CoresPerPackage(IHardwareFacts& hardware);
// The time-stamp counter's rate in MHz over a sleep of CLOCK_MEASUREMENT_MS against
// the performance counter; 0 when the counters do not advance.
constexpr uint32_t CLOCK_MEASUREMENT_MS = 20;
uint32_t MeasureClockMHz(IHardwareFacts& hardware);
// Total physical memory in MB, rounded half to even; 0 when the query fails.
int64_t OsPhysicalMemoryMB(IHardwareFacts& hardware);
// bytes / 1048576, rounded to the nearest integer, halves to even.
int64_t RoundToMegabytes(uint64_t bytes);
