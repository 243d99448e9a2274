// Junctions and links planted in the program's user-writable folders, against the real
// Win32 file system: the deletes, the link check and the zip extraction never reach the
// folder a link points to.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/zip_archive.h"
#include "archive/zip_builder.h"
#include "core/link_check.h"
#include "platform/win32/win32_file_system.h"
#include "windows/directory_link.h"
#include "windows/wine_detection.h"

namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

class LinkAttack : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("qv-links-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(root);
    fs::create_directories(root / "program");
    fs::create_directories(outside);
    std::ofstream(outside / "keep.txt", std::ios::binary) << "keep";
  }
  void TearDown() override {
    // Links first, by themselves, so the cleanup never walks into the outside folder.
    std::error_code ignored;
    for (const fs::path& link : links) RemoveDirectoryLink(link);
    fs::remove_all(root, ignored);
  }

  // A link at `link` to the outside folder; the test fails when none can be made.
  void Link(const fs::path& link) {
    fs::create_directories(link.parent_path());
    DWORD junctionError = 0;
    const std::string kind = MakeDirectoryLink(link, outside, junctionError);
    ASSERT_FALSE(kind.empty()) << "no link could be made; FSCTL_SET_REPARSE_POINT answered " << junctionError;
    if (kind != "junction") {
      // Wine 8 makes no junctions: FSCTL_SET_REPARSE_POINT answers ERROR_NOT_SUPPORTED (50).
      EXPECT_TRUE(RunsUnderWine()) << "FSCTL_SET_REPARSE_POINT answered " << junctionError;
      EXPECT_EQ(junctionError, static_cast<DWORD>(ERROR_NOT_SUPPORTED));
      RecordProperty("known_wine_deviation", "FSCTL_SET_REPARSE_POINT answers ERROR_NOT_SUPPORTED (50); "
                                             "the link is a Unix symbolic link to the folder");
    }
    linkKind = kind;
    links.push_back(link);
  }

  std::vector<std::string> OutsideNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(outside)) names.push_back(Utf8(entry.path().filename()));
    return names;
  }

  fs::path root;
  fs::path outside = fs::temp_directory_path() / ("qv-links-" + std::to_string(GetCurrentProcessId())) / "outside";
  std::vector<fs::path> links;
  std::string linkKind;
  TWin32FileSystem fileSystem;
};

TEST_F(LinkAttack, TheLinkCheckSeesTheLinkAndNothingElse) {
  const fs::path link = root / "program" / "Download" / "7";
  Link(link);
  EXPECT_TRUE(fileSystem.IsReparsePoint(Utf8(link)));
  EXPECT_FALSE(fileSystem.IsReparsePoint(Utf8(root / "program")));
  EXPECT_FALSE(fileSystem.IsReparsePoint(Utf8(root / "missing")));
  const std::string download = Utf8(root / "program" / "Download");
  EXPECT_EQ(FirstLinkOnPath(fileSystem, download, Utf8(link / "data" / "setup.exe")), Utf8(link));
  EXPECT_EQ(FirstLinkOnPath(fileSystem, Utf8(link), Utf8(link / "setup.exe")), Utf8(link));
  EXPECT_EQ(FirstLinkOnPath(fileSystem, download, Utf8(root / "program" / "Download" / "8" / "x")), "");
}

// The deletes of the download and backup folders, with a link inside the tree or as the
// tree itself: the outside folder keeps everything.
TEST_F(LinkAttack, DeletesNeverReachWhatALinkPointsTo) {
  const struct {
    const char* attack;
    const char* link;     // below root/program
    const char* deleted;  // below root/program
  } attacks[] = {
      {"a link in Download\\<id>\\data", "Download/7/data", "Download/7"},
      {"a link as a backup's device folder", "Backup/2024-01-01/Disk", "Backup/2024-01-01/Disk"},
      {"a link deep in the tree", "Download/8/a/b/c", "Download"},
  };
  for (const auto& a : attacks) {
    SCOPED_TRACE(a.attack);
    const fs::path link = root / "program" / fs::path(a.link);
    Link(link);
    std::ofstream(root / "program" / "Download" / "own.txt", std::ios::binary) << "own";
    const bool deleted = fileSystem.DeleteTree(0, Utf8(root / "program" / fs::path(a.deleted)));
    EXPECT_EQ(OutsideNames(), std::vector<std::string>{"keep.txt"});
    const DWORD attributes = GetFileAttributesW(link.c_str());
    if (linkKind == "junction") {
      EXPECT_TRUE(deleted);
      EXPECT_EQ(attributes, INVALID_FILE_ATTRIBUTES) << "the link itself is deleted";
    } else {
      // Wine 8 cannot remove a Unix symbolic link to a folder: RemoveDirectoryW answers
      // ERROR_DIR_NOT_EMPTY (145) and DeleteFileW ERROR_ACCESS_DENIED. The delete reports it.
      EXPECT_FALSE(deleted);
      EXPECT_NE(attributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
      SetLastError(0xdeadbeef);
      EXPECT_FALSE(RemoveDirectoryW(link.c_str()));
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
      RecordProperty("known_wine_deviation", "RemoveDirectoryW of a directory link answers ERROR_DIR_NOT_EMPTY (145)");
    }
  }
}

// The package deletes: one recorded file, then its folder when empty, each through the
// handle that deletes it. A link put in the package folder's place leads nowhere: the
// outside folder keeps its file of the package's name.
TEST_F(LinkAttack, PackageDeletesTakeTheirOwnFileAndAnEmptyFolderOnly) {
  const fs::path folder = root / "program" / "Download" / "7";
  fs::create_directories(folder);
  std::ofstream(folder / "setup.exe", std::ios::binary) << "ours";
  std::ofstream(folder / "notes.txt", std::ios::binary) << "the user's";
  EXPECT_FALSE(fileSystem.DeleteFileAt(Utf8(folder))) << "a folder is no file";
  EXPECT_TRUE(fileSystem.DeleteFileAt(Utf8(folder / "setup.exe")));
  EXPECT_FALSE(fs::exists(folder / "setup.exe"));
  EXPECT_FALSE(fileSystem.DeleteFileAt(Utf8(folder / "setup.exe"))) << "nothing left to delete";
  EXPECT_FALSE(fileSystem.RemoveEmptyFolder(Utf8(folder))) << "the user's file is still there";
  EXPECT_TRUE(fs::exists(folder / "notes.txt"));
  fs::remove(folder / "notes.txt");
  EXPECT_TRUE(fileSystem.RemoveEmptyFolder(Utf8(folder)));
  EXPECT_FALSE(fs::exists(folder));

  std::ofstream(outside / "setup.exe", std::ios::binary) << "outside";
  Link(folder);
  EXPECT_FALSE(fileSystem.DeleteFileAt(Utf8(folder / "setup.exe")));
  EXPECT_FALSE(fileSystem.RemoveEmptyFolder(Utf8(folder)));
  const std::vector<std::string> expected{"keep.txt", "setup.exe"};
  std::vector<std::string> names = OutsideNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
}

// A link as an archive entry's parent folder, and as the extraction's target folder.
TEST_F(LinkAttack, ExtractionNeverWritesThroughALink) {
  TZipBuilder zip;
  zip.File("data/setup.exe", "payload");
  const fs::path package = root / "program" / "p.zip";
  std::ofstream(package, std::ios::binary) << zip.Build();
  const struct {
    const char* attack;
    const char* link;    // below root/program
    const char* target;  // the extraction's folder, below root/program
  } attacks[] = {
      {"an entry's parent folder is a link", "work/data", "work"},
      {"the target folder is a link", "work2", "work2"},
  };
  for (const auto& a : attacks) {
    SCOPED_TRACE(a.attack);
    Link(root / "program" / fs::path(a.link));
    TZipArchive archive;
    archive.SetFileSystem(&fileSystem);
    ASSERT_TRUE(archive.Open(Utf8(package)));
    EXPECT_FALSE(archive.ExtractAll(Utf8(root / "program" / fs::path(a.target))));
    EXPECT_NE(archive.ErrorText().find("link"), std::string::npos) << archive.ErrorText();
    EXPECT_EQ(OutsideNames(), std::vector<std::string>{"keep.txt"});
  }
}

}  // namespace
