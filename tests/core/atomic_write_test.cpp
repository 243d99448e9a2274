// Atomic replacement of the program's own files: the data reaches the disk before
// the rename, and writers at the same time (the scan worker and the window) never
// share a temporary file.
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

}  // namespace
