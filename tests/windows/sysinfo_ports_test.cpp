// The firmware-table and hardware-facts ports against the system's real services,
// the PC information collected over them, and what qvcli.exe info prints of it.
#include <windows.h>
#include <cpuid.h>
#include <gtest/gtest.h>

#include <cmath>

#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "sysinfo/processor_facts.h"
#include "sysinfo/smbios.h"
#include "sysinfo/smbios_source.h"
#include "support/info_rows.h"
#include "support/program_run.h"
#include "ui/sysinfo_presenter.h"
#include "wine_detection.h"

namespace {

constexpr DWORD DUMMY_ERROR = 0xDEADBEEF;
// WMI's answer under Wine 8: an object whose SMBiosData is null and whose Size is not there.
constexpr uint32_t WBEM_E_NOT_FOUND = 0x80041002;

TEST(Win32FirmwareTables, RawSmbiosTableBySizeThenBytes) {
  TWin32FirmwareTables firmware;
  SetLastError(DUMMY_ERROR);
  const uint32_t size = firmware.GetSystemFirmwareTable(FIRMWARE_PROVIDER_RSMB, 0, nullptr, 0);
  ASSERT_GT(size, RAW_SMBIOS_HEADER_SIZE);
  std::vector<uint8_t> small(size - 1, 0xCC);
  EXPECT_EQ(firmware.GetSystemFirmwareTable(FIRMWARE_PROVIDER_RSMB, 0, small.data(), size - 1), size);
  std::vector<uint8_t> bytes(size);
  ASSERT_EQ(firmware.GetSystemFirmwareTable(FIRMWARE_PROVIDER_RSMB, 0, bytes.data(), size), size);
  const TRawSMBIOSData data = ParseRawSmbiosData(bytes);
  EXPECT_EQ(data.Length, size - RAW_SMBIOS_HEADER_SIZE) << "the header's Length is the table's";
  TWin32Locale locale;
  const TSMBios smbios(data, locale);
  ASSERT_FALSE(smbios.SMBiosTablesList().empty());
  EXPECT_EQ(smbios.SMBiosTablesList().back().Header.type, TableType(TSMBiosTablesTypes::EndofTable));
  if (RunsUnderWine()) {
    // Wine 8's table: 131 bytes, SMBIOS 2.4, these types in this order.
    EXPECT_EQ(size, 131u);
    EXPECT_EQ(data.SMBIOSMajorVersion, 2);
    EXPECT_EQ(data.SMBIOSMinorVersion, 4);
    std::vector<int> types;
    for (const TSMBiosTableEntry& entry : smbios.SMBiosTablesList()) types.push_back(entry.Header.type);
    EXPECT_EQ(types, (std::vector<int>{0, 1, 3, 2, 32, 127}));
  }
}

TEST(Win32FirmwareTables, AnUnknownProviderFails) {
  TWin32FirmwareTables firmware;
  SetLastError(DUMMY_ERROR);
  EXPECT_EQ(firmware.GetSystemFirmwareTable(0x4E4F4E45, 0, nullptr, 0), 0u);  // 'NONE'
  EXPECT_EQ(firmware.LastError(), static_cast<uint32_t>(ERROR_INVALID_FUNCTION));
}

TEST(Win32FirmwareTables, WmiRawSmbiosTables) {
  TWin32FirmwareTables firmware;
  const TWmiRawSmbiosTables answer = firmware.QueryRawSmbiosTables();
  EXPECT_EQ(answer.hresult, 0u);
  ASSERT_TRUE(answer.found) << "WMI has an MSSmBios_RawSMBiosTables object";
  if (RunsUnderWine()) {
    // Known Wine deviation: Wine 8's object has SMBiosData null and no Size property.
    RecordProperty("known_wine_deviation_wmi_smbios",
                   "MSSmBios_RawSMBiosTables: SMBiosData is null, Size fails with WBEM_E_NOT_FOUND (0x80041002)");
    EXPECT_FALSE(answer.smbiosData.has_value());
    EXPECT_EQ(answer.smbiosDataError, 0u) << "null, not an error";
    EXPECT_FALSE(answer.size.has_value());
    EXPECT_EQ(answer.sizeError, WBEM_E_NOT_FOUND);
    // So the table comes from the firmware.
    EXPECT_FALSE(ReadWmiSmbiosTable(firmware).has_value());
    EXPECT_GT(ReadLocalSmbiosTable(firmware).Length, 0u);
    return;
  }
  ASSERT_TRUE(answer.smbiosData.has_value());
  ASSERT_TRUE(answer.size.has_value());
  EXPECT_EQ(answer.smbiosData->size(), *answer.size);
  const auto table = ReadFirmwareSmbiosTable(firmware);
  ASSERT_TRUE(table);
  EXPECT_EQ(*answer.smbiosData, table->SMBIOSTableData);
}

TEST(Win32HardwareFacts, LogicalProcessorInformationTellsTheSizeItNeeds) {
  TWin32HardwareFacts hardware;
  const struct {
    const char* name;
    bool (*call)(TWin32HardwareFacts&, uint8_t*, uint32_t*);
  } cases[] = {
      {"extended",
       [](TWin32HardwareFacts& h, uint8_t* b, uint32_t* l) {
         return h.GetLogicalProcessorInformationEx(RELATION_ALL, b, l);
       }},
      {"plain", [](TWin32HardwareFacts& h, uint8_t* b, uint32_t* l) { return h.GetLogicalProcessorInformation(b, l); }},
  };
  for (const auto& c : cases) {
    uint32_t length = 0;
    SetLastError(DUMMY_ERROR);
    EXPECT_FALSE(c.call(hardware, nullptr, &length)) << c.name;
    EXPECT_EQ(hardware.LastError(), static_cast<uint32_t>(ERROR_INSUFFICIENT_BUFFER)) << c.name;
    ASSERT_GT(length, 0u) << c.name;
    std::vector<uint8_t> buffer(length);
    EXPECT_TRUE(c.call(hardware, buffer.data(), &length)) << c.name;
  }
}

TEST(Win32HardwareFacts, CountsEqualTheSystemsOwn) {
  TWin32HardwareFacts hardware;
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const TProcessorCounts counts = CountProcessors(hardware);
  EXPECT_EQ(counts.logicalProcessors, system.dwNumberOfProcessors);
  EXPECT_GT(counts.processorCores, 0u);
  EXPECT_LE(counts.processorCores, counts.logicalProcessors);
  EXPECT_EQ(hardware.NumberOfProcessors(), system.dwNumberOfProcessors);
  uint64_t process = 0, systemMask = 0;
  ASSERT_TRUE(hardware.GetProcessAffinityMask(&process, &systemMask));
  EXPECT_NE(process, 0u);
}

TEST(Win32HardwareFacts, MemoryStatus) {
  TWin32HardwareFacts hardware;
  TMemoryStatusEx wrong;
  wrong.length = 32;
  SetLastError(DUMMY_ERROR);
  EXPECT_FALSE(hardware.GlobalMemoryStatusEx(&wrong));
  EXPECT_EQ(hardware.LastError(), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
  MEMORYSTATUSEX own{};
  own.dwLength = sizeof own;
  ASSERT_TRUE(GlobalMemoryStatusEx(&own));
  TMemoryStatusEx status;
  ASSERT_TRUE(hardware.GlobalMemoryStatusEx(&status));
  EXPECT_EQ(status.totalPhys, own.ullTotalPhys);
  EXPECT_EQ(OsPhysicalMemoryMB(hardware), RoundToMegabytes(own.ullTotalPhys));
}

// The brand string as this test reads it, with the instruction itself.
std::string OwnBrandString() {
  unsigned registers[12] = {};
  for (unsigned leaf = 0; leaf < 3; ++leaf)
    __cpuid(0x80000002 + leaf, registers[4 * leaf], registers[4 * leaf + 1], registers[4 * leaf + 2],
            registers[4 * leaf + 3]);
  std::string brand(reinterpret_cast<const char*>(registers), 48);
  brand.resize(brand.find('\0') == std::string::npos ? 48 : brand.find('\0'));
  while (!brand.empty() && brand.back() == ' ') brand.pop_back();
  return brand.substr(std::min(brand.size(), brand.find_first_not_of(' ')));
}

// The time-stamp counter's rate over 200 ms of busy waiting, in MHz.
double OwnClockMHz() {
  LARGE_INTEGER frequency{}, start{}, now{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const uint64_t stamp = __rdtsc();
  do QueryPerformanceCounter(&now);
  while (now.QuadPart - start.QuadPart < frequency.QuadPart / 5);
  const uint64_t elapsed = __rdtsc() - stamp;
  return static_cast<double>(elapsed) * static_cast<double>(frequency.QuadPart) /
         static_cast<double>(now.QuadPart - start.QuadPart) / 1e6;
}

TEST(Win32HardwareFacts, ProcessorIdentificationAndClock) {
  TWin32HardwareFacts hardware;
  EXPECT_EQ(ProcessorBrandString(hardware), OwnBrandString());
  EXPECT_FALSE(OwnBrandString().empty());
  EXPECT_GT(CoresPerPackage(hardware), 0u);
  const double own = OwnClockMHz();
  const uint32_t measured = MeasureClockMHz(hardware);
  EXPECT_NEAR(measured, own, own * 0.05);
  RecordProperty("clock_mhz", std::to_string(measured));
}

TEST(Win32SystemInfo, CollectedValuesEqualTheTestsOwnReadsAndQvcliInfo) {
  TWin32Machine machine;
  const std::string os = "Windows";
  TSystemInfo info(machine.firmware, machine.hardware, machine.locale, os);
  info.Collect();
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
  EXPECT_EQ(info.GetProcessorModel(), OwnBrandString());
  EXPECT_EQ(info.GetLogicalProcessors(), std::to_string(system.dwNumberOfProcessors));
  if (RunsUnderWine()) {
    // Wine's table has no processor or memory structures and string number 0 everywhere.
    EXPECT_EQ(info.Manufacturer(), "Unknown");
    EXPECT_EQ(info.SystemModel(), "Unknown");
    EXPECT_EQ(info.LogicalCPU(), static_cast<int32_t>(system.dwNumberOfProcessors));
    EXPECT_EQ(info.GetPhysicalMemory(), RoundToMegabytes(memory.ullTotalPhys));
    EXPECT_EQ(info.CPUspeed(), 0);
    EXPECT_NEAR(info.MaxCPUspeed(), OwnClockMHz(), OwnClockMHz() * 0.05);
    EXPECT_EQ(info.GetMemoryDeviceCount(), 0);
  }

  // qvcli.exe info prints the same rows (its own Windows version; its own clock measurement).
  TWin32StringTable strings;
  const auto expected = SysInfoRows(info, strings, machine.locale.DecimalSeparator());
  const std::string output = RunProgram(L"\"" + QvcliPath() + L"\" info").output;
  const auto rows = info_rows::InfoRows(output);
  ASSERT_EQ(rows.size(), expected.size()) << output;
  for (size_t index = 0; index < rows.size(); ++index) {
    const auto& [caption, value] = rows[index];
    const TSysInfoRow& row = expected[index];
    ASSERT_EQ(caption, row.caption) << output;
    if (index == 2) continue;  // the Windows version: the data model's, not this test's
    if (index == 10) {
      const auto [current, max] = info_rows::Speeds(value);
      const auto [expectedCurrent, expectedMax] = info_rows::Speeds(row.value);
      EXPECT_DOUBLE_EQ(current, expectedCurrent);
      EXPECT_NEAR(max, expectedMax, expectedMax * 0.05 + 0.01);
      continue;
    }
    EXPECT_EQ(value, row.value) << row.caption;
  }
}

}  // namespace

namespace {

TEST(Win32Locale, TableBytesThroughTheAnsiCodePage) {
  TWin32Locale locale;
  const std::string bytes = "M\xFC" "ller \x80";
  wchar_t wide[16] = {};
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide, 16);
  EXPECT_EQ(locale.AnsiToUtf8(bytes), WideToUtf8(wide, static_cast<size_t>(length)));
  EXPECT_EQ(locale.AnsiToUtf8("ASCII text"), "ASCII text");
  EXPECT_EQ(locale.AnsiToUtf8(""), "");
  RecordProperty("ansi_code_page", std::to_string(GetACP()));
  if (GetACP() == 1252) {
    EXPECT_EQ(locale.AnsiToUtf8(bytes), "Müller €");
  }
}

}  // namespace
