#include <gtest/gtest.h>

#include "decode.h"
#include "hex_bytes.h"
#include "platform/sim/sim_module_version.h"

namespace {

std::string EncodeVersion(const TClientVersion& version) {
  TCVBuilder builder;
  builder.Write(version);
  return Hex(builder.GetBuf().GetBytes());
}

std::string EncodeStatus(const TClientStatus& status) {
  TStatusBuilder builder;
  builder.Write(status);
  return Hex(builder.GetBuf().GetBytes());
}

TEST(ClientVersion, ModuleVersionFillsTheFourNumbers) {
  TSimModuleVersion module;
  module.fileVersion = TFileVersion{2u << 16 | 1u, 0u << 16 | 37u};
  TClientVersion version;
  version.Freadme = "kept";
  version.GetModuleVersion(module);
  EXPECT_EQ(version.Fversion_major, "2");
  EXPECT_EQ(version.Fversion_minor, "1");
  EXPECT_EQ(version.Fversion_vminor, "0");
  EXPECT_EQ(version.Fversion_vbuild, "37");
  EXPECT_EQ(version.Freadme, "kept");
  version.Freadme.clear();
  EXPECT_EQ(EncodeVersion(version), "0A 01 32 12 01 31 1A 01 30 22 02 33 37");

  module.fileVersion = TFileVersion{0xFFFFFFFF, 0x0001000A};
  version.GetModuleVersion(module);
  EXPECT_EQ(version.Fversion_major + "." + version.Fversion_minor + "." + version.Fversion_vminor +
                "." + version.Fversion_vbuild,
            "65535.65535.1.10");
}

TEST(ClientVersion, NoVersionResourceChangesNothing) {
  TSimModuleVersion module;
  TClientVersion version;
  version.GetModuleVersion(module);
  EXPECT_EQ(version.Fversion_major, "");
  EXPECT_EQ(EncodeVersion(version), "");  // an empty version encodes to zero bytes
}

TEST(CVReader, ReadsFieldsSkipsOthersAndKeepsWhatIsMissing) {
  TClientVersion version;
  version.Fversion_vbuild = "kept";
  // Fields 1-3 and 5, an unknown field 6 (varint) and field 0 (fixed32), a repeated field 1.
  DecodeInto<TCVReader>(Bytes("0A 01 33 12 01 30 1A 01 31 30 96 01 2A 03 6E 65 77 05 00 00 00 00 0A 01 34"),
                        version);
  EXPECT_EQ(version.Fversion_major, "4");
  EXPECT_EQ(version.Fversion_minor, "0");
  EXPECT_EQ(version.Fversion_vminor, "1");
  EXPECT_EQ(version.Fversion_vbuild, "kept");
  EXPECT_EQ(version.Freadme, "new");
}

TEST(CVReader, WrongWireTypeFails) {
  TClientVersion version;
  try {
    DecodeInto<TCVReader>(Bytes("0A 01 33 20 05"), version);
    ADD_FAILURE() << "no error";
  } catch (const EProtoAssertion& error) {
    EXPECT_STREQ(error.what(), "Assertion failure");
  }
  EXPECT_EQ(version.Fversion_major, "3");  // fields read before the failure stay
}

TEST(StatusBuilder, Encodings) {
  TClientStatus none;
  EXPECT_EQ(EncodeStatus(none), "");

  TClientStatus empty;
  empty.AddDownload("", "");
  EXPECT_EQ(EncodeStatus(empty), "0A 04 0A 00 12 00");

  TClientStatus two;
  two.AddDownload("ab", "7");
  two.AddDownload("c", "");
  EXPECT_EQ(EncodeStatus(two), "0A 07 0A 02 61 62 12 01 37 0A 05 0A 01 63 12 00");
  two.DeleteDownload(0);
  EXPECT_EQ(two.GetDownload(0).Fdriver_checksum, "c");
  EXPECT_THROW(two.GetDownload(1), EListIndexError);
}

}  // namespace
