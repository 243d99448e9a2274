#include "proto/driver_reader.h"

#include "proto/message_fields.h"

namespace {

// The string fields of TDeviceDriver by field number (1 to 11).
constexpr std::string TDeviceDriver::*DRIVER_STRINGS[] = {
    nullptr,
    &TDeviceDriver::Fhardware_id,
    &TDeviceDriver::Fdriver_date,
    &TDeviceDriver::Fdriver_version,
    &TDeviceDriver::Finf_file,
    &TDeviceDriver::Finf_section,
    &TDeviceDriver::Fdownload_url,
    &TDeviceDriver::Frelease_notes,
    &TDeviceDriver::Fdevice_name,
    &TDeviceDriver::Fdevice_class,
    &TDeviceDriver::Fdriver_size,
    &TDeviceDriver::Fdriver_id,
};

void ReadDeviceDriver(TProtoBufInput& in, TDeviceDriver& driver) {
  ReadEmbedded(in, [&](uint32_t tag) {
    const uint32_t field = FieldNumber(tag);
    if (field >= 1 && field <= 11) {
      ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
      driver.*DRIVER_STRINGS[field] = in.readString();
    } else if (field == 12) {
      ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
      ReadSingleStringMessage(in, driver.Fcompatids.AddNew().Fcompatid);
    } else {
      in.skipField(tag);
    }
  });
}

}  // namespace

void TDriverReader::Load(TDrivers& DriverList) {
  while (uint32_t tag = FBuffer.readTag()) {
    switch (FieldNumber(tag)) {
      case 1:
        ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
        ReadDeviceDriver(FBuffer, DriverList.Fdriver.AddNew());
        break;
      case 2:
        ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
        ReadOperatingSystem(FBuffer, DriverList.Fos);
        break;
      default:
        FBuffer.skipField(tag);
    }
  }
}
