#include "cli/device_report.h"

#include <ostream>

#include "cli/json_text.h"

namespace {

struct TSection {
  TReportFilter filter;
  int driverType;
  const char* title;
  const char* state;
};

constexpr TSection SECTIONS[] = {
    {rfOutdated, DRIVER_TYPE_OUTDATED, "Outdated drivers", "outdated"},
    {rfUpToDate, DRIVER_TYPE_UPTODATE, "Up-to-date drivers", "uptodate"},
    {rfIgnored, DRIVER_TYPE_IGNORED, "Ignored devices", "ignored"},
};

bool Shows(TReportFilter filter, const TSection& section) { return filter == rfAll || filter == section.filter; }

void PrintLine(const TDeviceProperties& device, std::ostream& out) {
  out << "  " << device.strName << " | " << device.strClassDescription << " | " << device.strHID << " | "
      << (device.strVersion.empty() ? "no driver" : device.strVersion);
  if (!device.strNewVersion.empty()) out << " -> " << device.strNewVersion << " (" << device.strNewDriverDate << ")";
  out << "\n";
}

}  // namespace

void PrintDeviceReport(const TDriverDatamodel& model, TReportFilter filter, std::ostream& out) {
  for (const TSection& section : SECTIONS) {
    if (!Shows(filter, section)) continue;
    TDriverMap devices;
    model.GetDriverMap(devices, section.driverType);
    out << section.title << " (" << devices.size() << "):\n";
    for (const TDeviceProperties* device : devices) PrintLine(*device, out);
  }
  if (filter == rfAll) {
    out << model.GetOutofDateDrivers() << " outdated, " << model.GetUptoDateDrivers() << " up to date, "
        << model.GetIgnoredDrivers() << " ignored";
    if (!model.EndTime().empty()) out << "; scanned " << model.EndTime();
    out << "\n";
  }
}

void PrintDeviceReportJson(const TDriverDatamodel& model, TReportFilter filter, std::ostream& out) {
  out << "[";
  bool first = true;
  for (const TSection& section : SECTIONS) {
    if (!Shows(filter, section)) continue;
    TDriverMap devices;
    model.GetDriverMap(devices, section.driverType);
    for (const TDeviceProperties* device : devices) {
      out << (first ? "\n" : ",\n") << "  {\"state\": " << JsonText(section.state)
          << ", \"name\": " << JsonText(device->strName) << ", \"class\": " << JsonText(device->strClassGUID)
          << ", \"classDescription\": " << JsonText(device->strClassDescription)
          << ", \"hardwareId\": " << JsonText(device->strHID) << ", \"version\": " << JsonText(device->strVersion)
          << ", \"date\": " << JsonText(device->strDriverDate)
          << ", \"newVersion\": " << JsonText(device->strNewVersion)
          << ", \"newDate\": " << JsonText(device->strNewDriverDate)
          << ", \"size\": " << JsonText(device->strDriverSize)
          << ", \"downloadUrl\": " << JsonText(device->strDownloadUrl)
          << ", \"driverId\": " << JsonText(device->strDriverDBId) << "}";
      first = false;
    }
  }
  out << (first ? "]\n" : "\n]\n");
}
