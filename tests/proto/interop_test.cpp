// Our writers and readers against the classes protoc generates from
// proto/quorvane.proto: randomised messages (a fixed generator start) go both ways and must
// arrive with the same values.
#include <gtest/gtest.h>
#include <quorvane.pb.h>

#include <random>

#include "decode.h"
#include "proto/driver_builder.h"
#include "proto/sysinfo_writer.h"

namespace {

template <typename TOurs, typename TTheirs>
struct TStringField {
  std::string TOurs::*ours;
  const std::string& (TTheirs::*get)() const;
  std::string* (TTheirs::*set)();
};

using TDriverString = TStringField<TDeviceDriver, quorvane::DeviceDriver>;
const TDriverString kDriverStrings[] = {
    {&TDeviceDriver::Fhardware_id, &quorvane::DeviceDriver::hardware_id, &quorvane::DeviceDriver::mutable_hardware_id},
    {&TDeviceDriver::Fdriver_date, &quorvane::DeviceDriver::driver_date, &quorvane::DeviceDriver::mutable_driver_date},
    {&TDeviceDriver::Fdriver_version, &quorvane::DeviceDriver::driver_version, &quorvane::DeviceDriver::mutable_driver_version},
    {&TDeviceDriver::Finf_file, &quorvane::DeviceDriver::inf_file, &quorvane::DeviceDriver::mutable_inf_file},
    {&TDeviceDriver::Finf_section, &quorvane::DeviceDriver::inf_section, &quorvane::DeviceDriver::mutable_inf_section},
    {&TDeviceDriver::Fdownload_url, &quorvane::DeviceDriver::download_url, &quorvane::DeviceDriver::mutable_download_url},
    {&TDeviceDriver::Frelease_notes, &quorvane::DeviceDriver::release_notes, &quorvane::DeviceDriver::mutable_release_notes},
    {&TDeviceDriver::Fdevice_name, &quorvane::DeviceDriver::device_name, &quorvane::DeviceDriver::mutable_device_name},
    {&TDeviceDriver::Fdevice_class, &quorvane::DeviceDriver::device_class, &quorvane::DeviceDriver::mutable_device_class},
    {&TDeviceDriver::Fdriver_size, &quorvane::DeviceDriver::driver_size, &quorvane::DeviceDriver::mutable_driver_size},
    {&TDeviceDriver::Fdriver_id, &quorvane::DeviceDriver::driver_id, &quorvane::DeviceDriver::mutable_driver_id},
};

using TDevPropString = TStringField<TDevProp, quorvane::DevProp>;
const TDevPropString kDevPropStrings[] = {
    {&TDevProp::Fhardware_id, &quorvane::DevProp::hardware_id, &quorvane::DevProp::mutable_hardware_id},
    {&TDevProp::Fclassguid, &quorvane::DevProp::classguid, &quorvane::DevProp::mutable_classguid},
    {&TDevProp::Fstr_name, &quorvane::DevProp::str_name, &quorvane::DevProp::mutable_str_name},
    {&TDevProp::Fclass_description, &quorvane::DevProp::class_description, &quorvane::DevProp::mutable_class_description},
    {&TDevProp::Fdriver_date, &quorvane::DevProp::driver_date, &quorvane::DevProp::mutable_driver_date},
    {&TDevProp::Fdriver_version, &quorvane::DevProp::driver_version, &quorvane::DevProp::mutable_driver_version},
    {&TDevProp::Finf_file, &quorvane::DevProp::inf_file, &quorvane::DevProp::mutable_inf_file},
    {&TDevProp::Finf_section, &quorvane::DevProp::inf_section, &quorvane::DevProp::mutable_inf_section},
    {&TDevProp::Frelease_notes, &quorvane::DevProp::release_notes, &quorvane::DevProp::mutable_release_notes},
    {&TDevProp::Fdevice_name, &quorvane::DevProp::device_name, &quorvane::DevProp::mutable_device_name},
    {&TDevProp::Fdevice_class, &quorvane::DevProp::device_class, &quorvane::DevProp::mutable_device_class},
    {&TDevProp::Fdriver_size, &quorvane::DevProp::driver_size, &quorvane::DevProp::mutable_driver_size},
    {&TDevProp::Fdriver_newdate, &quorvane::DevProp::driver_newdate, &quorvane::DevProp::mutable_driver_newdate},
    {&TDevProp::Fdriver_newversion, &quorvane::DevProp::driver_newversion, &quorvane::DevProp::mutable_driver_newversion},
    {&TDevProp::Fdownload_url, &quorvane::DevProp::download_url, &quorvane::DevProp::mutable_download_url},
    {&TDevProp::Fmanufacturer, &quorvane::DevProp::manufacturer, &quorvane::DevProp::mutable_manufacturer},
    {&TDevProp::Fdriver_id, &quorvane::DevProp::driver_id, &quorvane::DevProp::mutable_driver_id},
    {&TDevProp::Fprovider, &quorvane::DevProp::provider, &quorvane::DevProp::mutable_provider},
};

// Random values from a fixed generator start: texts mix empty, ASCII, accented, CJK and
// four-byte characters; ids repeat; status codes reach the top of 32 bits.
class TRandomValues {
 public:
  std::string Text() {
    static const char* const kPieces[] = {"", "PCI\\VEN_8086&DEV_1234", "Ger\xC3\xA4t", "\xE6\x97\xA5\xE6\x9C\xAC",
                                          "\xF0\x9F\x98\x80", " ", "oem12.inf", "{x}", "ACPI\\PNP0A08"};
    std::string text;
    for (int pieces = Number(0, 3); pieces > 0; --pieces) text += kPieces[Number(0, 8)];
    return text;
  }
  int Number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_engine); }
  uint32_t Status() {
    static const uint32_t kEdges[] = {0, 1, 28, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    return Number(0, 1) ? kEdges[Number(0, 5)] : static_cast<uint32_t>(m_engine());
  }
  TGuid Guid() {
    TGuid guid;
    for (uint8_t& byte : guid) byte = static_cast<uint8_t>(m_engine());
    return guid;
  }

 private:
  std::mt19937 m_engine{20240501};
};

TEST(Interop, DriversBothWays) {
  TRandomValues random;
  for (int round = 0; round < 50; ++round) {
    // Ours to theirs.
    TDrivers ours;
    ours.SetOS(random.Text(), random.Text(), random.Text());
    for (int i = random.Number(0, 20); i > 0; --i) {
      TDeviceDriver& driver = ours.AddDriver({});
      for (const TDriverString& field : kDriverStrings) driver.*field.ours = random.Text();
      for (int c = random.Number(0, 4); c > 0; --c) driver.AddCompatid(random.Text());
    }
    TDriverBuilder builder;
    builder.Write(ours);
    std::vector<uint8_t> bytes = builder.GetBuf().GetBytes();
    quorvane::Drivers theirs;
    ASSERT_TRUE(theirs.ParseFromArray(bytes.data(), static_cast<int>(bytes.size())));
    ASSERT_EQ(static_cast<size_t>(theirs.driver_size()), ours.DriverCount());
    EXPECT_EQ(theirs.os().name(), ours.GetOS().Fname);
    EXPECT_EQ(theirs.os().version(), ours.GetOS().Fversion);
    EXPECT_EQ(theirs.os().architecture(), ours.GetOS().Farchitecture);
    for (int i = 0; i < theirs.driver_size(); ++i) {
      const TDeviceDriver& a = ours.GetDrivers(static_cast<size_t>(i));
      const quorvane::DeviceDriver& b = theirs.driver(i);
      for (const TDriverString& field : kDriverStrings) EXPECT_EQ((b.*field.get)(), a.*field.ours);
      ASSERT_EQ(static_cast<size_t>(b.compatids_size()), a.CompatidsCount());
      for (int c = 0; c < b.compatids_size(); ++c)
        EXPECT_EQ(b.compatids(c).compatid(), a.GetCompatid(static_cast<size_t>(c)).Fcompatid);
    }

    // Theirs to ours.
    quorvane::Drivers answer;
    if (random.Number(0, 1)) answer.mutable_os()->set_version(random.Text());
    for (int i = random.Number(0, 20); i > 0; --i) {
      quorvane::DeviceDriver* driver = answer.add_driver();
      for (const TDriverString& field : kDriverStrings) *(driver->*field.set)() = random.Text();
      for (int c = random.Number(0, 4); c > 0; --c) driver->add_compatids()->set_compatid(random.Text());
    }
    std::string serialized = answer.SerializeAsString();
    TDrivers read = DecodeDrivers(std::vector<uint8_t>(serialized.begin(), serialized.end()));
    ASSERT_EQ(read.DriverCount(), static_cast<size_t>(answer.driver_size()));
    EXPECT_EQ(read.GetOS().Fversion, answer.os().version());
    for (int i = 0; i < answer.driver_size(); ++i) {
      const TDeviceDriver& a = read.GetDrivers(static_cast<size_t>(i));
      for (const TDriverString& field : kDriverStrings) EXPECT_EQ(a.*field.ours, (answer.driver(i).*field.get)());
      ASSERT_EQ(a.CompatidsCount(), static_cast<size_t>(answer.driver(i).compatids_size()));
      for (int c = 0; c < answer.driver(i).compatids_size(); ++c)
        EXPECT_EQ(a.GetCompatid(static_cast<size_t>(c)).Fcompatid, answer.driver(i).compatids(c).compatid());
    }
  }
}

void ExpectSameDevice(const TDevProp& ours, const quorvane::DevProp& theirs) {
  for (const TDevPropString& field : kDevPropStrings) EXPECT_EQ(ours.*field.ours, (theirs.*field.get)());
  EXPECT_EQ(ours.Fdevice_imageid, theirs.device_imageid());
  EXPECT_EQ(ours.Fdevice_ignore, theirs.device_ignore());
  EXPECT_EQ(GuidToString(ours.Fguid), theirs.guid());
  EXPECT_EQ(ours.Fstatus_code, static_cast<uint32_t>(theirs.device_status()));
  ASSERT_EQ(ours.CompatidsCount(), static_cast<size_t>(theirs.compatids_size()));
  for (int c = 0; c < theirs.compatids_size(); ++c)
    EXPECT_EQ(ours.GetCompatid(static_cast<size_t>(c)).Fcompatid, theirs.compatids(c).compatid());
  ASSERT_EQ(ours.HardwareidCount(), static_cast<size_t>(theirs.hardware_ids_size()));
  for (int h = 0; h < theirs.hardware_ids_size(); ++h)
    EXPECT_EQ(ours.GetHardwareid(static_cast<size_t>(h)).Fdeviceid, theirs.hardware_ids(h).deviceid());
}

TEST(Interop, SysInfoBothWays) {
  TRandomValues random;
  for (int round = 0; round < 50; ++round) {
    TSysInfo ours;
    ours.SetOS("Windows", random.Text(), random.Text());
    ours.FstartTime = random.Text();
    ours.FendTime = random.Text();
    ours.Fdevice_count = random.Number(-1, 30);
    for (int i = random.Number(0, 20); i > 0; --i) {
      TDevProp device;
      for (const TDevPropString& field : kDevPropStrings) device.*field.ours = random.Text();
      device.Fdevice_imageid = random.Number(-5, 200);
      device.Fdevice_ignore = random.Number(0, 1);
      device.Fguid = random.Guid();
      device.Fstatus_code = random.Status();
      for (int c = random.Number(0, 4); c > 0; --c) device.AddCompatid(random.Text());
      for (int h = random.Number(0, 4); h > 0; --h) device.AddHardwareid(random.Text());
      ours.AddDevice(std::move(device));
    }
    TSysInfoWriter writer;
    writer.Write(ours);
    std::vector<uint8_t> bytes = writer.GetBuf().GetBytes();
    quorvane::SysInfo theirs;
    ASSERT_TRUE(theirs.ParseFromArray(bytes.data(), static_cast<int>(bytes.size())));
    EXPECT_EQ(theirs.sysdetail().version(), ours.GetOS().Fversion);
    EXPECT_EQ(theirs.starttime(), ours.FstartTime);
    EXPECT_EQ(theirs.endtime(), ours.FendTime);
    EXPECT_EQ(theirs.device_count(), ours.Fdevice_count);
    ASSERT_EQ(static_cast<size_t>(theirs.driverprops_size()), ours.DriverPropsCount());
    for (int i = 0; i < theirs.driverprops_size(); ++i) {
      ExpectSameDevice(ours.GetDriverProps(static_cast<size_t>(i)), theirs.driverprops(i));
    }

    // Theirs, re-serialised by libprotobuf (zero integers and empty texts left
    // out), read back by ours.
    theirs.set_device_count(random.Number(0, 1) ? 0 : theirs.device_count());
    if (theirs.driverprops_size() > 0) theirs.mutable_driverprops(0)->set_device_status(0x100000005);
    std::string serialized = theirs.SerializeAsString();
    TSysInfo read = DecodeSysInfo(std::vector<uint8_t>(serialized.begin(), serialized.end()));
    ASSERT_EQ(read.DriverPropsCount(), static_cast<size_t>(theirs.driverprops_size()));
    for (int i = 0; i < theirs.driverprops_size(); ++i) {
      ExpectSameDevice(read.GetDriverProps(static_cast<size_t>(i)), theirs.driverprops(i));
    }
    if (theirs.driverprops_size() > 0) {
      EXPECT_EQ(read.GetDriverProps(0).Fstatus_code, 5u);  // the low 32 bits of a wider value
    }
    EXPECT_EQ(read.Fdevice_count,
              theirs.device_count() == 0 ? theirs.driverprops_size() : theirs.device_count());
    EXPECT_EQ(read.FstartTime, theirs.starttime());
  }
}

// Where every text is filled and every integer is above zero, libprotobuf writes the
// same fields in the same order, so the bytes must be equal. The lengths step across
// the varint boundaries of 128 and 16384 for the texts, the compatible and hardware
// id entries, the records and the root lists.
TEST(Interop, SameBytesAcrossLengthBoundaries) {
  struct Range {
    size_t from, to;
  };
  const Range ranges[] = {{1, 4}, {100, 140}, {16330, 16400}};
  for (const Range& range : ranges) {
    for (size_t length = range.from; length <= range.to; ++length) {
      const std::string text(length, 'x');
      TDrivers drivers;
      drivers.SetOS("Windows", "10.0.0", text);
      TDeviceDriver& driver = drivers.AddDriver({});
      for (const TDriverString& field : kDriverStrings) driver.*field.ours = "v";
      driver.Fhardware_id = text;
      driver.AddCompatid(text);
      driver.AddCompatid("PCI\\CC_0604");
      TDriverBuilder builder;
      builder.Write(drivers);
      const std::vector<uint8_t> ours = builder.GetBuf().TakeBytes();
      quorvane::Drivers theirDrivers;
      ASSERT_TRUE(theirDrivers.ParseFromArray(ours.data(), static_cast<int>(ours.size())));
      const std::string theirs = theirDrivers.SerializeAsString();
      EXPECT_EQ(std::string(ours.begin(), ours.end()), theirs) << "driver record, text of " << length;

      TSysInfo info;
      info.SetOS("Windows", "10.0.0", "amd64");
      info.FstartTime = text;
      info.FendTime = "end";
      info.Fdevice_count = static_cast<int32_t>(length);
      TDevProp device;
      for (const TDevPropString& field : kDevPropStrings) device.*field.ours = "v";
      device.Fstr_name = text;
      device.Fdevice_imageid = static_cast<int32_t>(length);
      device.Fdevice_ignore = 1;
      device.Fguid = {0x72, 0xE9, 0x36, 0x4D};
      device.Fstatus_code = 0xFFFFFFFF;
      device.AddCompatid(text);
      device.AddHardwareid("PCI\\VEN_8086");
      device.AddHardwareid(text);
      info.AddDevice(std::move(device));
      TSysInfoWriter writer;
      writer.Write(info);
      const std::vector<uint8_t> stored = writer.GetBuf().TakeBytes();
      quorvane::SysInfo theirInfo;
      ASSERT_TRUE(theirInfo.ParseFromArray(stored.data(), static_cast<int>(stored.size())));
      EXPECT_EQ(std::string(stored.begin(), stored.end()), theirInfo.SerializeAsString())
          << "device record, text of " << length;
    }
  }
}

TEST(Interop, VersionAndStatus) {
  TRandomValues random;
  for (int round = 0; round < 50; ++round) {
    TClientVersion ours;
    ours.Fversion_major = random.Text();
    ours.Fversion_minor = random.Text();
    ours.Fversion_vminor = random.Text();
    ours.Fversion_vbuild = random.Text();
    ours.Freadme = random.Text();
    TCVBuilder builder;
    builder.Write(ours);
    std::vector<uint8_t> bytes = builder.GetBuf().GetBytes();
    quorvane::ClientVersion theirs;
    ASSERT_TRUE(theirs.ParseFromArray(bytes.data(), static_cast<int>(bytes.size())));
    EXPECT_EQ(theirs.version_major(), ours.Fversion_major);
    EXPECT_EQ(theirs.version_vbuild(), ours.Fversion_vbuild);
    EXPECT_EQ(theirs.readme(), ours.Freadme);

    theirs.set_version_minor(random.Text());
    std::string serialized = theirs.SerializeAsString();
    TClientVersion read;
    DecodeInto<TCVReader>(std::vector<uint8_t>(serialized.begin(), serialized.end()), read);
    EXPECT_EQ(read.Fversion_major, theirs.version_major());
    EXPECT_EQ(read.Fversion_minor, theirs.version_minor());
    EXPECT_EQ(read.Fversion_vminor, theirs.version_vminor());
    EXPECT_EQ(read.Fversion_vbuild, theirs.version_vbuild());
    EXPECT_EQ(read.Freadme, theirs.readme());

    TClientStatus status;
    for (int i = random.Number(0, 3); i > 0; --i) status.AddDownload(random.Text(), random.Text());
    TStatusBuilder statusBuilder;
    statusBuilder.Write(status);
    bytes = statusBuilder.GetBuf().GetBytes();
    quorvane::ClientStatus theirStatus;
    ASSERT_TRUE(theirStatus.ParseFromArray(bytes.data(), static_cast<int>(bytes.size())));
    ASSERT_EQ(static_cast<size_t>(theirStatus.downloads_size()), status.DownloadCount());
    for (int i = 0; i < theirStatus.downloads_size(); ++i) {
      EXPECT_EQ(theirStatus.downloads(i).driver_checksum(), status.GetDownload(static_cast<size_t>(i)).Fdriver_checksum);
      EXPECT_EQ(theirStatus.downloads(i).driver_id(), status.GetDownload(static_cast<size_t>(i)).Fdriver_id);
    }
  }
}

}  // namespace
