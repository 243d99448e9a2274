// The zip reader on Windows: UTF-8 entry names and target folders reach the file
// system as the right UTF-16 names, progress paths use "\", and names that Windows
// would resolve outside the folder (drive letters, "\", "..", streams, devices)
// write nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/zip_archive.h"
#include "archive/zip_builder.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadWide(const std::wstring& path) {
  std::string content;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return "<missing>";
  char buffer[4096];
  size_t count;
  while ((count = fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, count);
  fclose(file);
  return content;
}

std::string Utf8(const std::wstring& wide) {
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
  return text;
}

}  // namespace

TEST(ZipArchiveWin32, NonAsciiNamesAndFoldersAreWideNames) {
  TTempFolder folder;
  const std::wstring root = fs::path(folder.Path()).wstring();
  const std::wstring target = root + L"\\Pakete \u00fc\u9a71";  // a folder named in UTF-8 by the caller
  TZipBuilder zip;
  zip.File("Gr\xC3\xBC\xC3\x9F" "e\\\xE9\xA9\xB1\xE5\x8B\x95.inf", "utf8");  // "Grüße\驱动.inf", flagged
  zip.Entry({"caf\x82.txt", "cp437", 8, 0});                                 // "café.txt", unflagged
  folder.Write("p.zip", zip.Build());

  TZipArchive archive;
  ASSERT_TRUE(archive.Open(folder.File("p.zip"))) << archive.ErrorText();
  std::vector<std::string> progress;
  ASSERT_TRUE(archive.ExtractAll(Utf8(target), [&](const std::string& path) { progress.push_back(path); }))
      << archive.ErrorText();

  EXPECT_EQ(ReadWide(target + L"\\Gr\u00fc\u00dfe\\\u9a71\u52d5.inf"), "utf8");
  EXPECT_EQ(ReadWide(target + L"\\caf\u00e9.txt"), "cp437");
  ASSERT_EQ(progress.size(), 2u);
  EXPECT_EQ(progress[0], Utf8(target + L"\\Gr\u00fc\u00dfe\\\u9a71\u52d5.inf"));
  EXPECT_EQ(progress[1], Utf8(target + L"\\caf\u00e9.txt"));
}

TEST(ZipArchiveWin32, NamesThatLeaveTheFolderWriteNothing) {
  TTempFolder folder;
  const std::string target = folder.File("data");
  for (const char* name : {"C:\\evil.txt", "C:evil.txt", "\\evil.txt", "..\\evil.txt", "a\\..\\..\\evil.txt",
                           "a\\.. \\..\\evil.txt", "file.txt:stream", "CON", "a\\NUL.txt", "COM1.log"}) {
    SCOPED_TRACE(name);
    folder.Write("p.zip", TZipBuilder().File("good.txt", "good").File(name, "evil").Build());
    TZipArchive archive;
    ASSERT_TRUE(archive.Open(folder.File("p.zip")));
    EXPECT_FALSE(archive.ExtractAll(target));
    EXPECT_NE(archive.ErrorText().find("refused"), std::string::npos) << archive.ErrorText();
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(fs::path(folder.Path()) / "evil.txt"));
  }
}
