#include <gtest/gtest.h>

#include "decode.h"
#include "hex_bytes.h"
#include "proto/sysinfo_writer.h"

namespace {

std::vector<uint8_t> EncodeSysInfo(const TSysInfo& sysInfo) {
  TSysInfoWriter writer;
  writer.Write(sysInfo);
  return writer.GetBuf().GetBytes();
}

const TGuid kNetGuid = {0x72, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11,
                        0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};

TSysInfo SampleSysInfo() {
  TSysInfo info;
  info.SetOS("Windows", "10.0.0", "amd64");
  info.FstartTime = "May 02, 2024 10:15 am";
  info.FendTime = "May 02, 2024 10:16 am";
  info.Fdevice_count = 2;
  for (int i = 0; i < 2; ++i) {
    TDevProp device;
    device.Fhardware_id = "PCI\\VEN_8086&DEV_15B" + std::to_string(i);
    device.Fclassguid = "Net";
    device.Fstr_name = "Intel\xC2\xAE Ethernet";
    device.Fclass_description = "Network adapters";
    device.Fdriver_date = "2023-05-01";
    device.Fdriver_version = "12.19.2.45";
    device.Finf_file = "oem12.inf";
    device.Finf_section = "E15B8.10.0.1";
    device.Fdevice_imageid = -3;
    device.Fdevice_name = device.Fstr_name;
    device.Fdevice_class = "Net";
    device.Fdriver_size = "1048576";
    device.AddCompatid("PCI\\VEN_8086&CC_0200");
    device.AddCompatid("");
    device.Fdriver_newdate = "2024-02-01";
    device.Fdriver_newversion = "12.19.3.1";
    device.Fdownload_url = "https://drivers.example/e1.zip";
    device.Fmanufacturer = "Intel";
    device.Fdevice_ignore = i;
    device.Fdriver_id = "4711";
    device.Fprovider = "Intel";
    device.Fguid = kNetGuid;
    device.Fstatus_code = 0xFFFFFFFF - static_cast<uint32_t>(i);
    device.AddHardwareid(device.Fhardware_id);
    device.AddHardwareid("PCI\\VEN_8086");
    info.AddDevice(std::move(device));
  }
  return info;
}

TEST(SysInfoWriter, EmptyDeviceStillCarriesItsAlwaysFields) {
  TSysInfo info;
  info.AddDevice({});
  EXPECT_EQ(Hex(EncodeSysInfo(info)),
            "0A 31 48 00 98 01 00 B2 01 26 " + Hex(std::vector<uint8_t>(
                {'{', '0', '0', '0', '0', '0', '0', '0', '0', '-', '0', '0', '0', '0', '-', '0', '0',
                 '0', '0', '-', '0', '0', '0', '0', '-', '0', '0', '0', '0', '0', '0', '0', '0', '0',
                 '0', '0', '0', '}'})) +
                " B8 01 00 12 00 28 00");
}

TEST(SysInfoWriter, StatusIsWrittenUnsignedAndEmptyCompatibleIdAsEmptyEntry) {
  TSysInfo info;
  TDevProp device;
  device.Fstatus_code = 4294967295u;
  device.AddCompatid("");
  device.Fdriver_newdate = "d";
  info.AddDevice(std::move(device));
  std::string hex = Hex(EncodeSysInfo(info));
  EXPECT_NE(hex.find("B8 01 FF FF FF FF 0F"), std::string::npos) << hex;
  EXPECT_NE(hex.find("72 00 7A 01 64"), std::string::npos) << hex;

  TSysInfo read = DecodeSysInfo(EncodeSysInfo(info));
  const TDevProp& back = read.GetDriverProps(0);
  EXPECT_EQ(back.Fstatus_code, 4294967295u);
  ASSERT_EQ(back.CompatidsCount(), 1u);
  EXPECT_EQ(back.GetCompatid(0).Fcompatid, "");
  EXPECT_EQ(back.Fdriver_newdate, "d");  // the field after the empty entry
}

TEST(SysInfoReader, ReadsBackEveryField) {
  const TSysInfo info = SampleSysInfo();
  const TSysInfo read = DecodeSysInfo(EncodeSysInfo(info));
  EXPECT_EQ(read.GetOS().Fname, "Windows");
  EXPECT_EQ(read.GetOS().Fversion, "10.0.0");
  EXPECT_EQ(read.GetOS().Farchitecture, "amd64");
  EXPECT_EQ(read.FstartTime, info.FstartTime);
  EXPECT_EQ(read.FendTime, info.FendTime);
  EXPECT_EQ(read.Fdevice_count, 2);
  ASSERT_EQ(read.DriverPropsCount(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const TDevProp& a = info.GetDriverProps(i);
    const TDevProp& b = read.GetDriverProps(i);
    EXPECT_EQ(b.Fhardware_id, a.Fhardware_id);
    EXPECT_EQ(b.Fclassguid, a.Fclassguid);
    EXPECT_EQ(b.Fstr_name, a.Fstr_name);
    EXPECT_EQ(b.Fclass_description, a.Fclass_description);
    EXPECT_EQ(b.Fdriver_date, a.Fdriver_date);
    EXPECT_EQ(b.Fdriver_version, a.Fdriver_version);
    EXPECT_EQ(b.Finf_file, a.Finf_file);
    EXPECT_EQ(b.Finf_section, a.Finf_section);
    EXPECT_EQ(b.Fdevice_imageid, -3);
    EXPECT_EQ(b.Fdevice_name, a.Fdevice_name);
    EXPECT_EQ(b.Fdevice_class, a.Fdevice_class);
    EXPECT_EQ(b.Fdriver_size, a.Fdriver_size);
    EXPECT_EQ(b.Fdriver_newdate, a.Fdriver_newdate);
    EXPECT_EQ(b.Fdriver_newversion, a.Fdriver_newversion);
    EXPECT_EQ(b.Fdownload_url, a.Fdownload_url);
    EXPECT_EQ(b.Fmanufacturer, a.Fmanufacturer);
    EXPECT_EQ(b.Fdevice_ignore, a.Fdevice_ignore);
    EXPECT_EQ(b.Fdriver_id, a.Fdriver_id);
    EXPECT_EQ(b.Fprovider, a.Fprovider);
    EXPECT_EQ(b.Fguid, kNetGuid);
    EXPECT_EQ(b.Fstatus_code, a.Fstatus_code);
    ASSERT_EQ(b.CompatidsCount(), 2u);
    EXPECT_EQ(b.GetCompatid(0).Fcompatid, a.GetCompatid(0).Fcompatid);
    EXPECT_EQ(b.GetCompatid(1).Fcompatid, "");
    ASSERT_EQ(b.HardwareidCount(), 2u);
    EXPECT_EQ(b.GetHardwareid(0).Fdeviceid, a.Fhardware_id);
    EXPECT_EQ(b.GetHardwareid(1).Fdeviceid, "PCI\\VEN_8086");
  }
}

TEST(SysInfoReader, DeviceCountRule) {
  const std::string twoDevices = "0A 00 0A 00 ";
  struct Case {
    const char* name;
    std::string input;
    int32_t count;
  };
  const Case cases[] = {
      {"missing count is the number of devices", twoDevices, 2},
      {"zero count is the number of devices", twoDevices + "28 00", 2},
      {"a stored count is kept", twoDevices + "28 07", 7},
  };
  for (const Case& c : cases) {
    TSysInfo info;
    DecodeInto<TSysInfoReader>(Bytes(c.input), info);
    EXPECT_EQ(info.Fdevice_count, c.count) << c.name;
  }
}

TEST(SysInfoReader, GuidTextMustBeBraced) {
  TSysInfo info;
  try {
    DecodeInto<TSysInfoReader>(Bytes("0A 04 B2 01 01 58"), info);
    ADD_FAILURE() << "no error";
  } catch (const EGuidConvertError& error) {
    EXPECT_STREQ(error.what(), "'X' is not a valid GUID value");
  }
  EXPECT_THROW(DecodeInto<TSysInfoReader>(Bytes("0A 03 B2 01 00"), info), EGuidConvertError);
}

TEST(SysInfoReader, WrongWireTypeOfAKnownFieldFails) {
  const char* inputs[] = {
      "08 00",              // driverprops as a varint
      "1D 00 00 00 00",     // startTime as fixed32
      "2A 00",              // device_count as a string
      "0A 02 4A 00",        // device_imageid as a string
      "0A 03 BA 01 00",     // device_status as a string
      "0A 05 C2 01 02 08 00",  // a hardware id entry holding a varint
  };
  for (const char* input : inputs) {
    TSysInfo info;
    try {
      DecodeInto<TSysInfoReader>(Bytes(input), info);
      ADD_FAILURE() << input << ": no error";
    } catch (const EProtoAssertion& error) {
      EXPECT_STREQ(error.what(), "Assertion failure") << input;
    }
  }
}

// Every prefix and every single-byte corruption of a real record either decodes
// or fails with a codec error; nothing reads past the input (checked under ASan).
TEST(SysInfoReader, TruncatedOrCorruptInputFailsCleanly) {
  const std::vector<uint8_t> bytes = EncodeSysInfo(SampleSysInfo());
  for (size_t length = 0; length < bytes.size(); ++length) {
    std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
    TSysInfo info;
    try {
      DecodeInto<TSysInfoReader>(prefix, info);
    } catch (const EProtoError&) {
    }
  }
  for (size_t at = 0; at < bytes.size(); ++at) {
    for (uint8_t value : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0xFF}}) {
      std::vector<uint8_t> corrupt = bytes;
      corrupt[at] = value;
      TSysInfo info;
      try {
        DecodeInto<TSysInfoReader>(corrupt, info);
      } catch (const EProtoError&) {
      }
    }
  }
}

}  // namespace
