// Game programs, the operating system's kind and sleeping, with program
// starts and the desktop's windows replaced by the platform's test hooks;
// and real starts through the seam.

#include "shell/os_services.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/error_codes.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/testing.h"

namespace {

namespace fs = std::filesystem;

struct Start {
  std::string path;
  std::vector<std::string> argv;
};
std::vector<Start> g_starts;
bool g_startResult = true;

bool RecordStart(const char* path, const char* const* argv) {
  Start s{path, {}};
  for (const char* const* a = argv; *a; ++a) s.argv.emplace_back(*a);
  g_starts.push_back(s);
  return g_startResult;
}

void SetWindows(const std::vector<const char*>& titles) {
  PlatformTestSetTopWindows(titles.data(), static_cast<int32_t>(titles.size()));
}

struct GameLaunchTest : ::testing::Test {
  void SetUp() override {
    g_starts.clear();
    g_startResult = true;
    PlatformSetProcessStartHook(&RecordStart);
    SetWindows({});
  }
  void TearDown() override {
    PlatformSetProcessStartHook(nullptr);
    PlatformTestSetTopWindows(nullptr, -1);
  }
};

TEST_F(GameLaunchTest, StartsTheGameWithTheWordsOfTheArgumentTextAsItsArguments) {
  SetWindows({"Salvind", "Orva:Checkers bob", "Chess"});
  EXPECT_EQ(RunGameProgram("Chess", "bob 7 2300"), kErrorNone);
  ASSERT_EQ(g_starts.size(), 1u);
  EXPECT_EQ(g_starts[0].path, "games/Chess");
  EXPECT_EQ(g_starts[0].argv, (std::vector<std::string>{"games/Chess", "bob", "7", "2300"}));
  EXPECT_EQ(PlatformTestRaisedTopWindow(), -1);
}

TEST_F(GameLaunchTest, WordsAreWhatLiesBetweenSpacesAndNoShellSeesThem) {
  EXPECT_EQ(RunGameProgram("Chess", "  bob;rm   $(x)  2300 "), kErrorNone);
  ASSERT_EQ(g_starts.size(), 1u);
  EXPECT_EQ(g_starts[0].argv, (std::vector<std::string>{"games/Chess", "bob;rm", "$(x)", "2300"}));
  EXPECT_EQ(RunGameProgram("Chess", ""), kErrorNone);
  EXPECT_EQ(g_starts.back().argv, (std::vector<std::string>{"games/Chess"}));
}

TEST_F(GameLaunchTest, AnArgumentTextBeyondItsBoundsStartsNothing) {
  std::string many;
  for (int i = 0; i < 33; ++i) many += "w ";
  EXPECT_EQ(RunGameProgram("Chess", many.c_str()), kErrorLaunchFailed);
  EXPECT_EQ(RunGameProgram("Chess", std::string(1024, 'x').c_str()), kErrorLaunchFailed);
  EXPECT_TRUE(g_starts.empty());
}

TEST_F(GameLaunchTest, ARunningGameIsRaisedInsteadOfStartedWhateverTheCaseOfItsTitle) {
  struct Case {
    std::vector<const char*> titles;
    int raised;  // -1: a new start
  };
  const Case cases[] = {
      {{"Salvind", "Notes", "ORVA:chess bob"}, 2},
      {{"orva:CHESS"}, 0},  // the topmost window counts too
      // The name ends at a space or the end of the title: a game whose name
      // begins with this one's is another game.
      {{"Orva:Chessboard", "Orva:Chess"}, 1},
      {{"Orva:Chessboard bob", "Orva:Chess-2 bob", "Orva:Chess.bob"}, -1},
      {{"Orva: Chess", "Orva:Ches", "xOrva:Chess", "Chess"}, -1},
      {{}, -1},
  };
  for (const Case& c : cases) {
    g_starts.clear();
    SetWindows(c.titles);
    EXPECT_EQ(RunGameProgram("Chess", "bob 7 2300"), kErrorNone);
    EXPECT_EQ(PlatformTestRaisedTopWindow(), c.raised) << c.titles.size();
    EXPECT_EQ(g_starts.size(), c.raised < 0 ? 1u : 0u) << c.titles.size();
  }
}

TEST_F(GameLaunchTest, ALongTitleIsComparedOverThePrefixOnly) {
  const std::string title = "Orva:Chess " + std::string(200, 'x');
  SetWindows({title.c_str()});
  EXPECT_EQ(RunGameProgram("Chess", ""), kErrorNone);
  EXPECT_EQ(PlatformTestRaisedTopWindow(), 0);
  EXPECT_TRUE(g_starts.empty());
}

TEST_F(GameLaunchTest, NamesThatCouldLeaveTheGamesDirectoryOrReachAShellAreRefused) {
  const std::string tooLong(kGameNameMax + 1, 'a');
  const char* bad[] = {nullptr, "", ".", "..", "../chess", "a/b", "/bin/sh", "a\\b", ".hidden",
                       "a..b", "a b", "chess;rm", "$(x)", "`x`", "a|b", "caf\xc3\xa9",
                       tooLong.c_str()};
  for (const char* name : bad) {
    SetWindows({"Orva:../chess", name ? name : "-"});
    EXPECT_FALSE(GameNameIsValid(name)) << (name ? name : "(none)");
    EXPECT_EQ(GameProgramExists(name), 0) << (name ? name : "(none)");
    EXPECT_EQ(RunGameProgram(name, "bob 7 2300"), kErrorLaunchFailed) << (name ? name : "(none)");
    EXPECT_EQ(PlatformTestRaisedTopWindow(), -1);
  }
  EXPECT_TRUE(g_starts.empty());
  for (const char* name : {"Chess", "go-moku", "Tic_Tac_Toe", "chess2.1", "A"}) {
    EXPECT_TRUE(GameNameIsValid(name)) << name;
  }
}

TEST_F(GameLaunchTest, AStartThePlatformRefusesIsError3) {
  g_startResult = false;
  EXPECT_EQ(RunGameProgram("Chess", "bob 7 2300"), kErrorLaunchFailed);
  EXPECT_EQ(g_starts.size(), 1u);
}

// Runs a test inside a fresh directory, as the program runs inside its
// staged tree.
struct InDirectory : ::testing::Test {
  void SetUp() override {
    old_ = fs::current_path();
    char pattern[] = "/tmp/salvind-os-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    std::error_code ignored;
    fs::permissions(dir_ / "games" / "Locked", fs::perms::owner_all, ignored);
    fs::remove_all(dir_, ignored);
  }
  fs::path old_;
  fs::path dir_;
};

TEST_F(InDirectory, AGameExistsWhenItsProgramFileCanBeRead) {
  fs::create_directories("games/Folder");
  std::ofstream("games/Chess") << "#";
  std::ofstream("games/Locked") << "#";
  fs::permissions("games/Locked", fs::perms::none);
  EXPECT_EQ(GameProgramExists("Chess"), 1);
  EXPECT_EQ(GameProgramExists("chess"), 0);  // names are exact on this system
  EXPECT_EQ(GameProgramExists("Missing"), 0);
  EXPECT_EQ(GameProgramExists("Folder"), 0);
  if (geteuid() != 0) {  // root reads anything
    EXPECT_EQ(GameProgramExists("Locked"), 0);
  }
}

TEST(OsKind, IsTwoOnAnythingButTheTwoWindowsFamilies) {
  EXPECT_EQ(OsKindOfFamily(0), 2);
  EXPECT_EQ(OsKindOfFamily(1), 4);
  EXPECT_EQ(OsKindOfFamily(2), 3);
  EXPECT_EQ(OsKindOfFamily(3), 2);
  EXPECT_EQ(OsKind(), 2);
}

int g_ticks = 0;

TEST(SleepTicks, MovesTheManualClockOnWithoutATimerPass) {
  PlatformSetTickHandler([] { ++g_ticks; });
  const uint32_t before = PlatformUptimeMs();
  SleepTicks(25);
  EXPECT_EQ(PlatformUptimeMs() - before, 250u);
  EXPECT_EQ(g_ticks, 0);
  PlatformManualClockAdvance(1);
  EXPECT_EQ(g_ticks, 1);
  PlatformSetTickHandler(nullptr);
}

// ---- Real starts through the seam ----

// Waits for a file another process writes, up to about five seconds.
bool WaitForFile(const fs::path& path) {
  for (int i = 0; i < 500; ++i) {
    if (fs::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return fs::exists(path);
}

TEST_F(InDirectory, AProgramReallyStartsWithItsArgumentsAndNothingOfOurs) {
  // Descriptors a careless start would hand on: a socket and a pipe, both
  // without close-on-exec.
  const int socketFd = socket(AF_INET, SOCK_STREAM, 0);
  int pipeFds[2];
  ASSERT_GE(socketFd, 0);
  ASSERT_EQ(pipe(pipeFds), 0);

  const fs::path list = dir_ / "fds";
  const std::string listArg = list.string();
  const char* argv[] = {SALVIND_FD_PROBE, listArg.c_str(), nullptr};
  const bool started = PlatformProcessStart(SALVIND_FD_PROBE, argv);
  close(socketFd);
  close(pipeFds[0]);
  close(pipeFds[1]);
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitForFile(list));
  std::ifstream in(list);
  std::stringstream inherited;
  inherited << in.rdbuf();
  EXPECT_EQ(inherited.str(), "");
}

// The Qt settings among entries: what the backend changes for itself
// (scaling, platform theme). The test main may have chosen the platform
// itself, so that one does not count.
std::set<std::string> QtSettings(const std::vector<std::string>& entries) {
  std::set<std::string> settings;
  for (const std::string& entry : entries) {
    if (entry.rfind("QT_", 0) == 0 && entry.rfind("QT_QPA_PLATFORM=", 0) != 0) settings.insert(entry);
  }
  return settings;
}

// The kernel keeps the environment a process was started with; the backend
// changed ours when the tests began.
std::set<std::string> StartQtSettings() {
  std::ifstream in("/proc/self/environ", std::ios::binary);
  std::vector<std::string> entries;
  for (std::string entry; std::getline(in, entry, '\0');) entries.push_back(entry);
  return QtSettings(entries);
}

TEST_F(InDirectory, AProgramGetsTheEnvironmentWeWereStartedWith) {
  const std::set<std::string> expected = StartQtSettings();
  const fs::path list = dir_ / "environment";
  const std::string listArg = list.string();
  const char* argv[] = {SALVIND_ENV_PROBE, listArg.c_str(), nullptr};
  ASSERT_TRUE(PlatformProcessStart(SALVIND_ENV_PROBE, argv));
  ASSERT_TRUE(WaitForFile(list));
  std::ifstream in(list);
  std::vector<std::string> got;
  for (std::string line; std::getline(in, line);) got.push_back(line);
  EXPECT_EQ(QtSettings(got), expected);
}

TEST_F(InDirectory, AStagedGameRunsFromTheGamesDirectory) {
  // The launch as the lobby makes it, with a stand-in game that only leaves
  // a mark: games/Mark is a copy of touch.
  fs::create_directories("games");
  fs::copy_file("/usr/bin/touch", "games/Mark");
  ASSERT_EQ(GameProgramExists("Mark"), 1);
  EXPECT_EQ(RunGameProgram("Mark", "made-by-the-game"), kErrorNone);
  EXPECT_TRUE(WaitForFile(dir_ / "made-by-the-game"));
}

TEST_F(InDirectory, AProgramThatCannotRunIsAFailure) {
  const char* argv[] = {"games/Missing", nullptr};
  EXPECT_FALSE(PlatformProcessStart("games/Missing", argv));
  std::ofstream("text") << "not a program";
  fs::permissions("text", fs::perms::owner_read | fs::perms::owner_write);
  const char* text[] = {"text", nullptr};
  EXPECT_FALSE(PlatformProcessStart("text", text));
}

TEST(SampleGame, TheChessGameIsStaged) {
  const fs::path old = fs::current_path();
  fs::current_path(SALVIND_STAGE_DIR);
  EXPECT_EQ(GameProgramExists("chess"), 1);
  fs::current_path(old);
}

}  // namespace
