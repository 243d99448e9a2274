#include "cli/devices_command.h"

#include <ostream>

#include "cli/commands.h"
#include "cli/json_text.h"
#include "core/data_model.h"
#include "core/errors.h"
#include "engine/data_manager.h"

namespace {

// Every device the enumeration describes, plus the devices without a setup class,
// in the data model's list order.
void TakeInventory(TDataManager& engine, TDriverDatamodel& model, ILocale& locale) {
  model.RemoveAll();
  for (uint32_t index = 0;; ++index) {
    auto device = std::make_unique<TDeviceProperties>();
    int result = engine.EnumAllDevices(index, *device);
    if (result == -1) break;
    if (result == -3) throw EQvError("the device list of this machine cannot be read");
    // Devices without a named class come below, described as of the class "Unknown".
    if (result == 0 && device->FGUID != TGuid{}) model.AddDevice(std::move(device));
  }
  engine.EnumDevicesClassUnknown("Unknown", 0, TDeviceList(locale));
}

void PrintJson(const TDeviceList& devices, std::ostream& out) {
  out << "[";
  bool first = true;
  for (const auto& device : devices) {
    out << (first ? "\n" : ",\n") << "  {\"class\": " << JsonText(device->strClassGUID)
        << ", \"classDescription\": " << JsonText(device->strClassDescription)
        << ", \"name\": " << JsonText(device->strName) << ", \"hardwareId\": " << JsonText(device->strHID)
        << ", \"hardwareIds\": " << JsonList(device->strHIDs)
        << ", \"compatibleIds\": " << JsonList(device->strCompatibleHIDs)
        << ", \"version\": " << JsonText(device->strVersion) << ", \"date\": " << JsonText(device->strDriverDate)
        << ", \"provider\": " << JsonText(device->strProvider)
        << ", \"manufacturer\": " << JsonText(device->strManufacturer)
        << ", \"inf\": " << JsonText(device->strINFFileName) << ", \"section\": " << JsonText(device->strINFSectionName)
        << ", \"problem\": " << device->nStatusCode
        << ", \"unplugged\": " << (device->IsUnpluggedDevice() ? "true" : "false") << "}";
    first = false;
  }
  out << (first ? "]\n" : "\n]\n");
}

void PrintLines(const TDeviceList& devices, std::ostream& out) {
  for (const auto& device : devices) {
    out << device->strClassGUID << " | " << device->strName << " | " << device->strHID << " | "
        << (device->strVersion.empty() ? "no driver" : device->strVersion + " " + device->strDriverDate)
        << " | problem " << device->nStatusCode << (device->IsUnpluggedDevice() ? " | unplugged" : "") << "\n";
  }
  out << devices.Count() << " devices\n";
}

}  // namespace

int RunDevicesCommand(const std::vector<std::string>& arguments, TSystemPorts ports, std::ostream& out) {
  bool json = arguments.size() == 1 && arguments[0] == "--json";
  if (!arguments.empty() && !json) throw EQvError("devices takes only the option --json");
  if (!ports.deviceInstall.Available()) throw EQvError("the device installation services are not available");
  TDriverDatamodel model(ports);
  TDataManager engine(model, ports);
  TakeInventory(engine, model, ports.locale);
  if (json)
    PrintJson(model.DeviceList(), out);
  else
    PrintLines(model.DeviceList(), out);
  return QVCLI_OK;
}
