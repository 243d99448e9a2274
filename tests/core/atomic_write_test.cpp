// Atomic replacement of the program's own files: the data reaches the disk before
// the rename, writers at the same time (the scan worker and the window) never share a
// temporary file, and what a killed writer left is removed at the next start.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "core/paths.h"
#include "platform/sim/sim_file_system.h"
#include "support/temp_folder.h"

namespace {

TEST(WriteFileAtomically, FlushesATemporaryFileBesideTheTargetBeforeTheRename) {
  TTempFolder folder;
  TSimFileSystem fileSystem;
  const std::string target = folder.File("config.bin");
  folder.Write("config.bin", "old");
  ASSERT_TRUE(WriteFileAtomically(fileSystem, target, "new"));
  EXPECT_EQ(folder.Read("config.bin"), "new");
  const std::vector<std::string> log = fileSystem.Log();
  ASSERT_EQ(log.size(), 2u);
  const std::string temporary = log[0].substr(std::string("flush ").size());
  EXPECT_EQ(log[0], "flush " + temporary);
  EXPECT_EQ(log[1], "move " + temporary + " " + target);
  EXPECT_EQ(std::filesystem::path(temporary).parent_path(), std::filesystem::path(target).parent_path());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST(WriteFileAtomically, WritersAtTheSameTimeEachReplaceTheWholeFile) {
  TTempFolder folder;
  TSimFileSystem fileSystem;
  const std::string target = folder.File("config.bin");
  const std::string contents[] = {std::string(256 * 1024, 'a'), std::string(200 * 1024, 'b')};
  int failures[2] = {0, 0};
  {
    std::jthread writers[2];
    for (int w = 0; w < 2; ++w)
      writers[w] = std::jthread([&, w] {
        for (int i = 0; i < 150; ++i)
          if (!WriteFileAtomically(fileSystem, target, contents[w])) ++failures[w];
      });
  }
  EXPECT_EQ(failures[0], 0);
  EXPECT_EQ(failures[1], 0);
  const std::string result = folder.Read("config.bin");
  EXPECT_TRUE(result == contents[0] || result == contents[1]);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

// Only old regular files named exactly as a writer names its temporaries go; a link
// (a reparse point on Windows) is neither removed nor followed, and nothing is removed
// in a data folder that is itself a link.
TEST(RemoveLeftoverTemporaries, RemovesOnlyAKilledWritersOldTemporaryFiles) {
  namespace fs = std::filesystem;
  TTempFolder folder;
  TTempFolder elsewhere;
  TSimFileSystem fileSystem;
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  const struct {
    const char* name;
    bool removed;
  } files[] = {
      {"config.bin.0123456789abcdef.tmp", true},   {"config.ini.fedcba9876543210.tmp", false},  // another target
      {"config.bin.tmp", false},                   {"config.bin.0123456789abcdeg.tmp", false},
      {"config.bin.0123456789ABCDEF.tmp", false},  {"config.bin.0123456789abcdef0.tmp", false},
      {"config.bin.0123456789abcdef.tmpx", false}, {"xconfig.bin.0123456789abcdef.tmp", false},
      {"config.bin", false},
  };
  for (const auto& file : files) {
    folder.Write(file.name, "x");
    fs::last_write_time(folder.File(file.name), old);
  }
  folder.Write("config.bin.1111111111111111.tmp", "a running writer's");
  fs::create_directory(folder.File("config.bin.2222222222222222.tmp"));
  elsewhere.Write("kept", "not ours");
  fs::last_write_time(elsewhere.File("kept"), old);
  fs::create_symlink(elsewhere.File("kept"), folder.File("config.bin.3333333333333333.tmp"));
  elsewhere.Write("config.bin.4444444444444444.tmp", "behind a linked folder");
  fs::last_write_time(elsewhere.File("config.bin.4444444444444444.tmp"), old);
  const std::string linkedFolder = folder.File("linked");
  fs::create_directory_symlink(elsewhere.Path(), linkedFolder);

  RemoveLeftoverTemporaries(fileSystem, folder.File("config.bin"));
  RemoveLeftoverTemporaries(fileSystem, (fs::path(linkedFolder) / "config.bin").string());

  for (const auto& file : files) EXPECT_EQ(!fs::exists(folder.File(file.name)), file.removed) << file.name;
  EXPECT_TRUE(fs::exists(folder.File("config.bin.1111111111111111.tmp")));
  EXPECT_TRUE(fs::is_directory(folder.File("config.bin.2222222222222222.tmp")));
  EXPECT_TRUE(fs::is_symlink(folder.File("config.bin.3333333333333333.tmp")));
  EXPECT_EQ(elsewhere.Read("kept"), "not ours");
  EXPECT_TRUE(fs::exists(elsewhere.File("config.bin.4444444444444444.tmp")));
}

}  // namespace
