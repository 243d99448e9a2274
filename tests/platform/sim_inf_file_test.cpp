// The simulated driver store's INF reader: sections, keys, fields, quotes,
// comments and [Strings] substitution, as the INFs of driver packages write them.
#include <gtest/gtest.h>

#include "platform/sim/sim_inf_file.h"

namespace {

const char* const INF_TEXT =
    "; a comment line\r\n"
    "[Version]\r\n"
    "Signature = \"$Windows NT$\"\r\n"
    "Provider=%Provider%  ; trailing comment\r\n"
    "DriverVer=03/04/2021,1.2.3.4\r\n"
    "CatalogFile=\"pkg;1.cat\"\r\n"
    "[manufacturer]\r\n"
    "%Mfg%=Models,NTamd64,NTx86\r\n"
    "[Models.NTamd64]\r\n"
    "%Desc% = Install, PCI\\VEN_1234&DEV_0001 , PCI\\VEN_1234\n"
    "[Install]\r\n"
    "CopyFiles=Files\r\n"
    "[Files]\r\n"
    "driver.sys\r\n"
    "\"name, with comma.dll\"\r\n"
    "[Strings]\r\n"
    "Provider=\"Quorvane \"\"Labs\"\"\"\r\n"
    "Mfg=Quorvane\r\n"
    "Desc=\"Quorvane %Device\"\r\n";

TEST(SimInfFile, LinesFieldsAndSubstitutions) {
  const TSimInfFile inf = TSimInfFile::Parse(INF_TEXT);
  struct TCase {
    const char* section;
    const char* key;
    std::vector<std::string> fields;
  } cases[] = {
      {"Version", "Signature", {"$Windows NT$"}},
      {"version", "PROVIDER", {"Quorvane \"Labs\""}},
      {"Version", "DriverVer", {"03/04/2021", "1.2.3.4"}},
      {"Version", "CatalogFile", {"pkg;1.cat"}},
      {"Manufacturer", "Quorvane", {"Models", "NTamd64", "NTx86"}},
      {"Models.NTamd64", "Quorvane %Device", {"Install", "PCI\\VEN_1234&DEV_0001", "PCI\\VEN_1234"}},
  };
  for (const auto& c : cases) {
    const TSimInfLine* line = inf.FindLine(c.section, c.key);
    ASSERT_NE(line, nullptr) << c.section << " " << c.key;
    EXPECT_EQ(line->fields, c.fields) << c.section << " " << c.key;
  }
  ASSERT_EQ(inf.Lines("Files").size(), 2u);
  EXPECT_EQ(inf.Lines("Files")[0].fields, std::vector<std::string>{"driver.sys"});
  EXPECT_EQ(inf.Lines("Files")[1].fields, std::vector<std::string>{"name, with comma.dll"});
  EXPECT_EQ(inf.FindLine("Version", "Class"), nullptr);
  EXPECT_FALSE(inf.HasSection("Models"));
  EXPECT_TRUE(inf.Lines("Missing").empty());
}

// Every prefix of the text parses without a fault (a cut line, an open quote or section).
TEST(SimInfFile, TruncatedTextParses) {
  const std::string text = INF_TEXT;
  for (size_t length = 0; length <= text.size(); ++length) TSimInfFile::Parse(text.substr(0, length));
}

}  // namespace
