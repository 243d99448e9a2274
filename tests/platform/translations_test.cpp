// The translations of the string table (res/strings.<code>) against English:
// every identifier of English and no other, in its order; each text's
// conversions, accelerator, edge blanks and emptiness kept; no text left in
// English unless the language writes it so.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/windows_policies.h"
#include "platform/ascii_case.h"
#include "platform/sim/builtin_strings.h"
#include "res/string_ids.h"
#include "res/string_languages.h"

namespace {

struct TStringFile {
  std::vector<std::string> order;
  std::map<std::string, std::string> texts;
  std::vector<std::string> duplicates;
};

TStringFile ReadStrings(const std::filesystem::path& path) {
  TStringFile file;
  std::ifstream in(path);
  static const std::regex line(R"re(^([A-Z0-9_]+)[ \t]+"(.*)"[ \t]*$)re");
  std::string text;
  while (std::getline(in, text)) {
    std::smatch match;
    if (!std::regex_match(text, match, line)) continue;
    if (!file.texts.emplace(match[1], match[2]).second) file.duplicates.push_back(match[1]);
    file.order.push_back(match[1]);
  }
  return file;
}

std::filesystem::path StringFile(const std::string& code) {
  return std::filesystem::path(QV_RES_FOLDER) / ("strings." + code);
}

// Plain conversions in order; indexed ones ("%0:s") by index, which a
// translation may reorder.
struct TConversions {
  std::vector<std::string> plain;
  std::multiset<std::string> indexed;

  bool operator==(const TConversions&) const = default;
};

TConversions ConversionsOf(const std::string& text) {
  static const std::regex conversion(R"(%(\d+:)?[-+ #0]*\d*(\.\d*)?[sduxfgc])");
  TConversions found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), conversion); it != std::sregex_iterator(); ++it) {
    if ((*it)[1].matched)
      found.indexed.insert(it->str());
    else
      found.plain.push_back(it->str());
  }
  return found;
}

// Accelerator marks: single '&', not the literal "&&".
int AcceleratorsIn(const std::string& text) {
  int count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (i + 1 < text.size() && text[i + 1] == '&') {
      ++i;
      continue;
    }
    ++count;
  }
  return count;
}

bool StartsWithBlank(const std::string& text) { return !text.empty() && text.front() == ' '; }
bool EndsWithBlank(const std::string& text) { return !text.empty() && text.back() == ' '; }

// Texts every language writes as English does: names, units and formats without
// words.
bool LanguageNeutral(const std::string& text) {
  static const std::regex word(R"([A-Za-z]{2,})");
  const std::string outsideNames = std::regex_replace(text, std::regex(R"(Quorvane|Windows|BIOS|GHz|MB|GB|OK)"), "");
  return !std::regex_search(outsideNames, word);
}

// Per language, the texts that language writes exactly as English does.
const std::map<std::string, std::set<std::string>>& SameAsEnglish() {
  static const std::map<std::string, std::set<std::string>> same = {
      {"nl",
       {"IDS_ABOUT_EULA", "IDS_ACTION_HELP", "IDS_FACT_MODEL", "IDS_FACT_PROCESSOR", "IDS_INFO_IMAGE_HINT",
        "IDS_MENU_IMAGE_HINT", "IDS_PROXY_SERVER", "IDS_START_LABEL", "IDS_SYSINFO_MODEL", "IDS_SYSINFO_PROCESSOR"}},
      {"de",
       {"IDS_ABOUT_EULA", "IDS_ABOUT_VERSION", "IDS_DETAILS_VERSION", "IDS_INFO_IMAGE_HINT", "IDS_MENU_IMAGE_HINT",
        "IDS_PROXY_PORT", "IDS_PROXY_SERVER", "IDS_SPLASH_VERSION", "IDS_START_LABEL"}},
      {"fr", {"IDS_DETAILS_DATE", "IDS_DETAILS_VERSION", "IDS_SPLASH_VERSION"}},
      {"es", {"IDS_BUTTON_NO", "IDS_NAV_GENERAL"}},
      {"pt", {"IDS_CARD_BACKUP", "IDS_NAV_BACKUP"}},
      {"it", {"IDS_BUTTON_NO", "IDS_CARD_BACKUP", "IDS_NAV_BACKUP", "IDS_PROXY_PASSWORD", "IDS_PROXY_SERVER"}},
      {"jp", {"IDS_ABOUT_EULA", "IDS_LEGAL_NOTICE"}},
      {"da",
       {"IDS_ABOUT_VERSION", "IDS_DETAILS_VERSION", "IDS_FACT_MODEL", "IDS_FACT_PROCESSOR", "IDS_PROXY_PORT",
        "IDS_PROXY_SERVER", "IDS_SPLASH_VERSION", "IDS_START_LABEL", "IDS_SYSINFO_MODEL", "IDS_SYSINFO_PROCESSOR"}},
      {"sv",
       {"IDS_ABOUT_VERSION", "IDS_DETAILS_VERSION", "IDS_FACT_PROCESSOR", "IDS_PROXY_PORT", "IDS_PROXY_SERVER",
        "IDS_SPLASH_VERSION", "IDS_START_LABEL", "IDS_SYSINFO_PROCESSOR"}},
  };
  return same;
}

class Translations : public ::testing::TestWithParam<int> {
 protected:
  std::string Code() const { return QV_STRING_LANGUAGES[GetParam()].code; }
};

TEST(TranslationLanguages, IndexesMatchTheStoredLanguageCodes) {
  ASSERT_EQ(std::size(QV_STRING_LANGUAGES), 10u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(AsciiLower(LanguageCode(i)), QV_STRING_LANGUAGES[i].code) << i;
}

TEST_P(Translations, KeepEveryTextOfEnglish) {
  const TStringFile english = ReadStrings(StringFile("en"));
  ASSERT_TRUE(std::filesystem::exists(StringFile(Code()))) << "no translation into " << Code();
  const TStringFile translation = ReadStrings(StringFile(Code()));
  // Exactly English's identifiers, in English's order: a new text comes with
  // its translation into every language.
  std::string missing;
  std::vector<std::string> present;
  for (const std::string& name : english.order) {
    if (translation.texts.count(name))
      present.push_back(name);
    else
      missing += " " + name;
  }
  EXPECT_EQ(missing, "") << "not translated into " << Code();
  EXPECT_EQ(translation.order, present) << "identifiers unknown to English, or out of its order";
  EXPECT_TRUE(translation.duplicates.empty());
  const std::set<std::string>& same = SameAsEnglish().at(Code());
  for (const auto& [name, text] : english.texts) {
    SCOPED_TRACE(Code() + " " + name);
    const auto found = translation.texts.find(name);
    if (found == translation.texts.end()) continue;
    const std::string& translated = found->second;
    EXPECT_EQ(translated.empty(), text.empty()) << translated;
    EXPECT_EQ(ConversionsOf(translated), ConversionsOf(text)) << translated;
    EXPECT_EQ(AcceleratorsIn(translated), AcceleratorsIn(text)) << translated;
    EXPECT_EQ(StartsWithBlank(translated), StartsWithBlank(text)) << '"' << translated << '"';
    EXPECT_EQ(EndsWithBlank(translated), EndsWithBlank(text)) << '"' << translated << '"';
    if (!text.empty() && translated == text) {
      EXPECT_TRUE(LanguageNeutral(text) || same.count(name)) << "left in English: " << text;
    }
  }
}

TEST_P(Translations, TheBuiltinTableReadsTheTranslation) {
  TBuiltinStringTable english;
  TBuiltinStringTable translated(GetParam());
  EXPECT_NE(translated.Load(IDS_NAV_SETTINGS), english.Load(IDS_NAV_SETTINGS));
  // An identifier no table has reads empty in every language.
  EXPECT_EQ(translated.Load(-1), "");
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, Translations, ::testing::Range(1, 10),
                         [](const auto& info) { return std::string(QV_STRING_LANGUAGES[info.param].code); });

}  // namespace
