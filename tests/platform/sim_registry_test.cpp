#include <gtest/gtest.h>

#include "platform/sim/sim_registry.h"

namespace {

TEST(SimRegistry, BehavesLikeTheRegistry) {
  TSimRegistry registry;
  EXPECT_EQ(registry.OpenKey(TRegRoot::CurrentUser, "Software\\X", TRegAccess::Read, false), nullptr);
  auto created = registry.OpenKey(TRegRoot::CurrentUser, "Software\\X\\", TRegAccess::Write, true);
  ASSERT_NE(created, nullptr);
  EXPECT_TRUE(created->WriteDword("Count", 3));
  EXPECT_TRUE(created->WriteString("Name", "ü"));

  auto read = registry.OpenKey(TRegRoot::CurrentUser, "software\\x", TRegAccess::Read, false);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->ReadDword("COUNT"), 3u);
  EXPECT_EQ(read->ReadString("name"), "ü");
  EXPECT_EQ(read->ReadString("Count"), std::nullopt);  // wrong type
  EXPECT_EQ(read->ValueType("Name"), REG_SZ);
  EXPECT_EQ(read->ValueType("Missing"), std::nullopt);
  EXPECT_FALSE(read->WriteDword("Count", 4));  // opened for reading
  EXPECT_EQ(registry.OpenKey(TRegRoot::LocalMachine, "Software\\X", TRegAccess::Read, false), nullptr);
}

}  // namespace
