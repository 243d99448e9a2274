#include "engine/installed_driver_key.h"

#include "engine/device_reads.h"
#include "engine/driver_facts.h"

namespace {

constexpr uint32_t KEY_TEXT_BYTES = 2 * 1024;

}  // namespace

bool ReadInstalledDriverKey(IDeviceInstall& devices, TDevInfoSet set, const TSpDevinfoData& device,
                            TSpDrvinfoData& driver, TSpDrvinfoDetailData& detail) {
  TScopedDeviceKey key(devices, devices.OpenDevRegKey(set, device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
  if (!key.Valid()) return false;
  auto text = [&](const char* name) { return ReadKeyText(devices, key.Get(), name, KEY_TEXT_BYTES).value_or(""); };
  std::string section = text("InfSection");
  if (section.empty()) return false;

  driver = TSpDrvinfoData{};
  driver.cbSize = SP_DRVINFO_DATA_V2_SIZE;
  driver.DriverType = SPDIT_CLASSDRIVER;
  driver.Description = text("DriverDesc");
  driver.ProviderName = text("ProviderName");
  driver.MfgName = ReadStringPropertyOnce(devices, set, device, SPDRP_MFG, KEY_TEXT_BYTES).value_or("");
  driver.DriverVersion = ParseDriverVersion(text("DriverVersion")).value_or(0);
  auto date = ReadKeyQword(devices, key.Get(), "DriverDateData");
  if (!date) date = ParseDriverDate(text("DriverDate"));
  driver.DriverDate = date.value_or(UNKNOWN_DRIVER_DATE);

  detail = TSpDrvinfoDetailData{};
  detail.cbSize = SP_DRVINFO_DETAIL_DATA_SIZE;
  detail.SectionName = section;
  detail.InfFileName = text("InfPath");
  detail.DrvDescription = driver.Description;
  return true;
}
