// The lobby as the X server shows it: after the grant the gate window
// becomes "Salvind" with the map and the six buildings the scripted server
// announces, the welcome window shows its text, resting the pointer on a
// building shows its status window, and a double click on an open building
// ends in the launch of its game.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "protocol/frame.h"
#include "protocol/messages.h"
#include "tests/display/child_process.h"
#include "tests/display/display_fixture.h"
#include "tests/display/scripted_peer.h"

namespace {

struct DemoRoom {
  const char* game;
  uint32_t players;
  uint16_t state;
  int hoverX, hoverY;  // a point of the building, in map coordinates
};

// Rooms of the demo lobby, by their building plots.
const DemoRoom kRooms[] = {
    {"chess", 5, 1, 106, 95},  {"cards", 1, 1, 94, 276},      {"dice", 0, 1, 184, 284},
    {"go", 2, 2, 515, 99},     {"backgammon", 3, 1, 461, 280}, {"puzzles", 0, 0, 320, 92},
};

void Put(std::vector<uint8_t>* b, uint32_t v, int bytes) {
  for (int s = (bytes - 1) * 8; s >= 0; s -= 8) b->push_back(static_cast<uint8_t>(v >> s));
}

std::vector<uint8_t> Framed(uint32_t type, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> f;
  Put(&f, type, 4);
  Put(&f, FramePadded(static_cast<uint32_t>(body.size())), 4);
  Put(&f, static_cast<uint32_t>(body.size()), 4);
  f.insert(f.end(), body.begin(), body.end());
  f.resize(kFrameHeaderSize + FramePadded(static_cast<uint32_t>(body.size())), 0);
  return f;
}

std::vector<uint8_t> Text(const std::string& text, size_t field) {
  std::vector<uint8_t> b(field, 0);
  std::copy(text.begin(), text.begin() + static_cast<long>(std::min(text.size(), field - 1)), b.begin());
  return b;
}

std::vector<uint8_t> ServerSet(const std::string& game) {
  std::ifstream in(std::string(SALVIND_STAGE_DIR) + "/server/sets/" + game + ".set", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The share of pixels of rect in shot that are white.
double WhiteShare(const QImage& shot, const QRect& rect) {
  int white = 0;
  int all = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      ++all;
      white += (shot.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
    }
  }
  return all ? double(white) / all : 0;
}


// Announces a room with the staged server's set for its game, and its state.
bool SendRoom(ScriptedPeer& peer, uint32_t id, const std::string& game, uint32_t players, uint16_t state) {
  std::vector<uint8_t> info;
  Put(&info, id, 4);
  Put(&info, 2130706433, 4);
  Put(&info, 2101, 2);
  Put(&info, 0, 2);
  const std::vector<uint8_t> name = Text(game, 32);
  const std::vector<uint8_t> file = Text(game + ".ogi", 16);
  info.insert(info.end(), name.begin(), name.end());
  info.insert(info.end(), file.begin(), file.end());
  Put(&info, 1, 4);
  const std::vector<uint8_t> set = ServerSet(game);
  if (set.empty()) return false;
  std::vector<uint8_t> image;
  Put(&image, id, 4);
  image.insert(image.end(), set.begin(), set.end());
  std::vector<uint8_t> status;
  Put(&status, id, 4);
  Put(&status, players, 4);
  Put(&status, state, 2);
  return peer.Send(Framed(kMessageRoomInfo, info)) && peer.Send(Framed(kMessageGameImage, image)) &&
         peer.Send(Framed(kMessageRoomStatus, status));
}

bool SendWelcome(ScriptedPeer& peer, const std::string& text) {
  std::vector<uint8_t> welcome;
  Put(&welcome, 0, 4);
  welcome.insert(welcome.end(), text.begin(), text.end());
  welcome.push_back(0);
  return peer.Send(Framed(kMessageWelcomeText, welcome));
}

// The building's rectangle of a set: four big-endian 16-bit words after
// its 4-byte magic.
QRect SetRect(const std::vector<uint8_t>& set) {
  if (set.size() < 12) return {};
  auto word = [&](size_t at) { return static_cast<int16_t>((set[at] << 8) | set[at + 1]); };
  return QRect(QPoint(word(4), word(6)), QPoint(word(8) - 1, word(10) - 1));
}

// Whether a picture whose top-left corner lies on a logical pixel's corner
// is more than a doubled small one: some pair of rows 2k, 2k + 1 differs.
bool NotDoubled(const QImage& part) {
  for (int y = 0; y + 1 < part.height(); y += 2) {
    for (int x = 0; x < part.width(); ++x) {
      if (part.pixel(x, y) != part.pixel(x, y + 1)) return true;
    }
  }
  return false;
}

// The rows of rect in shot that hold dark ink: first and last, -1 when none.
std::pair<int, int> InkRows(const QImage& shot, const QRect& rect) {
  int first = -1;
  int last = -1;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      if (qGray(shot.pixel(x, y)) < 96) {
        if (first < 0) first = y;
        last = y;
        break;
      }
    }
  }
  return {first, last};
}

class LobbyOnDisplay : public DisplayScenario {
 protected:
  // Grants access; the lobby, the window "Salvind" whose drawing area has
  // size (the information box is titled "Salvind" too), or 0.
  XWindowId Grant(ScriptedPeer& peer, QSize size) {
    std::vector<uint8_t> grant;
    Put(&grant, 0, 4);
    Put(&grant, 0x00010100, 4);
    Put(&grant, 0, 4);
    if (!peer.Send(Framed(kMessageAccessGranted, grant))) return 0;
    for (int i = 0; i < 100; ++i) {
      for (const XWindowId w : x_.WindowsTitled("Salvind")) {
        if (x_.Area(w).size() == size) return w;
      }
      std::this_thread::sleep_for(100ms);
    }
    return 0;
  }
};

TEST_F(LobbyOnDisplay, TheLobbyShowsItsBuildingsTheWelcomeTextAndAStatusWindow) {
  const QImage map = Decoded("data/Salvind/salvind.oim");
  ASSERT_FALSE(map.isNull());
  ScriptedPeer peer;
  ASSERT_NE(peer.port(), 0);
  StartX(WindowManager::kOpenbox);
  StartClient({{"SALVIND_SERVER_HOST", "127.0.0.1"}, {"SALVIND_SERVER_PORT", std::to_string(peer.port())}});
  const XWindowId login = ReachLoginWindow();
  ASSERT_NE(login, 0u);
  TypeLogIn(login, "guest", "secret7");
  ASSERT_EQ(peer.WaitForBytes(92, 10s).size(), 92u);

  const XWindowId lobby = Grant(peer, map.size());
  ASSERT_NE(lobby, 0u) << "the gate window becomes the map-sized lobby";

  uint32_t id = 1;
  for (const DemoRoom& room : kRooms) {
    std::vector<uint8_t> info;
    Put(&info, id, 4);
    Put(&info, 258, 4);
    Put(&info, 80, 2);
    Put(&info, 0, 2);
    const std::vector<uint8_t> name = Text(room.game, 32);
    const std::vector<uint8_t> file = Text(std::string(room.game) + ".ogi", 16);
    info.insert(info.end(), name.begin(), name.end());
    info.insert(info.end(), file.begin(), file.end());
    Put(&info, 1, 4);
    std::vector<uint8_t> image;
    Put(&image, id, 4);
    const std::vector<uint8_t> set = ServerSet(room.game);
    ASSERT_FALSE(set.empty()) << room.game;
    image.insert(image.end(), set.begin(), set.end());
    std::vector<uint8_t> status;
    Put(&status, id, 4);
    Put(&status, room.players, 4);
    Put(&status, room.state, 2);
    ASSERT_TRUE(peer.Send(Framed(kMessageRoomInfo, info)));
    ASSERT_TRUE(peer.Send(Framed(kMessageGameImage, image)));
    ASSERT_TRUE(peer.Send(Framed(kMessageRoomStatus, status)));
    ++id;
  }
  ASSERT_TRUE(SendWelcome(peer, "Welcome to Orva!\nSix rooms are open tonight.\nDouble-click a building to play."));
  ASSERT_NE(Window("Welcome"), 0u);

  // Give the animations and the requests time, then look at the map: away
  // from the buildings and the icon it is the picture itself.
  std::this_thread::sleep_for(1500ms);
  const QRect area = x_.Area(lobby);
  QImage shot = Shot("lobby");
  int same = 0;
  for (const QPoint p : {QPoint(5, 395), QPoint(630, 5), QPoint(320, 200), QPoint(630, 390)}) {
    same += (shot.pixel(area.topLeft() + p) & 0xFFFFFF) == (map.pixel(p) & 0xFFFFFF);
  }
  EXPECT_EQ(same, 4) << "the map shows between the buildings";
  int drawn = 0;
  for (const DemoRoom& room : kRooms) {
    const QPoint p(room.hoverX, room.hoverY);
    drawn += (shot.pixel(area.topLeft() + p) & 0xFFFFFF) != (map.pixel(p) & 0xFFFFFF);
  }
  EXPECT_GE(drawn, 5) << "buildings stand on their plots";
  const std::vector<uint8_t>& sent = peer.WaitForBytes(92 + 6 * 16, 5s);
  EXPECT_EQ(sent.size(), 92u + 6 * 16) << "one GameImageRequest per room";

  // A click on bare map makes the lobby the active window; then the pointer
  // rests on the chess hall and its status window comes.
  ClickIn(lobby, 630, 390);
  const DemoRoom& chess = kRooms[0];
  x_.MovePointer(area.left() + chess.hoverX, area.top() + chess.hoverY);
  std::this_thread::sleep_for(200ms);
  x_.MovePointer(area.left() + chess.hoverX + 1, area.top() + chess.hoverY);
  const QRect status(area.left() + chess.hoverX + 3, area.top() + chess.hoverY + 2, 50, 28);
  double share = 0;
  for (int i = 0; i < 30 && share < 0.6; ++i) {
    std::this_thread::sleep_for(100ms);
    share = WhiteShare(x_.Screenshot(), status);
  }
  EXPECT_GE(share, 0.6) << "the status window next to the pointer";
  shot = Shot("status");
  const std::string docs = DocsScreenshotPath("lobby_x11.png");
  if (!docs.empty()) {
    const QRect whole = x_.FramedArea(lobby).united(QRect(0, 0, 310, 430));
    shot.copy(whole).save(QString::fromStdString(docs), "PNG");
  }

  // The lobby's close box ends the run.
  x_.RequestClose(lobby);
  EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
}


// At scale 2 on a 3840 x 2160 screen every window is twice its size: the
// lobby's map is enlarged by whole pixels, text is drawn by the platform at
// twice its height (sharp, not doubled rows), and clicks at the enlarged
// places reach the buildings under them.
TEST_F(LobbyOnDisplay, AtScaleTwoWindowsAreTwiceTheirSizeAndPicturesWholePixelBlocks) {
  const QImage map = Decoded("data/Salvind/salvind.oim");
  ASSERT_FALSE(map.isNull());
  ScriptedPeer peer;
  ASSERT_NE(peer.port(), 0);
  StartX(WindowManager::kOpenbox, "3840x2160x24");
  const std::map<std::string, std::string> environment = {
      {"SALVIND_SERVER_HOST", "127.0.0.1"}, {"SALVIND_SERVER_PORT", std::to_string(peer.port())}};
  // The user name field, inside its frame: the ink of "W" at its left.
  const QRect field(172, 96, 10, 20);
  auto typedInk = [&](XWindowId login) {
    ClickIn(login, field.left() + 20, field.top() + 10);
    x_.Type("W");
    const QRect onScreen(x_.Area(login).topLeft() + field.topLeft() * scale_, field.size() * scale_);
    const QImage part = SettledPart(login, QRect(field.topLeft() * scale_, field.size() * scale_));
    (void)onScreen;
    return part;
  };

  // Scale 1 first, for the text's height there.
  auto scaleOne = environment;
  scaleOne["SALVIND_SCALE"] = "1";
  StartClient(scaleOne);
  XWindowId login = ReachLoginWindow();
  ASSERT_NE(login, 0u);
  const QImage small = typedInk(login);
  const auto [top1, bottom1] = InkRows(small, small.rect());
  ASSERT_GE(top1, 0) << "the typed letter shows";
  client_.Stop();
  ASSERT_TRUE(x_.WaitUntilGone("Login", 5s));

  auto scaleTwo = environment;
  scaleTwo["SALVIND_SCALE"] = "2";
  scale_ = 2;
  StartClient(scaleTwo);
  const XWindowId splash = Window("Orva");
  ASSERT_NE(splash, 0u);
  ClickIn(splash, 10, 10);
  const XWindowId gate = Window("Gate");
  ASSERT_NE(gate, 0u);
  EXPECT_EQ(x_.Area(gate).size(), QSize(1280, 800));
  ClickIn(gate, 320, 200);
  login = Window("Login");  // accepted in the first run
  ASSERT_NE(login, 0u);
  EXPECT_EQ(x_.Area(login).size(), QSize(800, 520));
  const QImage large = typedInk(login);
  Shot("login-scale-2");
  const auto [top2, bottom2] = InkRows(large, large.rect());
  ASSERT_GE(top2, 0);
  const int height1 = bottom1 - top1 + 1;
  const int height2 = bottom2 - top2 + 1;
  EXPECT_NEAR(height2, 2 * height1, 1) << "the text is twice as high";
  EXPECT_TRUE(NotDoubled(large)) << "drawn at its size, not a doubled small rendering";
  const std::string docs = DocsScreenshotPath("login_scale2.png");
  if (!docs.empty()) x_.Screenshot().copy(x_.FramedArea(login)).save(QString::fromStdString(docs), "PNG");
  x_.PressKey("BackSpace");
  x_.Type("guest");
  x_.PressKey("Tab");
  x_.Type("secret7");
  x_.PressKey("Return");
  ASSERT_EQ(peer.WaitForBytes(92, 10s).size(), 92u);

  const XWindowId lobby = Grant(peer, map.size() * 2);
  ASSERT_NE(lobby, 0u) << "the lobby is 1280 x 800";

  // Two rooms: the chess hall and the dice house, both open.
  const char* games[] = {"chess", "dice"};
  std::vector<QRect> rects;
  for (uint32_t id = 1; id <= 2; ++id) {
    rects.push_back(SetRect(ServerSet(games[id - 1])));
    ASSERT_TRUE(SendRoom(peer, id, games[id - 1], 0, 1));
  }
  std::this_thread::sleep_for(1500ms);
  const QImage shot = Shot("lobby-scale-2");
  const QPoint origin = x_.Area(lobby).topLeft();
  int wrong = 0;
  for (int y = 0; y < map.height(); ++y) {
    for (int x = 0; x < map.width(); ++x) {
      if (std::any_of(rects.begin(), rects.end(), [&](const QRect& r) { return r.contains(x, y); })) continue;
      const QRgb want = map.pixel(x, y) & 0xFFFFFF;
      for (int k = 0; k < 4; ++k) {
        wrong += (shot.pixel(origin + QPoint(2 * x + k % 2, 2 * y + k / 2)) & 0xFFFFFF) != want;
      }
    }
  }
  EXPECT_EQ(wrong, 0) << "every 2 x 2 block outside the buildings is the map's pixel";
  const std::string lobbyDocs = DocsScreenshotPath("lobby_scale2.png");
  if (!lobbyDocs.empty()) shot.copy(x_.FramedArea(lobby)).save(QString::fromStdString(lobbyDocs), "PNG");

  // The pointer resting on the dice house at its enlarged place brings the
  // status window there; a double click on the chess hall starts chess.
  ClickIn(lobby, 630, 390);
  const QPoint dice = rects[1].center();
  x_.MovePointer(origin.x() + 2 * dice.x(), origin.y() + 2 * dice.y());
  std::this_thread::sleep_for(200ms);
  x_.MovePointer(origin.x() + 2 * dice.x() + 1, origin.y() + 2 * dice.y());
  const QRect status(origin.x() + 2 * dice.x() + 4, origin.y() + 2 * dice.y() + 4, 60, 50);
  double share = 0;
  for (int i = 0; i < 30 && share < 0.6; ++i) {
    std::this_thread::sleep_for(100ms);
    share = WhiteShare(x_.Screenshot(), status);
  }
  EXPECT_GE(share, 0.6) << "the status window at the pointer, twice its size";
  const QImage statusShot = Shot("status-scale-2");
  // The program draws the room's name into the window's own pixels; on the
  // screen it is drawn again at the screen's resolution.
  const QPoint statusCorner = origin + 2 * (dice + QPoint(1, 1));
  const QImage nameLine = statusShot.copy(QRect(statusCorner + QPoint(16, 8), QSize(80, 24)));
  EXPECT_GE(InkRows(nameLine, nameLine.rect()).first, 0) << "the name is there";
  EXPECT_TRUE(NotDoubled(nameLine)) << "the name is sharp";
  const QPoint chess = rects[0].center();
  ClickIn(lobby, chess.x(), chess.y());
  ClickIn(lobby, chess.x(), chess.y());
  EXPECT_NE(x_.WaitForWindow("Orva:chess guest", 15s), 0u) << "the double click entered the chess hall";
  x_.RequestClose(x_.WaitForWindow("Orva:chess guest", 1s));
  x_.WaitUntilGone("Orva:chess guest", 5s);
  x_.RequestClose(lobby);
  EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
}

// What a screen reader finds: the lobby window by its title, each building
// of an open or full room as an item named by its game and status line in
// reading order, the welcome icon as a button, the welcome window by its
// title; the reader's focus follows the keys. Needs a session bus of its
// own (the display leg runs it under dbus-run-session).
using AccessibleLobby = LobbyOnDisplay;

TEST_F(AccessibleLobby, AScreenReaderFindsEveryRoomByNameAndFollowsTheKeys) {
  if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) GTEST_SKIP() << "no session bus of its own";
  const QImage map = Decoded("data/Salvind/salvind.oim");
  ScriptedPeer peer;
  ASSERT_NE(peer.port(), 0);
  StartX(WindowManager::kOpenbox);
  StartClient({{"SALVIND_SERVER_HOST", "127.0.0.1"},
               {"SALVIND_SERVER_PORT", std::to_string(peer.port())},
               {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"}});
  const XWindowId login = ReachLoginWindow();
  ASSERT_NE(login, 0u);
  TypeLogIn(login, "guest", "secret7");
  ASSERT_EQ(peer.WaitForBytes(92, 10s).size(), 92u);
  const XWindowId lobby = Grant(peer, map.size());
  ASSERT_NE(lobby, 0u);
  ASSERT_TRUE(SendRoom(peer, 1, "chess", 3, 1));
  ASSERT_TRUE(SendRoom(peer, 2, "go", 0, 2));
  ASSERT_TRUE(SendRoom(peer, 3, "cards", 1, 1));
  ASSERT_TRUE(SendRoom(peer, 4, "puzzles", 0, 0));  // no status: not offered
  ASSERT_TRUE(SendWelcome(peer, "Welcome!"));
  ASSERT_NE(Window("Welcome"), 0u);

  // The tree as the reader walks it, read until the rooms are in it.
  auto read = [&] {
    const std::string out = runDir_ + "/access-tree.txt";
    std::remove(out.c_str());
    ChildProcess reader;
    if (!reader.Start({SALVIND_ACCESS_READER}, EnvironmentWith({{"DISPLAY", x_.display()}}), {}, out)) return std::string();
    reader.WaitExit(20s);
    std::ifstream in(out);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const std::string items = "list item\tchess, 3 players\n2 list item\tgo, Full\n2 list item\tcards, 1 player\n"
                            "2 push button\tWelcome";
  std::string tree;
  for (int i = 0; i < 30 && tree.find(items) == std::string::npos; ++i) {
    tree = read();
    if (tree.find(items) == std::string::npos) std::this_thread::sleep_for(300ms);
  }
  std::ofstream(runDir_ + "/access-tree-read.txt") << tree;
  EXPECT_NE(tree.find(items), std::string::npos) << "the rooms in reading order, then the icon:\n" << tree;
  EXPECT_NE(tree.find("frame\tSalvind"), std::string::npos) << "the lobby's title names it";
  EXPECT_NE(tree.find("frame\tWelcome"), std::string::npos) << "the welcome window's title names it";
  EXPECT_EQ(tree.find("puzzles"), std::string::npos) << "a room without status is not offered";

  // Tab from the lobby: the reader's focus is on the first building.
  ClickIn(lobby, 630, 5);
  for (int i = 0; i < 50 && x_.FocusedWindow() != lobby; ++i) std::this_thread::sleep_for(100ms);
  ASSERT_EQ(x_.FocusedWindow(), lobby) << "the click gives the lobby the keyboard";
  x_.PressKey("Tab");
  bool focused = false;
  for (int i = 0; i < 20 && !focused; ++i) {
    std::this_thread::sleep_for(200ms);
    tree = read();
    focused = tree.find("list item\tchess, 3 players\tfocused") != std::string::npos;
  }
  EXPECT_TRUE(focused) << tree;

  x_.RequestClose(lobby);
  EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
}

}  // namespace
