#include "shell/data_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DataPath, BuildsPathsWithTheNativeSeparator) {
  EXPECT_STREQ(DataPath("Salvind", "start.oim"), "data/Salvind/start.oim");
  EXPECT_STREQ(DataPath(nullptr, "start.oim"), "data/start.oim");
  EXPECT_STREQ(ProgramDataPath("start.oim"), "data/Salvind/start.oim");
  EXPECT_STREQ(CommonDataPath("orva.ors"), "data/common/orva.ors");
  EXPECT_STREQ(ProgramName(), "Salvind");
}

TEST(DataPath, OneSharedBufferThatTheNextCallOverwrites) {
  const char* first = ProgramDataPath("a.oim");
  const char* second = ProgramDataPath("b.oim");
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "data/Salvind/b.oim");
}

TEST(DataPath, OverLongNamesAreCutInsideTheBuffer) {
  const std::string name(400, 'x');
  const std::string path = ProgramDataPath(name.c_str());
  EXPECT_EQ(path.size(), 255u);
  EXPECT_EQ(path.rfind("data/Salvind/x", 0), 0u);
}

}  // namespace
