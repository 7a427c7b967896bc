// The whole road against the real lobby server: orva-lobbyd from the staged
// tree on a free port with the demo configuration, the real client logging in
// with the demo account, the lobby with the server's buildings, and a double
// click that starts the real sample game with the user name, the game
// server's address and its port.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include "tests/display/display_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DemoServerScenario : public DisplayScenario {
 protected:
  void TearDown() override {
    server_.Stop();
    std::error_code error;
    if (!serverDir_.empty()) fs::remove_all(serverDir_, error);
    DisplayScenario::TearDown();
  }

  // Starts the staged server on a free port; its port, or 0 with a failed test.
  int StartServer() {
    // The server's own copy lives near the root: its admin socket's path
    // must fit a socket address, which the scenario's folder would not.
    char scratch[] = "/tmp/orva-lobby-XXXXXX";
    if (!mkdtemp(scratch)) {
      ADD_FAILURE() << "no scratch folder for the server";
      return 0;
    }
    serverDir_ = scratch;
    std::error_code error;
    fs::copy(stageDir_ + "/server", serverDir_, fs::copy_options::recursive | fs::copy_options::overwrite_existing,
             error);
    fs::remove_all(serverDir_ + "/state", error);
    serverLog_ = runDir_ + "/orva-lobbyd.log";
    if (!server_.Start({serverDir_ + "/orva-lobbyd", "--config", serverDir_ + "/lobby.toml", "--listen",
                        "127.0.0.1:0"},
                       EnvironmentWith({}), serverDir_, serverLog_)) {
      ADD_FAILURE() << "orva-lobbyd does not start";
      return 0;
    }
    const std::regex listening("listening on 127\\.0\\.0\\.1:([0-9]+) ");
    for (int i = 0; i < 100 && server_.Running(); ++i) {
      std::smatch match;
      const std::string log = ReadAll(serverLog_);
      if (std::regex_search(log, match, listening)) return std::stoi(match[1]);
      std::this_thread::sleep_for(100ms);
    }
    ADD_FAILURE() << "orva-lobbyd does not listen: " << ReadAll(serverLog_);
    return 0;
  }

  ChildProcess server_;
  std::string serverDir_;
  std::string serverLog_;
};

TEST_F(DemoServerScenario, TheDemoAccountReachesTheLobbyAndStartsAGame) {
  const int port = StartServer();
  ASSERT_NE(port, 0);
  const QImage map = Decoded("data/Salvind/salvind.oim");
  ASSERT_FALSE(map.isNull());
  StartX(WindowManager::kOpenbox);
  StartClient({{"SALVIND_SERVER_HOST", "127.0.0.1"}, {"SALVIND_SERVER_PORT", std::to_string(port)}});
  const XWindowId login = ReachLoginWindow();
  ASSERT_NE(login, 0u);
  TypeLogIn(login, "demo", "orva");

  XWindowId lobby = 0;
  for (int i = 0; i < 150 && !lobby; ++i) {
    for (const XWindowId w : x_.WindowsTitled("Salvind")) {
      if (x_.Area(w).size() == map.size()) lobby = w;
    }
    if (!lobby) std::this_thread::sleep_for(100ms);
  }
  ASSERT_NE(lobby, 0u) << "the demo account is admitted and the lobby shows";
  EXPECT_NE(ReadAll(serverLog_).find("admitted user demo"), std::string::npos);

  // Every building arrives with its set, each asked for once.
  for (int i = 0; i < 50 && !std::filesystem::exists(stageDir_ + "/data/Salvind/puzzles.ogi"); ++i) {
    std::this_thread::sleep_for(100ms);
  }
  for (const char* game : {"chess", "cards", "dice", "go", "backgammon", "puzzles"}) {
    EXPECT_TRUE(fs::exists(stageDir_ + "/data/Salvind/" + game + ".ogi")) << game;
  }
  Shot("lobby");

  // The chess hall, double-clicked once the lobby is active: the enter
  // animation plays, then the sample game opens with the user and the game
  // server's address and port from the configuration.
  const QRect area = x_.Area(lobby);
  ClickIn(lobby, 630, 390);
  std::this_thread::sleep_for(300ms);
  x_.Click(area.left() + 106, area.top() + 95);
  x_.Click(area.left() + 106, area.top() + 95);
  const XWindowId game = Window("Orva:chess demo", 15s);
  ASSERT_NE(game, 0u) << "the chess game starts for demo";
  Shot("game");

  x_.RequestClose(game);
  EXPECT_TRUE(x_.WaitUntilGone("Orva:chess demo", 10s));
  x_.RequestClose(lobby);
  EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
}

}  // namespace
