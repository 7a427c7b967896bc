// The program installed (bin/salvind with share/salvind/data/) and started
// from another folder with a fresh home: the gate finds its picture, and
// accepting the disclaimer writes the player's own copy, leaving the
// installed tree as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lobby/disclaimer_document.h"
#include "lobby/disclaimer_window.h"
#include "lobby/gate.h"
#include "lobby/login_window.h"
#include "platform/system.h"
#include "shell/data_locations.h"
#include "shell/os_services.h"
#include "tests/lobby/screen_fixture.h"
#include "tests/support/toolkit_harness.h"

namespace fs = std::filesystem;

namespace {

class InstalledTreeTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    const fs::path scratch = fs::current_path();
    // Deep, as a home folder may be: whole paths run past a hundred bytes.
    const fs::path root = scratch / std::string(100, 'r');
    installed_ = root / "usr/share/salvind";
    fs::create_directories(installed_);
    fs::create_directories(root / "usr/bin");
    std::ofstream(root / "usr/bin/salvind").put('\n');
    // The data is only in the installed tree: nothing relative can be found.
    fs::rename(scratch / "data", installed_ / "data");
    fs::create_directories(installed_ / "games");
    std::ofstream(installed_ / "games" / (std::string("chess") + PlatformProgramSuffix())).put('\n');
    player_ = scratch / "home/.local/share/salvind";
    fs::create_directories(scratch / "elsewhere");
    fs::current_path(scratch / "elsewhere");
    DataLocationsSet(DataLocationsFind(root / "usr/bin/salvind", fs::current_path(), player_.string()));
  }
  void TearDown() override {
    DataLocationsSet({"", "data"});
    ScreenTest::TearDown();
  }

  fs::path installed_;
  fs::path player_;
};

TEST_F(InstalledTreeTest, TheGateOpensAndTheAcceptedDisclaimerIsThePlayers) {
  const fs::path shipped = installed_ / "data/Salvind" / kDisclaimerFileName;
  const std::vector<uint8_t> before = ReadFileBytes(shipped.string());
  ASSERT_GE(before.size(), 20u);
  ASSERT_TRUE(OpenLogin());
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{});
  ASSERT_NE(g_disclaimerWindow.window, nullptr);
  HarnessSetFocus(g_disclaimerWindow.window);
  ASSERT_TRUE(HarnessType(13));  // Enter accepts
  HarnessFlush();
  HarnessAdvance(2);
  EXPECT_EQ(g_disclaimerWindow.window, nullptr);
  EXPECT_EQ(Quits(), 0);

  std::vector<uint8_t> players = ReadFileBytes((player_ / "Salvind" / kDisclaimerFileName).string());
  ASSERT_EQ(players.size(), before.size());
  EXPECT_EQ(players[15], 1);
  players[15] = 0;
  EXPECT_EQ(players, before);
  EXPECT_EQ(ReadFileBytes(shipped.string()), before);
  EXPECT_EQ(GameProgramExists("chess"), 1);
  CloseLoginWindow();
}

}  // namespace
