#include "proto/guid_text.h"

#include <gtest/gtest.h>

#include "proto/proto_errors.h"

namespace {

// GUID_DEVCLASS_NET as the Windows structure lays it out in memory.
const TGuid kNet = {0x72, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11,
                    0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};

TEST(GuidText, FormatsUpperCaseBraced) {
  EXPECT_EQ(GuidToString(kNet), "{4D36E972-E325-11CE-BFC1-08002BE10318}");
  EXPECT_EQ(GuidToString(TGuid{}), "{00000000-0000-0000-0000-000000000000}");
}

TEST(GuidText, ParsesEitherCase) {
  EXPECT_EQ(StringToGuid("{4D36E972-E325-11CE-BFC1-08002BE10318}"), kNet);
  EXPECT_EQ(StringToGuid("{4d36e972-e325-11ce-bfc1-08002be10318}"), kNet);
}

TEST(GuidText, RejectsEverythingElse) {
  const char* texts[] = {
      "",
      "4D36E972-E325-11CE-BFC1-08002BE10318",
      "{4D36E972-E325-11CE-BFC1-08002BE1031}",
      "{4D36E972-E325-11CE-BFC1-08002BE103180}",
      "{4D36E972E-325-11CE-BFC1-08002BE10318}",
      "{4D36E972-E325-11CE-BFC1-08002BE1031G}",
      "{4D36E972-E325-11CE-BFC1-08002BE10318)",
      "{+D36E972-E325-11CE-BFC1-08002BE10318}",
  };
  for (const char* text : texts) {
    try {
      StringToGuid(text);
      ADD_FAILURE() << text;
    } catch (const EGuidConvertError& error) {
      EXPECT_EQ(error.what(), "'" + std::string(text) + "' is not a valid GUID value");
    }
  }
}

}  // namespace
