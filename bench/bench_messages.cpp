#include "bench_messages.h"

#include <string>

namespace {

std::string HardwareId(int i) {
  return "PCI\\VEN_8086&DEV_" + std::to_string(1000 + i) + "&SUBSYS_00008086&REV_0" + std::to_string(i % 10);
}

}  // namespace

TDrivers MakeScanRequest() {
  TDrivers request;
  request.SetOS("Windows", "10.0.0", "amd64");
  for (int i = 0; i < BENCH_DEVICES; ++i) {
    TDeviceDriver& d = request.AddDriver({});
    d.Fhardware_id = HardwareId(i);
    d.Fdriver_date = "6-21-2006";
    d.Fdriver_version = "10.0.19041." + std::to_string(i);
    d.Finf_file = "oem" + std::to_string(i) + ".inf";
    d.Finf_section = "Install_Section.NTamd64";
    d.Fdevice_name = "Intel(R) PCI Express Root Port #" + std::to_string(i);
    d.Fdevice_class = "System";
    d.AddCompatid("PCI\\VEN_8086&DEV_" + std::to_string(1000 + i) + "&REV_01");
    d.AddCompatid("PCI\\VEN_8086&CC_060400");
    d.AddCompatid("PCI\\CC_0604");
  }
  return request;
}

TDrivers MakeScanAnswer() {
  TDrivers answer;
  for (int i = 0; i < BENCH_DEVICES; ++i) {
    TDeviceDriver& d = answer.AddDriver({});
    d.Fhardware_id = HardwareId(i);
    d.Fdriver_date = "2024-02-01";
    d.Fdriver_version = "12.19.3." + std::to_string(i);
    d.Fdownload_url = "https://drivers.quorvane.com/files/" + std::to_string(100000 + i) + "/package.zip";
    d.Fdriver_size = std::to_string(1048576 + i * 4096);
    d.Fdriver_id = std::to_string(4711 + i);
  }
  return answer;
}

TSysInfo MakeStoredScanResult() {
  TSysInfo info;
  info.SetOS("Windows", "10.0.0", "amd64");
  info.FstartTime = "May 02, 2024 10:15 am";
  info.FendTime = "May 02, 2024 10:16 am";
  info.Fdevice_count = BENCH_DEVICES;
  for (int i = 0; i < BENCH_DEVICES; ++i) {
    TDevProp p;
    p.Fhardware_id = HardwareId(i);
    p.Fclassguid = "System";
    p.Fstr_name = "Intel(R) PCI Express Root Port #" + std::to_string(i);
    p.Fclass_description = "System devices";
    p.Fdriver_date = "6-21-2006";
    p.Fdriver_version = "10.0.19041." + std::to_string(i);
    p.Finf_file = "machine.inf";
    p.Finf_section = "PCI_DRV";
    p.Fdevice_imageid = i % 40;
    p.Fdevice_name = p.Fstr_name;
    p.Fdevice_class = p.Fclassguid;
    p.AddCompatid("PCI\\VEN_8086&CC_060400");
    p.AddCompatid("PCI\\CC_0604");
    if (i % 4 == 0) {
      p.Fdriver_size = std::to_string(1048576 + i);
      p.Fdriver_newdate = "2024-02-01";
      p.Fdriver_newversion = "12.19.3." + std::to_string(i);
      p.Fdownload_url = "https://drivers.quorvane.com/files/" + std::to_string(i) + "/package.zip";
      p.Fdriver_id = std::to_string(4711 + i);
    }
    p.Fmanufacturer = "Intel";
    p.Fdevice_ignore = i % 17 == 0;
    p.Fprovider = "Microsoft";
    p.Fguid = {0x7D, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11, 0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};
    p.Fstatus_code = i % 50 == 0 ? 28 : 0;
    p.AddHardwareid(p.Fhardware_id);
    p.AddHardwareid("PCI\\VEN_8086&DEV_" + std::to_string(1000 + i));
    info.AddDevice(std::move(p));
  }
  return info;
}
