// INF reading: DriverVer forms, target decorations, the generic syntax (comments, quotes,
// continuations, %strkey% tokens, UTF-16) and the hardware ids per OS range.
#include <gtest/gtest.h>

#include "inf_driver.h"
#include "inf_file.h"
#include "inf_text.h"
#include "os_target.h"
#include "package_error.h"

using namespace qvserver;

TEST(DriverVer, Forms) {
  struct Case {
    const char* text;
    const char* date;     // nullptr: refused
    const char* version;
  };
  const Case cases[] = {
      {"06/21/2006,61.65.9.1", "2006-06-21", "61.65.9.1"},
      {" 6/1/2023 , 1.2.3 ", "2023-06-01", "1.2.3.0"},
      {"06-21-2006,10.0.19041.1", "2006-06-21", "10.0.19041.1"},
      {"06/21/2006,65535.65535.65535.65535", "2006-06-21", "65535.65535.65535.65535"},
      {"06/21/2006", nullptr, nullptr},             // no version
      {"2006/06/21,1.0", nullptr, nullptr},         // year first
      {"13/01/2020,1.0", nullptr, nullptr},         // month 13
      {"06/21/06,1.0", nullptr, nullptr},           // two-digit year
      {"06/21/2006,1.2.3.4.5", nullptr, nullptr},   // five parts
      {"06/21/2006,70000.0", nullptr, nullptr},     // part above 16 bits
      {"06/21/2006,1.x", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    auto parsed = parse_driver_ver(c.text);
    if (!c.date) {
      EXPECT_FALSE(parsed) << c.text;
      continue;
    }
    ASSERT_TRUE(parsed) << c.text;
    EXPECT_EQ(parsed->date, c.date) << c.text;
    EXPECT_EQ(parsed->version.text(), c.version) << c.text;
  }
}

TEST(DriverVersionOrder, ComparesNumbersNotText) {
  EXPECT_LT(*parse_driver_version("9.0.0.0"), *parse_driver_version("10.0.0.0"));
  EXPECT_LT(*parse_driver_version("1.2.3.9"), *parse_driver_version("1.2.3.10"));
  EXPECT_EQ(*parse_driver_version("1.2"), *parse_driver_version("1.2.0.0"));
  EXPECT_EQ(parse_driver_version(" 65535.0.7.1 ")->text(), "65535.0.7.1");
  for (const char* refused : {"", " ", "1.2.3.4.5", "1.", ".1", "1..2", "65536", "1.x", "-1"})
    EXPECT_FALSE(parse_driver_version(refused)) << refused;
}

TEST(Decoration, Forms) {
  struct Case {
    const char* text;
    bool valid;
    const char* architecture;
    int os_version;
  };
  const Case cases[] = {
      {"", true, "x86", kUndecorated},
      {"NTx86", true, "x86", 0},
      {"NTamd64", true, "amd64", 0},
      {"ntAMD64.10.0", true, "amd64", 10000},
      {"NTamd64.10.0...19041", true, "amd64", 10000},
      {"NTamd64.6.3.1", true, "amd64", 6003},
      {"NTarm64", true, "arm64", 0},
      {"NTarm", true, "arm", 0},
      {"NTia64.5.2", true, "ia64", 5002},
      {"NT.6.1", true, "x86", 6001},
      {"NT", true, "x86", 0},
      {"Win64", false, "", 0},
      {"NTamd64x", false, "", 0},
      {"NTamd64.ten", false, "", 0},
  };
  for (const auto& c : cases) {
    auto decoration = parse_decoration(c.text);
    ASSERT_EQ(decoration.has_value(), c.valid) << c.text;
    if (!c.valid) continue;
    EXPECT_EQ(decoration->architecture, c.architecture) << c.text;
    EXPECT_EQ(decoration->os_version, c.os_version) << c.text;
  }
}

TEST(RequestTarget, ArchitectureAndVersionTexts) {
  EXPECT_EQ(request_architecture("amd64"), "amd64");
  EXPECT_EQ(request_architecture("AMD64"), "amd64");
  EXPECT_EQ(request_architecture("arm86"), "arm64");  // the client's name for ARM64
  EXPECT_EQ(request_architecture("arm32"), "arm");
  EXPECT_EQ(request_architecture("sparc"), std::nullopt);
  EXPECT_EQ(request_os_version("10.0.0"), 10000);
  EXPECT_EQ(request_os_version("6.3.0"), 6003);
  EXPECT_EQ(request_os_version(""), 0);
  EXPECT_EQ(request_os_version("ten"), 0);
}

TEST(InfFile, SyntaxCommentsQuotesContinuationsAndTokens) {
  auto inf = InfFile::parse(
      "; leading comment\r\n"
      "[version]   ; section names ignore case\r\n"
      "Provider = %Vendor%\r\n"
      "Class=Net;trailing comment\r\n"
      "[Models]\r\n"
      "\"Semi;colon \"\"quoted\"\" name\" = Install , PCI\\VEN_1, \\\r\n"
      "    PCI\\CC_0200\r\n"
      "%Desc% = Install, USB\\VID_%%1\r\n"
      "[Strings.0407]\r\n"
      "Vendor = \"Lieferant\"\r\n"
      "Desc = \"Gerät\"\r\n"
      "[Strings]\r\n"
      "Vendor = \"Contoso; Ltd\"\r\n");
  EXPECT_EQ(inf.value("VERSION", "provider"), "Contoso; Ltd");  // [Strings] wins
  EXPECT_EQ(inf.value("Version", "Class"), "Net");
  const auto& models = inf.section("models");
  ASSERT_EQ(models.size(), 2u);
  EXPECT_EQ(models[0].key, "Semi;colon \"quoted\" name");
  EXPECT_EQ(models[0].values, (std::vector<std::string>{"Install", "PCI\\VEN_1", "PCI\\CC_0200"}));
  EXPECT_EQ(models[1].key, "Gerät");  // only the localized section has it
  EXPECT_EQ(models[1].values[1], "USB\\VID_%1");
  EXPECT_TRUE(inf.section("absent").empty());
}

TEST(InfText, Utf16AndAnsiBecomeUtf8) {
  std::string utf16("\xFF\xFE", 2);
  for (char c : std::string("[Version]\r\nProvider=X\xE9")) {
    utf16 += c;
    utf16 += '\0';
  }
  EXPECT_EQ(inf_text_to_utf8(utf16), "[Version]\r\nProvider=X\xC3\xA9");
  EXPECT_EQ(inf_text_to_utf8("\xEF\xBB\xBFok"), "ok");
  EXPECT_EQ(inf_text_to_utf8("caf\xE9"), "caf\xC3\xA9");  // not UTF-8: read as Latin-1
}

namespace {

const char* kDecoratedInf =
    "[Version]\n"
    "Signature=\"$WINDOWS NT$\"\n"
    "Class=Display\n"
    "Provider=%P%\n"
    "DriverVer=03/04/2024,31.0.101.5\n"
    "[Manufacturer]\n"
    "%P%=Gfx, NTamd64, NTamd64.10.0...16299, NTx86\n"
    "[Gfx]\n"
    "Old = Inst, PCI\\VEN_8086&DEV_0001\n"
    "[Gfx.NTx86]\n"
    "X86 = Inst, PCI\\VEN_8086&DEV_0002\n"
    "[Gfx.NTamd64]\n"
    "Legacy = Inst, PCI\\VEN_8086&DEV_0003, PCI\\CC_0300\n"
    "[Gfx.NTamd64.10.0...16299]\n"
    "Modern = Inst, PCI\\VEN_8086&DEV_0004\n"
    "NoId = Inst\n"
    "[Strings]\n"
    "P=\"Intel Corporation\"\n";

}  // namespace

TEST(InfDriver, ReadsVersionAndTargetsPerDecoration) {
  InfDriver driver = read_inf_driver(InfFile::parse(kDecoratedInf));
  EXPECT_EQ(driver.provider, "Intel Corporation");
  EXPECT_EQ(driver.class_name, "Display");
  EXPECT_EQ(driver.date, "2024-03-04");
  EXPECT_EQ(driver.version.text(), "31.0.101.5");

  struct Expected {
    const char* id;
    const char* architecture;
    int os_min;
    int os_max;
  };
  const Expected expected[] = {
      {"PCI\\VEN_8086&DEV_0001", "x86", kUndecorated, 0},  // NTx86 replaces the bare section
      {"PCI\\VEN_8086&DEV_0002", "x86", 0, kNoUpperBound},
      {"PCI\\VEN_8086&DEV_0003", "amd64", 0, 10000},  // until the Windows 10 section takes over
      {"PCI\\VEN_8086&DEV_0004", "amd64", 10000, kNoUpperBound},
  };
  ASSERT_EQ(driver.targets.size(), std::size(expected));  // no compatible id, no line without id
  for (const auto& e : expected) {
    bool found = false;
    for (const auto& t : driver.targets) {
      if (t.hardware_id != e.id) continue;
      found = true;
      EXPECT_EQ(t.architecture, e.architecture) << e.id;
      EXPECT_EQ(t.os_min, e.os_min) << e.id;
      EXPECT_EQ(t.os_max, e.os_max) << e.id;
    }
    EXPECT_TRUE(found) << e.id;
  }
}

TEST(InfDriver, RefusesWhatTheCatalogCannotUse) {
  struct Case {
    const char* inf;
    const char* message_part;
  };
  const Case cases[] = {
      {"[Version]\nClass=Net\n[Manufacturer]\nM=Mod\n[Mod]\nA=I,PCI\\X\n", "no DriverVer"},
      {"[Version]\nDriverVer=1/2/2020\n[Manufacturer]\nM=Mod\n[Mod]\nA=I,PCI\\X\n", "malformed DriverVer"},
      {"[Version]\nDriverVer=1/2/2020,1.0\n[Manufacturer]\nM=Mod\n[Mod]\nA=I\n", "no model section"},
      {"[Version]\nDriverVer=1/2/2020,1.0\n[Manufacturer]\nM=Mod,Win64\n[Mod]\nA=I,PCI\\X\n", "Win64"},
  };
  for (const auto& c : cases) {
    try {
      read_inf_driver(InfFile::parse(c.inf));
      ADD_FAILURE() << "accepted: " << c.inf;
    } catch (const ImportError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message_part), std::string::npos) << error.what();
    }
  }
}
