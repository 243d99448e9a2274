#include "sysinfo/system_info.h"

#include "sysinfo/processor_facts.h"

namespace {

const std::vector<const char*> PLACEHOLDER_MANUFACTURERS = {"System Manufacturer", "Manufacturer",
                                                             "To Be Filled By O.E.M."};
const std::vector<const char*> PLACEHOLDER_MODELS = {"System Product Name", "System Model", "Model", "Product Name",
                                                      "To Be Filled By O.E.M."};
constexpr const char* UNKNOWN_TEXT = "Unknown";

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "text (detail)"; an empty detail adds nothing.
std::string WithDetail(const std::string& text, const std::string& detail) {
  if (detail.empty()) return text;
  return text + " (" + detail + ")";
}

}  // namespace

TSystemInfo::TSystemInfo(IFirmwareTables& firmware, IHardwareFacts& hardware, ILocale& locale,
                         const std::string& osDescription)
    : m_firmware(firmware), m_hardware(hardware), m_locale(locale), m_osDescription(osDescription) {}

void TSystemInfo::Collect() {
  if (m_bParsedSMBIOS) return;
  const TSMBios smbios(m_firmware, m_locale);
  Collect(smbios);
}

void TSystemInfo::Collect(const TSMBios& smbios) {
  if (m_bParsedSMBIOS) return;
  for (const TBaseBoardInformation& board : smbios.BaseBoardInfo()) {
    m_BoardManufacturer = board.ManufacturerStr();
    m_BoardModel = WithDetail(board.ProductStr(), Trimmed(board.VersionStr()));
  }
  const TSystemInformation& system = smbios.SysInfo();
  SetManufacturer(system.ManufacturerStr());
  SetSystemModel(system.ProductNameStr());
  m_SerialNumber = system.SerialNumberStr();
  const TBiosInformation& bios = smbios.BiosInfo();
  m_BiosManufacturer = bios.VendorStr();
  m_BiosDetail = WithDetail(bios.ReleaseDateStr(), bios.VersionStr());
  for (const TEnclosureInformation& enclosure : smbios.EnclosureInfo()) m_SystemType = enclosure.TypeStr();
  CollectProcessor(smbios);
  CollectMemory(smbios);
  for (const TSystemSlotInformation& slot : smbios.SystemSlotInfo())
    m_Slots.push_back(slot.GetSlotType() + ", " + slot.GetSlotDataBusWidth() + " (" + slot.GetCurrentUsage() + ")");
  m_bParsedSMBIOS = true;
}

void TSystemInfo::CollectProcessor(const TSMBios& smbios) {
  const TProcessorCounts counts = CountProcessors(m_hardware);
  m_NumLogicalProcessor = std::to_string(counts.logicalProcessors);
  // A core count the identification does not report (another vendor) is the system's.
  auto coresPerPackage = [&] {
    const uint32_t cores = CoresPerPackage(m_hardware);
    return static_cast<int32_t>(cores != 0 ? cores : counts.processorCores);
  };
  if (smbios.GetHasProcessorInfo()) {
    const TProcessorInformation& processor = smbios.ProcessorInfo().front();
    m_NumPhysicalProcessor = std::to_string(smbios.ProcessorInfo().size());
    // Counts of 0 are unknown to the firmware (or lie past an older, shorter structure).
    m_CoreCount = processor.CoreCount() != 0 ? processor.CoreCount() : coresPerPackage();
    m_LogicalCpu = processor.ThreadCount() != 0 ? processor.ThreadCount()
                                                : static_cast<int32_t>(counts.logicalProcessors);
    m_CpuSpeedMax = processor.CurrentSpeed();
    m_CpuSpeedCurrent = processor.MaxSpeed();
    m_Socket = processor.ProcessorUpgradeStr();
    m_CpuVoltage = processor.GetProcessorVoltage();
  } else {
    m_NumPhysicalProcessor = std::to_string(counts.processorCores);
    m_CpuSpeedMax = 0;
    m_CpuSpeedCurrent = static_cast<int32_t>(MeasureClockMHz(m_hardware));
    m_CoreCount = coresPerPackage();
    m_LogicalCpu = static_cast<int32_t>(counts.logicalProcessors);
  }
  m_ProcessorModel = m_locale.AnsiToUtf8(ProcessorBrandString(m_hardware));
}

void TSystemInfo::CollectMemory(const TSMBios& smbios) {
  int64_t total = 0;
  for (const TMemoryDeviceInformation& module : smbios.MemoryDeviceInfo()) {
    const int64_t size = module.GetSize();
    if (size <= 0) continue;
    total += size;
    m_MemoryDevices.push_back(module.GetMemoryTypeStr() + " - " + module.ManufacturerStr() + " (" +
                              Trimmed(module.PartNumberStr()) + ") " + ", " + std::to_string(size) + " MB");
  }
  // Without modules of a known size, the operating system's figure.
  m_PhysicalMemory = total > 0 ? total : OsPhysicalMemoryMB(m_hardware);
}

bool TSystemInfo::IsPlaceholder(const std::string& text, const std::vector<const char*>& placeholders) const {
  const std::string trimmed = Trimmed(text);
  if (trimmed.empty()) return true;
  for (const char* placeholder : placeholders)
    if (m_locale.CompareText(trimmed, placeholder) == 0) return true;
  return false;
}

void TSystemInfo::SetManufacturer(const std::string& value) {
  if (!IsPlaceholder(value, PLACEHOLDER_MANUFACTURERS))
    m_Manufacturer = value;
  else
    m_Manufacturer = m_BoardManufacturer.empty() ? UNKNOWN_TEXT : m_BoardManufacturer;
}

void TSystemInfo::SetSystemModel(const std::string& value) {
  if (!IsPlaceholder(value, PLACEHOLDER_MODELS))
    m_SystemModel = value;
  else
    m_SystemModel = m_BoardManufacturer.empty() ? UNKNOWN_TEXT : m_BoardModel;
}

std::string TSystemInfo::GetSlotInfo(int AslotID) const {
  if (AslotID < 0 || AslotID >= GetSlotCount()) return {};
  return m_Slots[static_cast<size_t>(AslotID)];
}

std::string TSystemInfo::GetMemoryDetails(int AdeviceID) const {
  if (AdeviceID < 0 || AdeviceID >= GetMemoryDeviceCount()) return {};
  return m_MemoryDevices[static_cast<size_t>(AdeviceID)];
}
