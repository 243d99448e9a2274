#include "platform/win32/win32_hardware_facts.h"

#include <windows.h>
#include <cpuid.h>
#include <x86intrin.h>

#include <cstddef>

// The buffer layouts the neutral side reads.
static_assert(offsetof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX, Size) == LPI_EX_SIZE_OFFSET);
static_assert(offsetof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX, Processor) +
                  offsetof(PROCESSOR_RELATIONSHIP, GroupCount) == LPI_EX_GROUP_COUNT_OFFSET);
static_assert(offsetof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX, Processor) +
                  offsetof(PROCESSOR_RELATIONSHIP, GroupMask) == LPI_EX_GROUP_MASKS_OFFSET);
static_assert(sizeof(GROUP_AFFINITY) == GROUP_AFFINITY_SIZE);
static_assert(offsetof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION, Relationship) == LPI_RELATIONSHIP_OFFSET);
static_assert(sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION) == LPI_RECORD_SIZE);
static_assert(sizeof(MEMORYSTATUSEX) == sizeof(TMemoryStatusEx));
static_assert(RelationProcessorCore == RELATION_PROCESSOR_CORE && RelationAll == RELATION_ALL);

namespace {

using TGetLogicalProcessorInformationEx = BOOL(WINAPI*)(LOGICAL_PROCESSOR_RELATIONSHIP,
                                                        PSYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX, PDWORD);
using TGetLogicalProcessorInformation = BOOL(WINAPI*)(PSYSTEM_LOGICAL_PROCESSOR_INFORMATION, PDWORD);

// A kernel32 function by name; null, with ERROR_PROC_NOT_FOUND, where this Windows has none.
template <typename TFunction>
TFunction Kernel32Function(const char* name) {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");  // always loaded, from the system folder
  auto function = kernel32 ? reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(kernel32, name)))
                           : nullptr;
  if (function == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
  return function;
}

}  // namespace

uint32_t TWin32HardwareFacts::LastError() { return GetLastError(); }

bool TWin32HardwareFacts::GetLogicalProcessorInformationEx(uint32_t relationship, uint8_t* buffer,
                                                           uint32_t* returnedLength) {
  auto function = Kernel32Function<TGetLogicalProcessorInformationEx>("GetLogicalProcessorInformationEx");
  if (function == nullptr) return false;
  DWORD length = *returnedLength;
  const BOOL done = function(static_cast<LOGICAL_PROCESSOR_RELATIONSHIP>(relationship),
                             reinterpret_cast<PSYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX>(buffer), &length);
  *returnedLength = length;
  return done != FALSE;
}

bool TWin32HardwareFacts::GetLogicalProcessorInformation(uint8_t* buffer, uint32_t* returnedLength) {
  auto function = Kernel32Function<TGetLogicalProcessorInformation>("GetLogicalProcessorInformation");
  if (function == nullptr) return false;
  DWORD length = *returnedLength;
  const BOOL done = function(reinterpret_cast<PSYSTEM_LOGICAL_PROCESSOR_INFORMATION>(buffer), &length);
  *returnedLength = length;
  return done != FALSE;
}

bool TWin32HardwareFacts::GetProcessAffinityMask(uint64_t* processMask, uint64_t* systemMask) {
  DWORD_PTR process = 0, system = 0;
  if (!::GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return false;
  *processMask = process;
  *systemMask = system;
  return true;
}

uint32_t TWin32HardwareFacts::NumberOfProcessors() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}

bool TWin32HardwareFacts::GlobalMemoryStatusEx(TMemoryStatusEx* status) {
  MEMORYSTATUSEX memory{};
  memory.dwLength = status->length;
  if (!::GlobalMemoryStatusEx(&memory)) return false;
  *status = {memory.dwLength,     memory.dwMemoryLoad,    memory.ullTotalPhys,
             memory.ullAvailPhys, memory.ullTotalPageFile, memory.ullAvailPageFile,
             memory.ullTotalVirtual, memory.ullAvailVirtual, memory.ullAvailExtendedVirtual};
  return true;
}

TCpuidRegisters TWin32HardwareFacts::Cpuid(uint32_t leaf, uint32_t subleaf) {
  TCpuidRegisters registers;
  __cpuid_count(leaf, subleaf, registers.eax, registers.ebx, registers.ecx, registers.edx);
  return registers;
}

uint64_t TWin32HardwareFacts::TimeStampCounter() { return __rdtsc(); }

int64_t TWin32HardwareFacts::QueryPerformanceCounter() {
  LARGE_INTEGER count{};
  ::QueryPerformanceCounter(&count);
  return count.QuadPart;
}

int64_t TWin32HardwareFacts::QueryPerformanceFrequency() {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

void TWin32HardwareFacts::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }
