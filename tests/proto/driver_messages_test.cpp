#include <gtest/gtest.h>

#include "decode.h"
#include "hex_bytes.h"
#include "proto/driver_builder.h"

namespace {

std::string EncodeDrivers(const TDrivers& drivers, bool* result = nullptr) {
  TDriverBuilder builder;
  bool written = builder.Write(drivers);
  if (result) *result = written;
  return Hex(builder.GetBuf().GetBytes());
}

TEST(DriverBuilder, EmptyRequestIsTheEmptyOsOnly) {
  bool result = false;
  EXPECT_EQ(EncodeDrivers(TDrivers{}, &result), "12 00");
  EXPECT_TRUE(result);
}

TEST(DriverBuilder, DriverWithoutTextsKeepsDriverSizeAndIsReportedFalse) {
  TDrivers drivers;
  drivers.AddDriver({});
  bool result = true;
  EXPECT_EQ(EncodeDrivers(drivers, &result), "0A 02 52 00 12 00");
  EXPECT_FALSE(result);
}

TEST(DriverBuilder, WritesFieldsInOrderAndEveryCompatibleIdEvenEmpty) {
  TDrivers drivers;
  TDeviceDriver& driver = drivers.AddDriver({});
  driver.Fhardware_id = "A";
  driver.Fdevice_class = "N";
  driver.Fdriver_size = "9";
  driver.Fdriver_name = "never written";
  driver.Fdriver_checksum = "never written";
  driver.AddCompatid("c1");
  driver.AddCompatid("");
  drivers.SetOS("Windows", "10.0.0", "amd64");
  EXPECT_EQ(EncodeDrivers(drivers),
            "0A 13 0A 01 41 4A 01 4E 52 01 39 62 04 0A 02 63 31 62 02 0A 00 "
            "12 18 0A 07 57 69 6E 64 6F 77 73 12 06 31 30 2E 30 2E 30 1A 05 61 6D 64 36 34");
}

TEST(DriverReader, ReadsBackWhatTheBuilderWrote) {
  TDrivers drivers;
  for (int i = 0; i < 3; ++i) {
    TDeviceDriver& d = drivers.AddDriver({});
    d.Fhardware_id = "PCI\\VEN_" + std::to_string(i);
    d.Fdriver_date = "2024-01-0" + std::to_string(i);
    d.Fdriver_version = "1.0." + std::to_string(i);
    d.Finf_file = "oem.inf";
    d.Finf_section = "Install";
    d.Fdownload_url = "https://x/" + std::to_string(i);
    d.Frelease_notes = "notes";
    d.Fdevice_name = "Gerät \xE2\x84\xA2";
    d.Fdevice_class = "Net";
    d.Fdriver_id = "id" + std::to_string(i);
    d.AddCompatid("first");
    d.AddCompatid("second");
  }
  drivers.SetOS("Windows", "6.1.0", "x86");
  TDriverBuilder builder;
  ASSERT_TRUE(builder.Write(drivers));
  TDrivers read = DecodeDrivers(builder.GetBuf().GetBytes());

  ASSERT_EQ(read.DriverCount(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const TDeviceDriver& a = drivers.GetDrivers(i);
    const TDeviceDriver& b = read.GetDrivers(i);
    EXPECT_EQ(b.Fhardware_id, a.Fhardware_id);
    EXPECT_EQ(b.Fdriver_date, a.Fdriver_date);
    EXPECT_EQ(b.Fdriver_version, a.Fdriver_version);
    EXPECT_EQ(b.Finf_file, a.Finf_file);
    EXPECT_EQ(b.Finf_section, a.Finf_section);
    EXPECT_EQ(b.Fdownload_url, a.Fdownload_url);
    EXPECT_EQ(b.Frelease_notes, a.Frelease_notes);
    EXPECT_EQ(b.Fdevice_name, a.Fdevice_name);
    EXPECT_EQ(b.Fdevice_class, a.Fdevice_class);
    EXPECT_EQ(b.Fdriver_size, "");
    EXPECT_EQ(b.Fdriver_id, a.Fdriver_id);
    ASSERT_EQ(b.CompatidsCount(), 2u);
    EXPECT_EQ(b.GetCompatid(0).Fcompatid, "first");
    EXPECT_EQ(b.GetCompatid(1).Fcompatid, "second");
  }
  EXPECT_EQ(read.GetOS().Fname, "Windows");
  EXPECT_EQ(read.GetOS().Fversion, "6.1.0");
  EXPECT_EQ(read.GetOS().Farchitecture, "x86");
}

TEST(DriverReader, ReadingRules) {
  // Unknown root field 7 of every readable wire type, an unknown field inside a
  // driver, a repeated scalar (last wins), a second os merged field by field.
  TDrivers drivers = DecodeDrivers(Bytes(
      "38 05  39 01 02 03 04 05 06 07 08  3A 01 61  3D 01 02 03 04 "
      "0A 0C 0A 01 41 68 07 0A 01 42 62 02 0A 00 "
      "12 03 0A 01 57  12 03 12 01 36  05 01 02 03 04"));
  ASSERT_EQ(drivers.DriverCount(), 1u);
  EXPECT_EQ(drivers.GetDrivers(0).Fhardware_id, "B");
  ASSERT_EQ(drivers.GetDrivers(0).CompatidsCount(), 1u);
  EXPECT_EQ(drivers.GetDrivers(0).GetCompatid(0).Fcompatid, "");
  EXPECT_EQ(drivers.GetOS().Fname, "W");
  EXPECT_EQ(drivers.GetOS().Fversion, "6");
}

TEST(DriverReader, EmptyEmbeddedDriverConsumesNothingAfterItsLength) {
  TDrivers drivers = DecodeDrivers(Bytes("0A 00 0A 03 0A 01 41"));
  ASSERT_EQ(drivers.DriverCount(), 2u);
  EXPECT_EQ(drivers.GetDrivers(0).Fhardware_id, "");
  EXPECT_EQ(drivers.GetDrivers(1).Fhardware_id, "A");
}

TEST(DriverReader, WrongWireTypeOfAKnownFieldFails) {
  const char* inputs[] = {
      "08 01",              // root driver as a varint
      "10 01",              // root os as a varint
      "0A 02 08 01",        // hardware_id as a varint
      "0A 04 62 02 08 01",  // compatid as a varint
      "12 02 1D 00",        // architecture as fixed32
  };
  for (const char* input : inputs) {
    TDrivers drivers;
    try {
      DecodeInto<TDriverReader>(Bytes(input), drivers);
      ADD_FAILURE() << input << ": no error";
    } catch (const EProtoAssertion& error) {
      EXPECT_STREQ(error.what(), "Assertion failure") << input;
    }
  }
}

TEST(DriverReader, FailureKeepsTheDriversReadSoFar) {
  TDrivers drivers;
  EXPECT_THROW(DecodeInto<TDriverReader>(Bytes("0A 03 0A 01 41 0A 05 0A 03 42"), drivers),
               EProtoError);
  ASSERT_EQ(drivers.DriverCount(), 2u);
  EXPECT_EQ(drivers.GetDrivers(0).Fhardware_id, "A");
}

TEST(DriverMessages, ListOperations) {
  TDrivers drivers;
  drivers.AddDriver({}).Fhardware_id = "A";
  drivers.AddDriver({}).Fhardware_id = "B";
  drivers.DeleteDriver(0);
  EXPECT_EQ(drivers.GetDrivers(0).Fhardware_id, "B");
  EXPECT_THROW(drivers.GetDrivers(1), EListIndexError);
  EXPECT_THROW(drivers.DeleteDriver(5), EListIndexError);
  drivers.SetOS("Windows", "10.0.0", "amd64");
  drivers.Clear();
  EXPECT_EQ(drivers.DriverCount(), 0u);
  EXPECT_EQ(drivers.GetOS().Fname, "Windows");  // the OS stays
}

}  // namespace
