#include "proto/sysinfo_reader.h"

#include "proto/message_fields.h"

namespace {

// The string fields of TDevProp by field number; the others are read by hand.
constexpr std::string TDevProp::*DEV_PROP_STRINGS[] = {
    nullptr,
    &TDevProp::Fhardware_id,         // 1
    &TDevProp::Fclassguid,           // 2
    &TDevProp::Fstr_name,            // 3
    &TDevProp::Fclass_description,   // 4
    &TDevProp::Fdriver_date,         // 5
    &TDevProp::Fdriver_version,      // 6
    &TDevProp::Finf_file,            // 7
    &TDevProp::Finf_section,         // 8
    nullptr,                         // 9 device_imageid
    &TDevProp::Frelease_notes,       // 10
    &TDevProp::Fdevice_name,         // 11
    &TDevProp::Fdevice_class,        // 12
    &TDevProp::Fdriver_size,         // 13
    nullptr,                         // 14 compatids
    &TDevProp::Fdriver_newdate,      // 15
    &TDevProp::Fdriver_newversion,   // 16
    &TDevProp::Fdownload_url,        // 17
    &TDevProp::Fmanufacturer,        // 18
    nullptr,                         // 19 device_ignore
    &TDevProp::Fdriver_id,           // 20
    &TDevProp::Fprovider,            // 21
};
constexpr uint32_t LAST_STRING_FIELD = 21;

void ReadDevProp(TProtoBufInput& in, TDevProp& device) {
  ReadEmbedded(in, [&](uint32_t tag) {
    const uint32_t field = FieldNumber(tag);
    if (field >= 1 && field <= LAST_STRING_FIELD && DEV_PROP_STRINGS[field]) {
      ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
      device.*DEV_PROP_STRINGS[field] = in.readString();
      return;
    }
    switch (field) {
      case 9:
        ExpectWireType(tag, WIRETYPE_VARINT);
        device.Fdevice_imageid = in.readInt32();
        break;
      case 14:
        ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
        ReadSingleStringMessage(in, device.Fcompatids.AddNew().Fcompatid);
        break;
      case 19:
        ExpectWireType(tag, WIRETYPE_VARINT);
        device.Fdevice_ignore = in.readInt32();
        break;
      case 22:
        ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
        device.Fguid = StringToGuid(in.readString());
        break;
      case 23:
        ExpectWireType(tag, WIRETYPE_VARINT);
        device.Fstatus_code = static_cast<uint32_t>(in.readInt64());  // low 32 bits
        break;
      case 24:
        ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
        ReadSingleStringMessage(in, device.Fhardware_ids.AddNew().Fdeviceid);
        break;
      default:
        in.skipField(tag);
    }
  });
}

}  // namespace

void TSysInfoReader::Load(TSysInfo& SysInfo) {
  while (uint32_t tag = FBuffer.readTag()) {
    switch (FieldNumber(tag)) {
      case 1:
        ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
        ReadDevProp(FBuffer, SysInfo.Fdriverprops.AddNew());
        break;
      case 2:
        ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
        ReadOperatingSystem(FBuffer, SysInfo.Fsysdetail);
        break;
      case 3:
        ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
        SysInfo.FstartTime = FBuffer.readString();
        break;
      case 4:
        ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
        SysInfo.FendTime = FBuffer.readString();
        break;
      case 5:
        ExpectWireType(tag, WIRETYPE_VARINT);
        SysInfo.Fdevice_count = FBuffer.readInt32();
        break;
      default:
        FBuffer.skipField(tag);
    }
  }
  if (SysInfo.Fdevice_count == 0)
    SysInfo.Fdevice_count = static_cast<int32_t>(SysInfo.DriverPropsCount());
}
