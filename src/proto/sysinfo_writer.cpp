#include "proto/sysinfo_writer.h"

#include <optional>

#include "proto/message_fields.h"

namespace {

// One embedded entry per id, each holding its field 1 only when not empty.
template <typename TEntry>
void WriteIdList(TProtoBufOutput& record, std::optional<TProtoBufOutput>& idScratch,
                 uint32_t fieldNumber, const TOwnedList<TEntry>& ids, std::string TEntry::*text) {
  if (ids.Count() == 0) return;
  if (!idScratch) idScratch.emplace();
  for (const TEntry& id : ids) {
    idScratch->Clear();
    WriteStringIfNotEmpty(*idScratch, 1, id.*text);
    record.writeMessage(fieldNumber, *idScratch);
  }
}

}  // namespace

void TSysInfoWriter::Write(const TSysInfo& SysInfo) {
  TProtoBufOutput record;
  std::optional<TProtoBufOutput> idScratch;
  for (const TDevProp& device : SysInfo.Fdriverprops) {
    record.Clear();
    WriteStringIfNotEmpty(record, 1, device.Fhardware_id);
    WriteStringIfNotEmpty(record, 2, device.Fclassguid);
    WriteStringIfNotEmpty(record, 3, device.Fstr_name);
    WriteStringIfNotEmpty(record, 4, device.Fclass_description);
    WriteStringIfNotEmpty(record, 5, device.Fdriver_date);
    WriteStringIfNotEmpty(record, 6, device.Fdriver_version);
    WriteStringIfNotEmpty(record, 7, device.Finf_file);
    WriteStringIfNotEmpty(record, 8, device.Finf_section);
    record.writeInt32(9, device.Fdevice_imageid);
    WriteStringIfNotEmpty(record, 10, device.Frelease_notes);
    WriteStringIfNotEmpty(record, 11, device.Fdevice_name);
    WriteStringIfNotEmpty(record, 12, device.Fdevice_class);
    WriteStringIfNotEmpty(record, 13, device.Fdriver_size);
    WriteIdList(record, idScratch, 14, device.Fcompatids, &TCompatibleID::Fcompatid);
    WriteStringIfNotEmpty(record, 15, device.Fdriver_newdate);
    WriteStringIfNotEmpty(record, 16, device.Fdriver_newversion);
    WriteStringIfNotEmpty(record, 17, device.Fdownload_url);
    WriteStringIfNotEmpty(record, 18, device.Fmanufacturer);
    record.writeInt32(19, device.Fdevice_ignore);
    WriteStringIfNotEmpty(record, 20, device.Fdriver_id);
    WriteStringIfNotEmpty(record, 21, device.Fprovider);
    record.writeString(22, GuidToString(device.Fguid));
    record.writeInt64(23, static_cast<int64_t>(device.Fstatus_code));  // widened without sign
    WriteIdList(record, idScratch, 24, device.Fhardware_ids, &TDeviceID::Fdeviceid);
    FBuffer.writeMessage(1, record);
  }
  WriteOperatingSystem(FBuffer, record, 2, SysInfo.Fsysdetail);
  WriteStringIfNotEmpty(FBuffer, 3, SysInfo.FstartTime);
  WriteStringIfNotEmpty(FBuffer, 4, SysInfo.FendTime);
  FBuffer.writeInt32(5, SysInfo.Fdevice_count);
}
