// The stored scan result ("config.bin"): TSysInfo, a list of TDevProp records
// (one per device, with its installed and offered driver), the OS, the scan's
// start and end texts and the device count.
#pragma once

#include <cstdint>
#include <string>

#include "proto/common_messages.h"
#include "proto/guid_text.h"
#include "proto/owned_list.h"

class TDevProp {
 public:
  std::string Fhardware_id;        // 1
  std::string Fclassguid;          // 2: setup class name, not a GUID
  std::string Fstr_name;           // 3
  std::string Fclass_description;  // 4
  std::string Fdriver_date;        // 5
  std::string Fdriver_version;     // 6
  std::string Finf_file;           // 7
  std::string Finf_section;        // 8
  int32_t Fdevice_imageid = 0;     // 9
  std::string Frelease_notes;      // 10
  std::string Fdevice_name;        // 11
  std::string Fdevice_class;       // 12
  std::string Fdriver_size;        // 13
  TOwnedList<TCompatibleID> Fcompatids;  // 14, repeated
  std::string Fdriver_newdate;     // 15
  std::string Fdriver_newversion;  // 16
  std::string Fdownload_url;       // 17
  std::string Fmanufacturer;       // 18
  int32_t Fdevice_ignore = 0;      // 19
  std::string Fdriver_id;          // 20
  std::string Fprovider;           // 21
  TGuid Fguid{};                   // 22, braced text on the wire
  uint32_t Fstatus_code = 0;       // 23 device_status, int64 on the wire
  TOwnedList<TDeviceID> Fhardware_ids;  // 24, repeated

  void AddCompatid(std::string aCompatID) { Fcompatids.Add({std::move(aCompatID)}); }
  void DeleteCompatid(size_t aIndex) { Fcompatids.Delete(aIndex); }
  const TCompatibleID& GetCompatid(size_t aIndex) const { return Fcompatids.Get(aIndex); }
  size_t CompatidsCount() const { return Fcompatids.Count(); }
  void AddHardwareid(std::string aHardwareID) { Fhardware_ids.Add({std::move(aHardwareID)}); }
  void DeleteHardwareid(size_t aIndex) { Fhardware_ids.Delete(aIndex); }
  const TDeviceID& GetHardwareid(size_t aIndex) const { return Fhardware_ids.Get(aIndex); }
  size_t HardwareidCount() const { return Fhardware_ids.Count(); }
};

class TSysInfo {
 public:
  TOwnedList<TDevProp> Fdriverprops;  // 1, repeated
  TOperatingSystem Fsysdetail;        // 2
  std::string FstartTime;             // 3
  std::string FendTime;               // 4
  int32_t Fdevice_count = 0;          // 5

  // Appends and takes ownership; there is no refusal case.
  bool AddDevice(TDevProp aDevice) {
    Fdriverprops.Add(std::move(aDevice));
    return true;
  }
  const TDevProp& GetDriverProps(size_t aIndex) const { return Fdriverprops.Get(aIndex); }
  size_t DriverPropsCount() const { return Fdriverprops.Count(); }
  void SetOS(std::string aName, std::string aVersion, std::string aArch) {
    Fsysdetail = {std::move(aName), std::move(aVersion), std::move(aArch)};
  }
  const TOperatingSystem& GetOS() const { return Fsysdetail; }
};
