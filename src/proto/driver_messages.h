// The scan request and the scan answer: TDrivers, a list of TDeviceDriver
// records (installed drivers going out, newer drivers coming back) and the OS.
#pragma once

#include <string>

#include "proto/common_messages.h"
#include "proto/owned_list.h"

class TDeviceDriver {
 public:
  std::string Fhardware_id;     // 1: primary hardware id, ties an answer to a device
  std::string Fdriver_date;     // 2
  std::string Fdriver_version;  // 3
  std::string Finf_file;        // 4
  std::string Finf_section;     // 5
  std::string Fdownload_url;    // 6
  std::string Frelease_notes;   // 7
  std::string Fdevice_name;     // 8
  std::string Fdevice_class;    // 9: setup class name
  std::string Fdriver_size;     // 10
  std::string Fdriver_id;       // 11
  TOwnedList<TCompatibleID> Fcompatids;  // 12, repeated
  // In memory only; never on the wire.
  std::string Fdriver_name;
  std::string Fdriver_checksum;

  void AddCompatid(std::string aCompatID) { Fcompatids.Add({std::move(aCompatID)}); }
  void DeleteCompatid(size_t aIndex) { Fcompatids.Delete(aIndex); }
  TCompatibleID& GetCompatid(size_t aIndex) { return Fcompatids.Get(aIndex); }
  const TCompatibleID& GetCompatid(size_t aIndex) const { return Fcompatids.Get(aIndex); }
  size_t CompatidsCount() const { return Fcompatids.Count(); }
};

class TDrivers {
 public:
  TOwnedList<TDeviceDriver> Fdriver;  // 1, repeated
  TOperatingSystem Fos;               // 2

  TDeviceDriver& AddDriver(TDeviceDriver aDriver) { return Fdriver.Add(std::move(aDriver)); }
  void DeleteDriver(size_t aIndex) { Fdriver.Delete(aIndex); }
  TDeviceDriver& GetDrivers(size_t aIndex) { return Fdriver.Get(aIndex); }
  const TDeviceDriver& GetDrivers(size_t aIndex) const { return Fdriver.Get(aIndex); }
  size_t DriverCount() const { return Fdriver.Count(); }
  // Deletes every driver, last first; the operating system stays.
  void Clear() { Fdriver.Clear(); }
  void SetOS(std::string aName, std::string aVersion, std::string aArch) {
    Fos = {std::move(aName), std::move(aVersion), std::move(aArch)};
  }
  TOperatingSystem& GetOS() { return Fos; }
  const TOperatingSystem& GetOS() const { return Fos; }
};
