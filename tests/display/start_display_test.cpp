// What the client does as it starts, before any window: without a display
// it says so in one line and ends, and temporary files that a killed run
// left in its data folder are removed.

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/display/demo_server_fixture.h"

namespace {

namespace fs = std::filesystem;

class ProgramStart : public DisplayScenario {
 protected:
  // A file of the client's tree written at the given distance from now.
  fs::path Make(const std::string& relative, fs::file_time_type::duration fromNow) {
    const fs::path path = fs::path(stageDir_) / relative;
    std::ofstream(path) << "part of a building set";
    fs::last_write_time(path, fs::file_time_type::clock::now() + fromNow);
    return path;
  }
};

TEST_F(ProgramStart, WithoutADisplayTheClientSaysSoInOneLineAndEndsWith1) {
  // A display number nobody serves.
  int unused = 0;
  for (int n = 150; n < 250 && !unused; ++n) {
    if (!fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) && !fs::exists("/tmp/.X" + std::to_string(n) + "-lock")) {
      unused = n;
    }
  }
  ASSERT_NE(unused, 0);
  const struct {
    std::string display;
    std::string line;
  } cases[] = {
      {"", "Salvind: cannot open the display (DISPLAY is not set).\n"},
      {":" + std::to_string(unused), "Salvind: cannot open the display :" + std::to_string(unused) + ".\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.display);
    const std::string log = runDir_ + "/no-display" + c.display + ".log";
    ChildProcess client;
    ASSERT_TRUE(client.Start({stageDir_ + "/salvind"},
                             EnvironmentWith({{"DISPLAY", c.display}, {"QT_QPA_PLATFORM", "xcb"},
                                              {"WAYLAND_DISPLAY", ""}, {"XDG_RUNTIME_DIR", runDir_}}),
                             stageDir_, log));
    EXPECT_EQ(client.WaitExit(20s), 1) << "signal " << client.exitSignal();
    EXPECT_EQ(ReadWhole(log), c.line);
  }
}

TEST_F(ProgramStart, TemporariesAKilledRunLeftInTheDataFolderGoWhenTheClientStarts) {
  const fs::path leftover = Make("data/Salvind/chess.ogi.Ab12Cd", -std::chrono::hours(1));
  const fs::path documentLeftover = Make("data/Salvind/disclaim.otx.x9Y8z7", -std::chrono::minutes(1));
  // Written after the start: another copy of the client may be writing it.
  const fs::path writing = Make("data/Salvind/go.ogi.Qq11Ww", std::chrono::hours(1));
  const fs::path notTemporary = Make("data/Salvind/dice.ogi.Ab12C", -std::chrono::hours(1));
  const fs::path elsewhere = Make("data/common/chess.ogi.Ab12Cd", -std::chrono::hours(1));
  StartX(WindowManager::kNone);
  StartClient();
  ASSERT_NE(Window("Orva"), 0u) << "the splash";
  EXPECT_FALSE(fs::exists(leftover));
  EXPECT_FALSE(fs::exists(documentLeftover));
  EXPECT_TRUE(fs::exists(writing));
  EXPECT_TRUE(fs::exists(notTemporary));
  EXPECT_TRUE(fs::exists(elsewhere)) << "only the client's own data folder";
  EXPECT_TRUE(fs::exists(fs::path(stageDir_) / "data/Salvind/start.oim"));
}

}  // namespace
