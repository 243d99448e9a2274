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
  constexpr int hidden = -1;
  struct Case {
    int kind;
    TMessageIcon icon;
    int okCaption;  // when OK is shown
    int okAnswer, yesAnswer, cancelAnswer;  // hidden: the button is not shown
    int closedAnswer;  // closed without a button
  } cases[] = {
      {7, TMessageIcon::Question, IDS_BUTTON_NEXT, 3, hidden, hidden, 4},
      {8, TMessageIcon::Information, IDS_BUTTON_DOWNLOAD, 5, hidden, hidden, 4},
      {9, TMessageIcon::Question, IDS_BUTTON_CONTINUE, 3, hidden, hidden, 4},
      {10, TMessageIcon::Information, IDS_BUTTON_VIEW, 7, hidden, hidden, 7},
      {11, TMessageIcon::Error, IDS_BUTTON_OK, 7, hidden, hidden, 7},
      {12, TMessageIcon::Question, IDS_BUTTON_OK, 1, hidden, 2, 2},
      {13, TMessageIcon::Question, 0, hidden, 6, 2, 2},
      {6, TMessageIcon::Information, IDS_BUTTON_OK, 7, hidden, hidden, 7},
      {0, TMessageIcon::Information, IDS_BUTTON_OK, 7, hidden, hidden, 7},
      {16, TMessageIcon::Information, IDS_BUTTON_OK, 7, hidden, hidden, 7},
      // Bit 2 outside 6 to 13: "No" on the OK button, and Yes.
      {4, TMessageIcon::Information, IDS_BUTTON_NO, 7, 6, hidden, 7},
      {36, TMessageIcon::Information, IDS_BUTTON_NO, 7, 6, hidden, 7},
  };
  for (const Case& c : cases) {
    TMessageBoxLayout layout = MessageBoxLayout(c.kind);
    EXPECT_EQ(layout.icon, c.icon) << c.kind;
    EXPECT_EQ(layout.ok.visible, c.okAnswer != hidden) << c.kind;
    EXPECT_EQ(layout.yes.visible, c.yesAnswer != hidden) << c.kind;
    EXPECT_EQ(layout.cancel.visible, c.cancelAnswer != hidden) << c.kind;
    if (layout.ok.visible) {
      EXPECT_EQ(layout.ok.captionId, c.okCaption) << c.kind;
    }
    // A hidden button's result cannot come from the user: it counts as a close.
    const int expected[] = {c.okAnswer, c.yesAnswer, c.cancelAnswer};
    const int results[] = {MODAL_OK, MODAL_YES, MODAL_CANCEL};
    for (int i = 0; i < 3; ++i) {
      const int answer = expected[i] == hidden ? c.closedAnswer : expected[i];
      EXPECT_EQ(MessageBoxAnswer(c.kind, results[i]), answer) << c.kind << " button " << results[i];
    }
    EXPECT_EQ(MessageBoxAnswer(c.kind, MODAL_CLOSED), c.closedAnswer) << c.kind;
    EXPECT_EQ(MessageBoxClosedAnswer(c.kind), c.closedAnswer) << c.kind;
  }
  EXPECT_EQ(MessageBoxLayout(8).ok.hintId, IDS_HINT_OPEN_DOWNLOAD_PAGE);
  EXPECT_EQ(MessageBoxLayout(13).cancel.captionId, IDS_BUTTON_NO);
  EXPECT_EQ(MessageBoxLayout(13).yes.captionId, IDS_BUTTON_YES);
  EXPECT_EQ(MessageBoxLayout(12).cancel.captionId, IDS_BUTTON_CANCEL);
}

// Closing a question must never answer yes or go on: a closed "Uninstall
// this device?" box would otherwise uninstall.
TEST(MessageBoxKinds, ClosingNeverAgrees) {
  for (int kind = 0; kind < 64; ++kind) {
    const int answer = MessageBoxClosedAnswer(kind);
    EXPECT_NE(answer, ID_YES) << kind;
    EXPECT_NE(answer, ID_ABORT) << kind;   // go on, kinds 7 and 9
    EXPECT_NE(answer, ID_IGNORE) << kind;  // go on, kind 8
    if (kind == 12) {
      EXPECT_NE(answer, ID_OK);
    }
  }
}

}  // namespace
