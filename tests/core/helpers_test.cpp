#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/file_names.h"
#include "core/message_box_kinds.h"
#include "core/number_text.h"
#include "core/scale.h"
#include "core/size_format.h"
#include "core/url.h"
#include "res/string_ids.h"

namespace {

TEST(SizeFormat, ByteSizes) {
  struct Case {
    int64_t size;
    const char* text;
  } cases[] = {
      {1073741824, "1024 MB"}, {1073741825, "1 GB"},      {1536, "1.5 KB"},
      {1024, "1024 bytes"},    {0, " bytes"},             {1048576, "1024 KB"},
      {1048577, "1 MB"},       {2684354560, "2.5 GB"},    {512, "512 bytes"},
      {-5, "-5 bytes"},        {1152, "1.13 KB"},         {1025, "1 KB"},
      {1100, "1.07 KB"},       {INT64_MAX, "8589934592 GB"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatByteSize(c.size, "."), c.text) << c.size;
  EXPECT_EQ(FormatByteSize(1536, ","), "1,5 KB");
  EXPECT_EQ(FormatByteSize(512 + 1024 * 1024 * 1024LL, ","), "1 GB");
}

TEST(SizeFormat, KilobyteTexts) {
  struct Case {
    const char* text;
    const char* result;
  } cases[] = {
      {"512", "512 KB"}, {"1024", "1024 KB"}, {"1536", "1.5 MB"},  {"0", "0 Bytes"},
      {"1025", "1 MB"},  {"1", "1024 Bytes"}, {"1048577", "1 GB"}, {"0x10", "16 KB"},
      {"1073741824", "1024 GB"}, {"-3", "-3072 Bytes"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatKilobyteSize(c.text, "."), c.result) << c.text;
  EXPECT_EQ(FormatKilobyteSize("1536", ","), "1,5 MB");
  for (const char* bad : {"abc", "", "1.5", "12 KB", "99999999999999999999", "9007199254740993000"}) {
    try {
      FormatKilobyteSize(bad, ".");
      ADD_FAILURE() << bad;
    } catch (const EConvertError& error) {
      EXPECT_EQ(error.what(), std::string("'") + bad + "' is not a valid integer value");
    }
  }
}

TEST(NumberText, Forms) {
  struct Case {
    const char* text;
    std::optional<int64_t> value;
  } cases[] = {
      {"42", 42},   {"-42", -42}, {"+7", 7},       {"  12", 12},      {"0x1F", 31},
      {"$ff", 255}, {"0X10", 16}, {"", {}},        {"-", {}},         {"0x", {}},
      {"1 ", {}},   {"yes", {}},  {"12a", {}},     {"9223372036854775807", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},         {"9223372036854775808", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << c.text;
  EXPECT_EQ(StrToIntDef("2147483648", 8080), 8080);
  EXPECT_EQ(StrToIntDef("-2147483648", 8080), INT32_MIN);
}

TEST(MakeValidFileName, ReplacesOnlyTheEightCharacters) {
  EXPECT_EQ(MakeValidFileName("Intel(R) USB 3.0 eXtensible Host Controller - 1.0 (Microsoft)"),
            "Intel(R) USB 3.0 eXtensible Host Controller - 1.0 (Microsoft)");
  EXPECT_EQ(MakeValidFileName("PCI/VEN:8086"), "PCI_VEN_8086");
  EXPECT_EQ(MakeValidFileName("a*b?c<d>e\\f|g\"h Grafikkarte – ü"), "a_b_c_d_e_f_g\"h Grafikkarte – ü");
}

TEST(DecodeURL, PercentEscapesAsUtf8AndPlus) {
  EXPECT_EQ(DecodeURL("https://x.test/a%20b+c%C3%BC"), "https://x.test/a b cü");
  EXPECT_EQ(DecodeURL("100%"), "100%");
  EXPECT_EQ(DecodeURL("%zz%4"), "%zz%4");
  EXPECT_EQ(DecodeURL("%2B"), "+");
}

TEST(ScaleToScreen, RoundsLikeMulDiv) {
  EXPECT_EQ(ScaleToScreen(100, 96, 144), 150);
  EXPECT_EQ(ScaleToScreen(30, 96, 120), 38);  // 37.5 rounds up
  EXPECT_EQ(ScaleToScreen(-30, 96, 120), -38);
  EXPECT_EQ(ScaleToScreen(10, 0, 96), -1);
}

TEST(MessageBoxKinds, ButtonsAndAnswers) {
  struct Case {
    int kind;
    TMessageIcon icon;
    bool yes, ok, cancel;
    int okCaption;
    int okAnswer;     // OK pressed
    int otherAnswer;  // the other visible button
    int closedAnswer; // closed through the frame
  } cases[] = {
      {7, TMessageIcon::Question, false, true, false, IDS_BUTTON_NEXT, 3, 4, 4},
      {8, TMessageIcon::Information, false, true, false, IDS_BUTTON_DOWNLOAD, 5, 4, 4},
      {9, TMessageIcon::Question, false, true, false, IDS_BUTTON_CONTINUE, 3, 4, 4},
      {10, TMessageIcon::Information, false, true, false, IDS_BUTTON_VIEW, 7, 6, 6},
      {11, TMessageIcon::Error, false, true, false, IDS_BUTTON_OK, 7, 6, 6},
      {12, TMessageIcon::Question, false, true, true, IDS_BUTTON_OK, 1, 2, 2},
      {6, TMessageIcon::Information, false, true, false, IDS_BUTTON_OK, 7, 6, 6},
      {0, TMessageIcon::Information, false, true, false, IDS_BUTTON_OK, 7, 6, 6},
      {4, TMessageIcon::Information, true, true, false, IDS_BUTTON_NO, 7, 6, 6},
      {36, TMessageIcon::Information, true, true, false, IDS_BUTTON_NO, 7, 6, 6},
  };
  for (const Case& c : cases) {
    TMessageBoxLayout layout = MessageBoxLayout(c.kind);
    EXPECT_EQ(layout.icon, c.icon) << c.kind;
    EXPECT_EQ(layout.yes.visible, c.yes) << c.kind;
    EXPECT_EQ(layout.ok.visible, c.ok) << c.kind;
    EXPECT_EQ(layout.cancel.visible, c.cancel) << c.kind;
    EXPECT_EQ(layout.ok.captionId, c.okCaption) << c.kind;
    EXPECT_EQ(MessageBoxAnswer(c.kind, MODAL_OK), c.okAnswer) << c.kind;
    EXPECT_EQ(MessageBoxAnswer(c.kind, c.yes ? MODAL_YES : MODAL_CANCEL), c.otherAnswer) << c.kind;
    EXPECT_EQ(MessageBoxAnswer(c.kind, MODAL_CLOSED), c.closedAnswer) << c.kind;
  }
  EXPECT_EQ(MessageBoxLayout(8).ok.hintId, IDS_HINT_OPEN_DOWNLOAD_PAGE);

  TMessageBoxLayout yesNo = MessageBoxLayout(13);
  EXPECT_TRUE(yesNo.yes.visible && yesNo.cancel.visible && !yesNo.ok.visible);
  EXPECT_EQ(yesNo.cancel.captionId, IDS_BUTTON_NO);
  EXPECT_EQ(MessageBoxAnswer(13, MODAL_YES), 6);
  EXPECT_EQ(MessageBoxAnswer(13, MODAL_CANCEL), 2);
}

}  // namespace
