#include "platform/path_parts.h"

#include <gtest/gtest.h>

namespace {

TEST(PathParts, FileNameAfterTheLastSeparatorOfEitherKind) {
  struct Case {
    const char* path;
    const char* name;
  } cases[] = {
      {"C:\\Windows\\INF\\oem12.inf", "oem12.inf"},
      {"downloads/77/net driver.zip", "net driver.zip"},
      {"C:\\dl/12\\setup.exe", "setup.exe"},
      {"C:/dl\\12/setup.exe", "setup.exe"},
      {"C:\\dl\\12\\", ""},
      {"data/", ""},
      {"\\", ""},
      {"setup.exe", "setup.exe"},
      {"", ""},
      {"C:setup.exe", "C:setup.exe"},  // a drive colon is not a separator
      {"\\\\server\\share\\Setup.EXE", "Setup.EXE"},
  };
  for (const Case& c : cases) EXPECT_EQ(FileNameOfPath(c.path), c.name) << c.path;
}

}  // namespace
