#include "proto/sysinfo_writer.h"

#include "proto/message_fields.h"

namespace {

// One embedded entry per id, each holding its field 1 only when not empty.
template <typename TPass, typename TEntry>
void EmitIdList(TPass& record, uint32_t fieldNumber, const TOwnedList<TEntry>& ids, std::string TEntry::*text) {
  for (const TEntry& id : ids)
    record.Message(fieldNumber, [&](auto& entry) { StringIfNotEmpty(entry, 1, id.*text); });
}

template <typename TPass>
void EmitDevice(TPass& record, const TDevProp& device) {
  StringIfNotEmpty(record, 1, device.Fhardware_id);
  StringIfNotEmpty(record, 2, device.Fclassguid);
  StringIfNotEmpty(record, 3, device.Fstr_name);
  StringIfNotEmpty(record, 4, device.Fclass_description);
  StringIfNotEmpty(record, 5, device.Fdriver_date);
  StringIfNotEmpty(record, 6, device.Fdriver_version);
  StringIfNotEmpty(record, 7, device.Finf_file);
  StringIfNotEmpty(record, 8, device.Finf_section);
  record.Int32(9, device.Fdevice_imageid);
  StringIfNotEmpty(record, 10, device.Frelease_notes);
  StringIfNotEmpty(record, 11, device.Fdevice_name);
  StringIfNotEmpty(record, 12, device.Fdevice_class);
  StringIfNotEmpty(record, 13, device.Fdriver_size);
  EmitIdList(record, 14, device.Fcompatids, &TCompatibleID::Fcompatid);
  StringIfNotEmpty(record, 15, device.Fdriver_newdate);
  StringIfNotEmpty(record, 16, device.Fdriver_newversion);
  StringIfNotEmpty(record, 17, device.Fdownload_url);
  StringIfNotEmpty(record, 18, device.Fmanufacturer);
  record.Int32(19, device.Fdevice_ignore);
  StringIfNotEmpty(record, 20, device.Fdriver_id);
  StringIfNotEmpty(record, 21, device.Fprovider);
  const std::array<char, GUID_TEXT_LENGTH> guid = GuidText(device.Fguid);
  record.String(22, std::string_view(guid.data(), guid.size()));
  record.Int64(23, static_cast<int64_t>(device.Fstatus_code));  // widened without sign
  EmitIdList(record, 24, device.Fhardware_ids, &TDeviceID::Fdeviceid);
}

}  // namespace

void TSysInfoWriter::Write(const TSysInfo& SysInfo) {
  WriteInTwoPasses(FBuffer, [&](auto& root) {
    for (const TDevProp& device : SysInfo.Fdriverprops)
      root.Message(1, [&](auto& record) { EmitDevice(record, device); });
    EmitOperatingSystem(root, 2, SysInfo.Fsysdetail);
    StringIfNotEmpty(root, 3, SysInfo.FstartTime);
    StringIfNotEmpty(root, 4, SysInfo.FendTime);
    root.Int32(5, SysInfo.Fdevice_count);
  });
}
