#include "shell/data_path.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system.h"

namespace {

// A path written with '/' in the native form.
std::string Native(std::string path) {
  for (char& c : path) {
    if (c == '/') c = PlatformPathSeparator();
  }
  return path;
}

TEST(DataPath, BuildsPathsWithTheNativeSeparator) {
  EXPECT_EQ(std::string(DataPath("Salvind", "start.oim")), Native("data/Salvind/start.oim"));
  EXPECT_EQ(std::string(DataPath(nullptr, "start.oim")), Native("data/start.oim"));
  EXPECT_EQ(std::string(ProgramDataPath("start.oim")), Native("data/Salvind/start.oim"));
  EXPECT_EQ(std::string(CommonDataPath("orva.ors")), Native("data/common/orva.ors"));
  EXPECT_STREQ(ProgramName(), "Salvind");
}

TEST(DataPath, OneSharedBufferThatTheNextCallOverwrites) {
  const char* first = ProgramDataPath("a.oim");
  const char* second = ProgramDataPath("b.oim");
  EXPECT_EQ(first, second);
  EXPECT_EQ(std::string(first), Native("data/Salvind/b.oim"));
}

TEST(DataPath, OverLongNamesAreCutInsideTheBuffer) {
  const std::string name(400, 'x');
  const std::string path = ProgramDataPath(name.c_str());
  EXPECT_EQ(path.size(), 255u);
  EXPECT_EQ(path.rfind(Native("data/Salvind/x"), 0), 0u);
}

}  // namespace
