#include "shell/data_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/program_paths.h"
#include "platform/system.h"
#include "shell/data_locations.h"
#include "tests/media/media_fixtures.h"

namespace fs = std::filesystem;

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
  const std::string name(kDataPathCapacity + 100, 'x');
  const std::string path = ProgramDataPath(name.c_str());
  EXPECT_EQ(path.size(), kDataPathCapacity - 1);
  EXPECT_EQ(path.rfind(Native("data/Salvind/x"), 0), 0u);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A staged tree (salvind beside data/), an installed one (bin/salvind and
// share/salvind/data/), a lone program, and folders to start them from.
class DataLocationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(Root("stage/salvind"), "");
    fs::create_directories(Root("stage/data/Salvind"));
    WriteFile(Root("usr/bin/salvind"), "");
    fs::create_directories(Root("usr/share/salvind/data/Salvind"));
    WriteFile(Root("lone/salvind"), "");
    fs::create_directories(Root("elsewhere"));
  }
  fs::path Root(const std::string& relative) const { return fs::path(scratch_.Path(relative)); }
  std::string Player() const { return Root("home/.local/share/salvind").string(); }

  ScratchDir scratch_{"data-locations"};
};

TEST_F(DataLocationsTest, TheTreeAndTheWritableFolderFollowHowTheProgramWasStarted) {
  struct Case {
    const char* what;
    const char* executable;
    const char* current;
    bool player;  // whether the system names a player's folder
    std::string tree;
    std::string writable;
  };
  const std::string stage = Root("stage").string();
  const std::string installed = fs::weakly_canonical(Root("usr/share/salvind")).string();
  const Case cases[] = {
      {"a staged tree from its own folder", "stage/salvind", "stage", true, "", "data"},
      {"a staged tree from elsewhere", "stage/salvind", "elsewhere", true, stage, Player()},
      {"a staged tree, no player's folder", "stage/salvind", "elsewhere", false, stage,
       (fs::path(stage) / "data").string()},
      {"an installed tree from elsewhere", "usr/bin/salvind", "elsewhere", true, installed, Player()},
      {"an installed tree from its bin folder", "usr/bin/salvind", "usr/bin", true, installed, Player()},
      {"an installed tree, no player's folder", "usr/bin/salvind", "elsewhere", false, installed,
       (fs::path(installed) / "data").string()},
      {"a program without a tree", "lone/salvind", "elsewhere", true, "", "data"},
  };
  for (const Case& c : cases) {
    const DataLocations found =
        DataLocationsFind(Root(c.executable), Root(c.current), c.player ? Player() : std::string());
    EXPECT_EQ(found.tree, c.tree) << c.what;
    EXPECT_EQ(found.writable, c.writable) << c.what;
  }
}

// Paths once the program runs from an installed tree with a player's folder.
class DataLookupTest : public DataLocationsTest {
 protected:
  void SetUp() override {
    DataLocationsTest::SetUp();
    tree_ = Root("usr/share/salvind");
    DataLocationsSet({tree_.string(), Player()});
  }
  void TearDown() override { DataLocationsSet({"", "data"}); }

  fs::path tree_;
};

TEST_F(DataLookupTest, ReadsPreferThePlayersCopyAndFallBackToTheTree) {
  WriteFile(tree_ / "data/Salvind/start.oim", "shipped");
  WriteFile(tree_ / "data/common/orva.ors", "shipped");
  WriteFile(tree_ / "data/Salvind/disclaim.otx", "shipped");
  WriteFile(fs::path(Player()) / "Salvind/disclaim.otx", "players");

  EXPECT_EQ(ReadFile(ProgramDataPath("start.oim")), "shipped");
  EXPECT_EQ(ReadFile(CommonDataPath("orva.ors")), "shipped");
  EXPECT_EQ(ReadFile(ProgramDataPath("disclaim.otx")), "players");
  // A file neither has is looked for in the tree, where the reader fails.
  EXPECT_EQ(fs::path(ProgramDataPath("none.ogi")), tree_ / Native("data/Salvind/none.ogi"));
  // A folder of the player's name is not a file.
  fs::create_directories(fs::path(Player()) / "Salvind/start.oim");
  EXPECT_EQ(ReadFile(ProgramDataPath("start.oim")), "shipped");
}

TEST_F(DataLookupTest, WritesGoToThePlayersFolderWhichIsMadeAtTheFirstWrite) {
  ASSERT_FALSE(fs::exists(Player()));
  const fs::path written = ProgramDataWritePath("chess.ogi");
  EXPECT_EQ(written, fs::path(Player()) / "Salvind" / "chess.ogi");
  EXPECT_TRUE(fs::is_directory(written.parent_path()));
  WriteFile(written, "fetched");
  EXPECT_EQ(ReadFile(ProgramDataPath("chess.ogi")), "fetched");
  EXPECT_FALSE(fs::exists(tree_ / "data/Salvind/chess.ogi"));
}

TEST_F(DataLookupTest, AChangeInPlaceWorksOnACopyAndLeavesTheTreeAlone) {
  WriteFile(tree_ / "data/Salvind/disclaim.otx", "shipped");
  const fs::path changed = ProgramDataChangePath("disclaim.otx");
  EXPECT_EQ(changed, fs::path(Player()) / "Salvind" / "disclaim.otx");
  EXPECT_EQ(ReadFile(changed), "shipped");
  WriteFile(changed, "accepted");
  // The player's copy is never replaced by the shipped one again.
  EXPECT_EQ(ReadFile(ProgramDataChangePath("disclaim.otx")), "accepted");
  EXPECT_EQ(ReadFile(tree_ / "data/Salvind/disclaim.otx"), "shipped");
  // Nothing to copy: the path alone, the file left to the writer.
  EXPECT_FALSE(fs::exists(ProgramDataChangePath("none.ogi")));
}

TEST_F(DataLookupTest, GamesLieInTheTree) {
  char path[kDataPathCapacity];
  ASSERT_TRUE(GamesPath("chess", path, sizeof path));
  EXPECT_EQ(fs::path(path), tree_ / "games" / "chess");
  char small[8];
  EXPECT_FALSE(GamesPath("chess", small, sizeof small));
}

#ifndef _WIN32
TEST(PlayerDataFolder, ComesFromXdgDataHomeElseFromHome) {
  struct Case {
    const char* xdg;   // nullptr: unset
    const char* home;  // nullptr: unset
    const char* folder;  // nullptr: none
  };
  const Case cases[] = {
      {"/x/data", "/home/fay", "/x/data/salvind"},
      {nullptr, "/home/fay", "/home/fay/.local/share/salvind"},
      {"", "/home/fay", "/home/fay/.local/share/salvind"},
      {"relative/data", "/home/fay", "/home/fay/.local/share/salvind"},
      {nullptr, nullptr, nullptr},
      {nullptr, "relative", nullptr},
  };
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  const char* savedXdg = std::getenv("XDG_DATA_HOME");
  const std::string savedXdgText = savedXdg ? savedXdg : "";
  for (const Case& c : cases) {
    c.xdg ? setenv("XDG_DATA_HOME", c.xdg, 1) : unsetenv("XDG_DATA_HOME");
    c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
    char folder[256];
    const bool found = PlatformUserDataFolder(folder, sizeof folder);
    EXPECT_EQ(found, c.folder != nullptr) << (c.xdg ? c.xdg : "-") << " " << (c.home ? c.home : "-");
    if (found && c.folder) {
      EXPECT_STREQ(folder, c.folder);
    }
  }
  setenv("HOME", savedHome.c_str(), 1);
  savedXdg ? setenv("XDG_DATA_HOME", savedXdgText.c_str(), 1) : unsetenv("XDG_DATA_HOME");
}

TEST(PlayerDataFolder, ExecutablePathNamesThisProgram) {
  char path[1024];
  ASSERT_TRUE(PlatformExecutablePath(path, sizeof path));
  EXPECT_EQ(fs::path(path).filename(), "shell_tests");
  EXPECT_TRUE(fs::path(path).is_absolute());
  char small[4];
  EXPECT_FALSE(PlatformExecutablePath(small, sizeof small));
}
#endif

}  // namespace
