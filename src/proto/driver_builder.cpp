#include "proto/driver_builder.h"

#include <optional>

#include "proto/message_fields.h"

namespace {

// Compatible ids as field 12 entries; an entry holds its field 1 even when empty.
void WriteCompatids(TProtoBufOutput& record, std::optional<TProtoBufOutput>& idScratch,
                    const TDeviceDriver& driver) {
  if (driver.CompatidsCount() == 0) return;
  if (!idScratch) idScratch.emplace();
  for (const TCompatibleID& id : driver.Fcompatids) {
    idScratch->Clear();
    idScratch->writeString(1, id.Fcompatid);
    record.writeMessage(12, *idScratch);
  }
}

}  // namespace

bool TDriverBuilder::Write(const TDrivers& DriverList) {
  bool result = true;
  TProtoBufOutput record;
  std::optional<TProtoBufOutput> idScratch;
  for (const TDeviceDriver& driver : DriverList.Fdriver) {
    record.Clear();
    if (driver.Fhardware_id.empty()) result = false;
    WriteStringIfNotEmpty(record, 1, driver.Fhardware_id);
    WriteStringIfNotEmpty(record, 2, driver.Fdriver_date);
    WriteStringIfNotEmpty(record, 3, driver.Fdriver_version);
    WriteStringIfNotEmpty(record, 4, driver.Finf_file);
    WriteStringIfNotEmpty(record, 5, driver.Finf_section);
    WriteStringIfNotEmpty(record, 6, driver.Fdownload_url);
    WriteStringIfNotEmpty(record, 7, driver.Frelease_notes);
    WriteStringIfNotEmpty(record, 8, driver.Fdevice_name);
    WriteStringIfNotEmpty(record, 9, driver.Fdevice_class);
    record.writeString(10, driver.Fdriver_size);  // always, zero length when empty
    WriteStringIfNotEmpty(record, 11, driver.Fdriver_id);
    WriteCompatids(record, idScratch, driver);
    FBuffer.writeMessage(1, record);
  }
  WriteOperatingSystem(FBuffer, record, 2, DriverList.Fos);
  return result;
}
