// The window program's string tables read by explicit language: each
// translation from Quorvane.exe's resources, English for what a language
// lacks, and nothing the thread's UI language changes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_string_table.h"
#include "res/string_ids.h"
#include "res/string_languages.h"
#include "support/program_run.h"

namespace {

class WindowProgramStrings : public ::testing::Test {
 protected:
  void SetUp() override {
    m_program = TLibrary(LoadLibraryExW(ProgramBesideTests(L"Quorvane.exe").c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(m_program) << GetLastError();
  }
  TLibrary m_program;
};

TEST_F(WindowProgramStrings, EachLanguageReadsItsOwnTable) {
  TWin32StringTable english(m_program.Get());
  ASSERT_EQ(english.Load(IDS_NAV_SETTINGS), " Settings");
  for (int language = 1; language < static_cast<int>(std::size(QV_STRING_LANGUAGES)); ++language) {
    SCOPED_TRACE(QV_STRING_LANGUAGES[language].code);
    TWin32StringTable translated(m_program.Get());
    translated.SetLanguage(language);
    const std::string settings = translated.Load(IDS_NAV_SETTINGS);
    EXPECT_NE(settings, english.Load(IDS_NAV_SETTINGS));
    EXPECT_EQ(settings.front(), ' ');
    // Empty in English, so English stands in: still empty.
    EXPECT_EQ(translated.Load(IDS_PROBLEM_2), "");
  }
}

TEST_F(WindowProgramStrings, UnknownLanguagesAndIdentifiersReadEnglishOrNothing) {
  TWin32StringTable strings(m_program.Get());
  for (int language : {-1, 10, 1000}) {
    strings.SetLanguage(language);
    EXPECT_EQ(strings.Load(IDS_NAV_SETTINGS), " Settings") << language;
  }
  strings.SetLanguage(2);
  EXPECT_EQ(strings.Load(-1), "");
  EXPECT_EQ(strings.Load(65535), "");
}

TEST_F(WindowProgramStrings, TheThreadsUiLanguageDoesNotChooseTheText) {
  // The implicit lookup follows the system's language; the table never uses it.
  const LANGID before = GetThreadUILanguage();
  SetThreadUILanguage(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
  TWin32StringTable english(m_program.Get());
  EXPECT_EQ(english.Load(IDS_NAV_SETTINGS), " Settings");
  SetThreadUILanguage(before);
}

}  // namespace
