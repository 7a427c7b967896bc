// The buildings: sets from GameImage and from game image files, drawing by
// state, hovering, entering and the launch of the room's game.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lobby/game_launch.h"
#include "lobby/gate.h"
#include "lobby/lobby_window.h"
#include "lobby/room.h"
#include "lobby/status_window.h"
#include "media/animation.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "protocol/messages.h"
#include "tests/lobby/lobby_fixture.h"
#include "tests/lobby/building_fixtures.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/window.h"

namespace fs = std::filesystem;

namespace {

// Frames are 8 x 4; the shared mask makes their left half opaque.
constexpr Rect kChessRect = {100, 100, 108, 104};

Bytes GameImageFile(uint32_t version, const Bytes& set, const char magic[5] = "FOGI", int32_t lengthDelta = 0) {
  Bytes f;
  PutBe32(&f, version);
  f.insert(f.end(), magic, magic + 4);
  PutBe32(&f, static_cast<uint32_t>(static_cast<int32_t>(set.size()) + lengthDelta));
  f.insert(f.end(), set.begin(), set.end());
  return f;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::vector<std::string>>& Starts() {
  static std::vector<std::vector<std::string>> starts;
  return starts;
}

bool RecordStart(const char* path, const char* const* argv) {
  std::vector<std::string> call{path};
  for (const char* const* a = argv + 1; *a; ++a) call.emplace_back(*a);
  Starts().push_back(call);
  return true;
}

class BuildingTest : public LobbyTest {
 protected:
  void SetUp() override {
    LobbyTest::SetUp();
    Starts().clear();
    PlatformSetProcessStartHook(&RecordStart);
    PlatformTestSetTopWindows(nullptr, 0);
  }
  void TearDown() override {
    PlatformSetProcessStartHook(nullptr);
    PlatformTestSetTopWindows(nullptr, -1);
    LobbyTest::TearDown();
  }
  static std::string DataFile(const std::string& name) { return "data/Salvind/" + name; }
  void InstallGame(const char* name) {
    fs::create_directories("games");
    WriteFile(std::string("games/") + name, {'#', '!'});
    chmod((std::string("games/") + name).c_str(), 0755);
  }
  Pixel At(int32_t x, int32_t y) { return HarnessBufferPixel(g_gate.window, x, y); }
  int GameImageRequests() {
    int n = 0;
    for (const PeerMessage& m : Received()) n += m.type == kMessageGameImageRequest;
    return n;
  }
};

TEST_F(BuildingTest, AGameImageIsKeptOnDiskAndBuildsTheRoomDrawnByItsState) {
  Grant();
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi", 3));
  const Bytes set = BuildingSet(kChessRect);
  Send(kMessageGameImage, GameImageBody(1, set));
  Room* room = RoomOf(1);
  ASSERT_NE(room, nullptr);
  ASSERT_NE(room->idle, nullptr);
  ASSERT_NE(room->enter, nullptr);
  ASSERT_NE(room->closed, nullptr);
  EXPECT_EQ(room->rect.left, 100);
  EXPECT_EQ(room->rect.bottom, 104);
  EXPECT_EQ(ReadFileBytes(DataFile("chess.ogi")), GameImageFile(3, set));
  // No status yet: the closed picture.
  EXPECT_EQ(At(101, 101), kClosedColour);
  EXPECT_EQ(At(106, 101), kClosedColour);

  Send(kMessageRoomStatus, RoomStatusBody(1, 0, 1));
  EXPECT_TRUE(AnimationIsRunning(room->idle));
  EXPECT_EQ(At(101, 101), kFrameColours[0]);
  EXPECT_EQ(At(106, 101), TestMapPixel(106, 101));  // the mask's transparent half shows the map
  HarnessAdvance(room->idle->interval);
  EXPECT_EQ(At(101, 101), kFrameColours[1]);

  Send(kMessageRoomStatus, RoomStatusBody(1, 4, 2));
  EXPECT_FALSE(AnimationIsRunning(room->idle));
  EXPECT_EQ(At(101, 101), kClosedColour);
  // A full repaint draws the same.
  EventSend(g_gate.window, &LobbyEventProc, EventPaint, nullptr, nullptr, 0, 0, 0, 0);
  EXPECT_EQ(At(106, 101), kClosedColour);
  EXPECT_EQ(At(99, 101), TestMapPixel(99, 101));
}

struct FileCase {
  const char* what;
  Bytes file;            // empty: none
  uint32_t announced;
  bool used;
  bool kept;
  std::vector<std::string> alerts;
};

TEST_F(BuildingTest, TheGameImageFileWhenARoomIsAnnounced) {
  const Bytes set = BuildingSet(kChessRect);
  const std::string load = "Unable to load game image file chess.ogi.";
  const std::vector<FileCase> cases = {
      {"none", {}, 2, false, false, {}},
      {"current", GameImageFile(2, set), 2, true, true, {}},
      {"newer", GameImageFile(5, set), 2, true, true, {}},
      {"stale", GameImageFile(1, set), 2, false, false, {}},
      {"foreign magic", GameImageFile(2, set, "FOIM"), 2, false, false, {load}},
      {"length beyond the data", GameImageFile(2, set, "FOGI", 1), 2, false, false, {load}},
      {"short header", Bytes{0, 0, 0, 2, 'F', 'O'}, 0, false, false, {load}},
      {"damaged set", GameImageFile(2, Bytes(set.begin(), set.begin() + 30)), 2, false, false, {load}},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    if (!c.file.empty()) WriteFile(DataFile("chess.ogi"), c.file);
    Grant();
    Received();
    Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi", c.announced));
    EXPECT_EQ(RoomOf(1)->idle != nullptr, c.used);
    EXPECT_EQ(GameImageRequests(), c.used ? 0 : 1);
    EXPECT_EQ(fs::exists(DataFile("chess.ogi")), c.kept);
    EXPECT_EQ(AlertTexts(), c.alerts);
  }
}

TEST_F(BuildingTest, AFileThatCannotBeDeletedIsReportedAndRequestedAllTheSame) {
  // A directory in the file's place opens, reads nothing and stays.
  fs::create_directories(DataFile("chess.ogi") + "/inside");
  Grant();
  Received();
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi", 0));
  EXPECT_EQ(AlertTexts(), (std::vector<std::string>{"Unable to load game image file chess.ogi.",
                                                     "Unable to delete game image file chess.ogi."}));
  EXPECT_EQ(GameImageRequests(), 1);
}

TEST_F(BuildingTest, AnImageFileNameThatIsNoPlainNameIsNeverAPath) {
  const Bytes set = BuildingSet(kChessRect);
  WriteFile("escaped.ogi", GameImageFile(1, set));
  Grant();
  Received();
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "../../escaped.ogi", 1));
  EXPECT_EQ(RoomOf(1)->idle, nullptr);  // the file outside was not read
  EXPECT_EQ(GameImageRequests(), 1);
  fs::remove("escaped.ogi");
  Send(kMessageGameImage, GameImageBody(1, set));
  EXPECT_NE(RoomOf(1)->idle, nullptr);  // used in memory
  EXPECT_FALSE(fs::exists("escaped.ogi"));
  EXPECT_FALSE(fs::exists("../escaped.ogi"));
  EXPECT_TRUE(AlertTexts().empty());
}

TEST_F(BuildingTest, AMalformedSetBuildsNothingAndWritesNothing) {
  Grant();
  Room* good = Announce(2, "dice", {200, 100, 208, 104}, 1);
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi"));
  Bytes set = BuildingSet(kChessRect);
  const std::vector<Bytes> spoiled = {
      Bytes(set.begin(), set.begin() + 20),                                 // shorter than its header
      [&] { Bytes s = set; StoreBe32(&s[12], uint32_t(s.size())); return s; }(),  // idle offset at the end
      [&] { Bytes s = set; StoreBe32(&s[16], 0xFFFFFFF0u); return s; }(),        // enter offset far outside
      MakeSet({100, 100, 2000, 104}, MakeDefinition(FourFrames(1)), {}, {}),    // off the map
      MakeSet({100, 100, 100, 104}, MakeDefinition(FourFrames(1)), {}, {}),     // empty
  };
  for (const Bytes& s : spoiled) {
    Send(kMessageGameImage, GameImageBody(1, s));
    const Room* room = RoomOf(1);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->idle, nullptr);
    EXPECT_EQ(room->enter, nullptr);
    EXPECT_EQ(room->closed, nullptr);
    EXPECT_FALSE(fs::exists(DataFile("chess.ogi")));
  }
  // The rest of the lobby goes on.
  ASSERT_EQ(RoomOf(2), good);
  EXPECT_TRUE(AnimationIsRunning(good->idle));
  Activate();
  Idle(201, 101);
  EXPECT_EQ(g_status.hovered, good);
}

TEST_F(BuildingTest, ASetTheSizeOfTheFrameCapIsTaken) {
  Grant();
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi"));
  Bytes set = BuildingSet(kChessRect);
  set.resize((4u << 20) - 4, 0);
  Send(kMessageGameImage, GameImageBody(1, set));
  ASSERT_NE(RoomOf(1), nullptr);
  EXPECT_NE(RoomOf(1)->idle, nullptr);
  EXPECT_EQ(fs::file_size(DataFile("chess.ogi")), set.size() + 12);
}

TEST_F(BuildingTest, HoveringFindsTheFirstAnnouncedOfOverlappingBuildingsOnOpaquePixelsOnly) {
  Grant();
  Room* first = Announce(1, "chess", kChessRect, 1, 5);
  Room* second = Announce(2, "dice", {102, 100, 110, 104}, 1, 1);
  Idle(101, 101);
  EXPECT_EQ(g_status.hovered, nullptr);  // the lobby is not active yet
  Activate();
  Idle(101, 101);
  EXPECT_EQ(g_status.hovered, first);
  Idle(103, 101);  // both opaque here
  EXPECT_EQ(g_status.hovered, first);
  Idle(105, 101);  // only the second's opaque half
  EXPECT_EQ(g_status.hovered, second);
  EXPECT_EQ(g_status.corner.x, 106);
  Idle(109, 101);  // the second's transparent half
  EXPECT_EQ(g_status.hovered, nullptr);
  EXPECT_FALSE(PlatformWindowIsShown(WindowGetHandle(g_status.window)));
}

TEST_F(BuildingTest, ABuildingWithoutIdleAnimationIsNeverHitNorEntered) {
  Grant();
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi"));
  Send(kMessageGameImage, GameImageBody(1, BuildingSet(kChessRect, false)));
  Send(kMessageRoomStatus, RoomStatusBody(1, 0, 1));
  Activate();
  Idle(101, 101);
  EXPECT_EQ(g_status.hovered, nullptr);
  HarnessDoubleClick(g_gate.window, 101, 101);
  HarnessFlush();
  EXPECT_EQ(RoomOf(1)->entering, 0);
}

TEST_F(BuildingTest, StateThreeRemovesTheBuildingFromTheMap) {
  Grant();
  Announce(1, "chess", kChessRect, 1);
  Activate();
  Idle(101, 101);
  ASSERT_NE(g_status.hovered, nullptr);
  Send(kMessageRoomStatus, RoomStatusBody(1, 0, 3));
  EXPECT_EQ(RoomOf(1), nullptr);
  EXPECT_EQ(g_status.hovered, nullptr);
  EXPECT_EQ(At(101, 101), TestMapPixel(101, 101));
  HarnessAdvance(20);  // no animation of it is left to draw
  EXPECT_EQ(At(101, 101), TestMapPixel(101, 101));
}

TEST_F(BuildingTest, EnteringPlaysTheEnterAnimationThenLaunchesTheGame) {
  InstallGame("chess");
  Grant();
  Room* room = Announce(1, "chess", kChessRect, 1);
  HarnessDoubleClick(g_gate.window, 101, 101);
  HarnessFlush();
  ASSERT_EQ(room->entering, 1);
  EXPECT_FALSE(AnimationIsRunning(room->idle));
  EXPECT_TRUE(AnimationIsRunning(room->enter));
  HarnessAdvance(35);
  EXPECT_TRUE(Starts().empty());
  HarnessAdvance(10);
  EXPECT_EQ(room->entering, 0);
  EXPECT_TRUE(AnimationIsRunning(room->idle));  // idling again
  ASSERT_EQ(Starts().size(), 1u);
  EXPECT_EQ(Starts()[0], (std::vector<std::string>{"games/chess", "guest", "258", "80"}));
  EXPECT_TRUE(AlertTexts().empty());
}

TEST_F(BuildingTest, AFullRoomIsEnteredAndLaunchedAllTheSame) {
  InstallGame("chess");
  Grant();
  Room* room = Announce(1, "chess", kChessRect, 2);
  EXPECT_EQ(At(101, 101), kClosedColour);
  HarnessDoubleClick(g_gate.window, 101, 101);
  HarnessFlush();
  EXPECT_EQ(room->entering, 1);
  HarnessAdvance(50);
  EXPECT_EQ(Starts().size(), 1u);
  // The closed picture is back once the enter animation has ended.
  EXPECT_EQ(At(101, 101), kClosedColour);
}

TEST_F(BuildingTest, AStateChangeStopsTheEnterAnimationSoNothingLaunches) {
  InstallGame("chess");
  Grant();
  Room* room = Announce(1, "chess", kChessRect, 1);
  HarnessDoubleClick(g_gate.window, 101, 101);
  HarnessFlush();
  HarnessAdvance(15);
  Send(kMessageRoomStatus, RoomStatusBody(1, 8, 2));
  EXPECT_EQ(room->entering, 0);
  EXPECT_FALSE(AnimationIsRunning(room->enter));
  HarnessAdvance(60);
  EXPECT_TRUE(Starts().empty());
  EXPECT_EQ(At(101, 101), kClosedColour);
}

TEST_F(BuildingTest, AMissingGameSaysSoAndARunningOneIsRaised) {
  Grant();
  Announce(1, "chess", kChessRect, 1);
  HarnessDoubleClick(g_gate.window, 101, 101);
  HarnessAdvance(50);
  EXPECT_EQ(AlertTexts(), (std::vector<std::string>{
                              "Cannot launch the game because it is not available on your local machine."}));
  EXPECT_TRUE(Starts().empty());

  AlertTexts().clear();
  InstallGame("chess");
  const char* titles[] = {"Editor", "Orva:Chess - table 3"};
  PlatformTestSetTopWindows(titles, 2);
  HarnessDoubleClick(g_gate.window, 101, 101);
  HarnessAdvance(50);
  EXPECT_TRUE(Starts().empty());
  EXPECT_EQ(PlatformTestRaisedTopWindow(), 1);
  EXPECT_TRUE(AlertTexts().empty());
}

TEST(GameLaunchCommandLine, GuestAt258Port80) {
  Room room{};
  room.address = 258;
  room.port = 80;
  char line[64];
  GameLaunchCommandLine(&room, "guest", line, sizeof line);
  EXPECT_STREQ(line, "guest 258 80");
  room.address = 0xFFFFFFFFu;
  room.port = 65535;
  GameLaunchCommandLine(&room, "a", line, sizeof line);
  EXPECT_STREQ(line, "a 4294967295 65535");
}

}  // namespace
