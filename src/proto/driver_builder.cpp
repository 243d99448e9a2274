#include "proto/driver_builder.h"

#include "proto/message_fields.h"

namespace {

// One driver record; a compatible id entry holds its field 1 even when empty.
template <typename TPass>
void EmitDriver(TPass& record, const TDeviceDriver& driver) {
  StringIfNotEmpty(record, 1, driver.Fhardware_id);
  StringIfNotEmpty(record, 2, driver.Fdriver_date);
  StringIfNotEmpty(record, 3, driver.Fdriver_version);
  StringIfNotEmpty(record, 4, driver.Finf_file);
  StringIfNotEmpty(record, 5, driver.Finf_section);
  StringIfNotEmpty(record, 6, driver.Fdownload_url);
  StringIfNotEmpty(record, 7, driver.Frelease_notes);
  StringIfNotEmpty(record, 8, driver.Fdevice_name);
  StringIfNotEmpty(record, 9, driver.Fdevice_class);
  record.String(10, driver.Fdriver_size);  // always, zero length when empty
  StringIfNotEmpty(record, 11, driver.Fdriver_id);
  for (const TCompatibleID& id : driver.Fcompatids)
    record.Message(12, [&](auto& entry) { entry.String(1, id.Fcompatid); });
}

}  // namespace

bool TDriverBuilder::Write(const TDrivers& DriverList) {
  bool result = true;
  for (const TDeviceDriver& driver : DriverList.Fdriver)
    if (driver.Fhardware_id.empty()) result = false;
  WriteInTwoPasses(FBuffer, [&](auto& root) {
    for (const TDeviceDriver& driver : DriverList.Fdriver)
      root.Message(1, [&](auto& record) { EmitDriver(record, driver); });
    EmitOperatingSystem(root, 2, DriverList.Fos);
  });
  return result;
}
