// The whole road against the real lobby server, the real client and the real
// sample games on a real X server: the demo account in the lobby while an
// operator runs it with orva-lobbyctl and finally stops it; a new user who
// registers, and who later mistypes the password and reads every building
// from the files the first run stored.

#include <algorithm>
#include <filesystem>
#include <thread>

#include "tests/display/demo_server_fixture.h"
#include "lobby/login_window.h"

namespace {

namespace fs = std::filesystem;

// Points of bare map, away from the buildings and the welcome icon.
constexpr QPoint kBareMap[] = {{5, 395}, {630, 5}, {320, 200}};
constexpr QPoint kRestingPlace(630, 5);

// The game window's text for the demo user of the chess room (lobby.toml).
constexpr const char* kChessGameText = "Player: demo\nGame server: 127.0.0.1 (2130706433), port 2101";

bool SamePixels(const QImage& a, const QImage& b) {
  return a.size() == b.size() && a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// The share of a building's rectangle that differs from the bare map.
double ShareUnlikeMap(const QImage& part, const QImage& mapPart) {
  if (part.size() != mapPart.size() || part.isNull()) return 0;
  long differ = 0;
  for (int y = 0; y < part.height(); ++y) {
    for (int x = 0; x < part.width(); ++x) differ += (part.pixel(x, y) & 0xFFFFFF) != (mapPart.pixel(x, y) & 0xFFFFFF);
  }
  return double(differ) / (part.width() * part.height());
}

// A building's picture with the status window's place blacked out: the
// window stands at the pointer, over the building.
QImage WithoutStatus(QImage part, const QRect& building, QPoint pointer) {
  const QRect status(pointer + QPoint(1, 1), QSize(100, 32));
  part = part.convertToFormat(QImage::Format_RGB32);
  const QRect inPart = status.translated(-building.topLeft()).intersected(part.rect());
  for (int y = inPart.top(); y <= inPart.bottom(); ++y) {
    for (int x = inPart.left(); x <= inPart.right(); ++x) part.setPixel(x, y, 0);
  }
  return part;
}

bool Contains(const std::vector<QImage>& looks, const QImage& look) {
  return std::any_of(looks.begin(), looks.end(), [&](const QImage& l) { return SamePixels(l, look); });
}

class DemoRoad : public DemoServerScenario {
 protected:
  // Waits until every building stands on its plot and the map shows between
  // them; the last screenshot.
  QImage WaitForBuildings(XWindowId lobby) {
    QImage shot;
    std::string missing;
    for (int i = 0; i < 50; ++i) {
      shot = x_.Screenshot();
      missing.clear();
      for (const DemoBuilding& b : buildings_) {
        if (ShareUnlikeMap(Part(shot, lobby, b.rect), map_.copy(b.rect)) < 0.1) missing += " " + b.game;
      }
      for (const QPoint p : kBareMap) {
        if ((shot.pixel(x_.Area(lobby).topLeft() + p) & 0xFFFFFF) != (map_.pixel(p) & 0xFFFFFF)) missing += " map";
      }
      if (missing.empty()) return shot;
      std::this_thread::sleep_for(100ms);
    }
    ADD_FAILURE() << "not drawn on the map:" << missing;
    return shot;
  }

  // The distinct looks of a building over a while, the status window's
  // place left out.
  std::vector<QImage> Looks(XWindowId lobby, const DemoBuilding& b, QPoint pointer, std::chrono::milliseconds span) {
    std::vector<QImage> looks;
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end) {
      const QImage look = WithoutStatus(Part(x_.Screenshot(), lobby, b.rect), b.rect, pointer);
      if (!Contains(looks, look)) looks.push_back(look);
      std::this_thread::sleep_for(30ms);
    }
    return looks;
  }

  // Rests the pointer on a building until its status window shows (white
  // next to the pointer); the status window's place on the screen. One
  // move only: the window stays where the pointer first rested.
  QRect HoverUntilStatus(XWindowId lobby, QPoint inside) {
    const QPoint screen = x_.Area(lobby).topLeft() + inside;
    x_.MovePointer(screen.x(), screen.y());
    const QRect status(screen + QPoint(1, 1), QSize(30, 32));
    for (int i = 0; i < 50; ++i) {
      const QImage shot = x_.Screenshot();
      int white = 0;
      for (int y = status.top(); y <= status.top() + 3; ++y) {
        for (int x = status.left(); x <= status.right(); ++x) white += (shot.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
      }
      if (white == 4 * status.width()) return status;
      std::this_thread::sleep_for(100ms);
    }
    ADD_FAILURE() << "no status window at the pointer";
    return status;
  }

  // The two text lines of the status window at status (its name line and its
  // occupancy line), from the left of the text on.
  static QImage NameLine(const QImage& shot, const QRect& status) {
    return shot.copy(status.left() + 8, status.top() + 4, 24, 12);
  }
  static QImage StatusLine(const QImage& shot, const QRect& status) {
    return shot.copy(status.left() + 8, status.top() + 16, 24, 12);
  }

  // Waits until the status line at status looks unlike before; the shot.
  QImage WaitForStatusChange(const QRect& status, const QImage& before) {
    QImage shot;
    for (int i = 0; i < 50; ++i) {
      shot = x_.Screenshot();
      if (!SamePixels(StatusLine(shot, status), before)) return shot;
      std::this_thread::sleep_for(100ms);
    }
    ADD_FAILURE() << "the status window did not change";
    return shot;
  }

  // Whether looks hold one of the frames <kind>-1.png ... <kind>-N.png of
  // the building, the status window's place left out.
  bool ShowsFrameOf(const std::vector<QImage>& looks, const DemoBuilding& b, const std::string& kind, int frames) {
    for (int i = 1; i <= frames; ++i) {
      const QImage frame = OnMap(b, kind + "-" + std::to_string(i) + ".png");
      if (!frame.isNull() && Contains(looks, WithoutStatus(frame, b.rect, b.inside))) return true;
    }
    return false;
  }

  void DoubleClickOn(XWindowId lobby, QPoint inside) {
    const QPoint screen = x_.Area(lobby).topLeft() + inside;
    x_.Click(screen.x(), screen.y());
    x_.Click(screen.x(), screen.y());
  }
};

TEST_F(DemoRoad, TheDemoAccountPlaysWhileAnOperatorRunsTheLobbyAndThenStopsIt) {
  const bool docs = !DocsScreenshotPath("x").empty();
  const int port = StartServer();
  ASSERT_NE(port, 0);
  StartX(WindowManager::kOpenbox);
  StartClientOnServer(port);
  ASSERT_FALSE(HasFatalFailure());
  const XWindowId login = WayToLogin(Start::kFirst, docs);
  ASSERT_NE(login, 0u);
  ClickIn(login, kUserNameField.x(), kUserNameField.y());
  x_.Type("demo");
  x_.PressKey("Tab");
  x_.Type("orva");
  if (docs) DocsShot("login_demo.png", x_.FramedArea(x_.WaitForWindow("Gate", 1s)).united(x_.FramedArea(login)));
  x_.PressKey("Return");

  // The demo account made at the server's first start is admitted; the lobby
  // asks for every building's set once, stores it, and draws it.
  const XWindowId lobby = WaitForLobby(15s);
  ASSERT_NE(lobby, 0u);
  EXPECT_EQ(ServerLogCount("admitted user demo over TLS"), 1);
  EXPECT_TRUE(WaitForServerLog("sent the building set of room", 6, 10s)) << ServerLog();
  const XWindowId welcome = Window("Welcome");
  ClickIn(lobby, kRestingPlace.x(), kRestingPlace.y());
  QImage shot = WaitForBuildings(lobby);
  Shot("lobby");
  for (const DemoBuilding& b : buildings_) {
    EXPECT_TRUE(fs::exists(stageDir_ + "/data/Salvind/" + b.game + ".ogi")) << b.game;
    EXPECT_EQ(ServerLogCount("sent the building set of room " + std::to_string(b.id) + "\n"), 1) << b.game;
  }
  if (docs) {
    DocsShot("lobby_demo.png", x_.FramedArea(lobby).united(x_.FramedArea(welcome)));
    // The lobby stands in front of the welcome window; for its own picture
    // the welcome window comes forward, then the lobby again.
    desktop_.Activate(welcome);
    for (int i = 0; i < 20 && x_.StackingIndex(welcome) < x_.StackingIndex(lobby); ++i) {
      std::this_thread::sleep_for(100ms);
    }
    DocsShot("welcome_demo.png", x_.FramedArea(welcome));
    desktop_.Activate(lobby);
    for (int i = 0; i < 20 && x_.StackingIndex(lobby) < x_.StackingIndex(welcome); ++i) {
      std::this_thread::sleep_for(100ms);
    }
  }

  // An open building lives: its idle animation shows more than one picture.
  const DemoBuilding& chess = Building("chess");
  const std::vector<QImage> idle = Looks(lobby, chess, chess.inside, 1200ms);
  EXPECT_GE(idle.size(), 2u) << "the chess hall's idle animation runs";
  EXPECT_TRUE(ShowsFrameOf(idle, chess, "idle", 6)) << "the idle frames as they were drawn";

  // Resting on the chess hall shows its status window; an operator's change
  // of its players is seen there at once, the name line unchanged.
  QRect status = HoverUntilStatus(lobby, chess.inside);
  shot = Shot("status-empty");
  if (docs) DocsShot("status_demo.png", x_.FramedArea(lobby));
  const QImage name = NameLine(shot, status);
  const QImage empty = StatusLine(shot, status);
  Control({"room", "1", "players", "1"});
  shot = WaitForStatusChange(status, empty);
  Shot("status-one-player");
  EXPECT_TRUE(SamePixels(NameLine(shot, status), name)) << "the room's name stays";
  const QImage onePlayer = StatusLine(shot, status);

  // A double click plays the enter animation (its frames on screen as they
  // were drawn), then the chess game opens for demo with the game server's
  // address, dotted and as a number, and its port.
  DoubleClickOn(lobby, chess.inside);
  std::vector<QImage> entering;
  XWindowId game = 0;
  for (int i = 0; i < 300 && !game; ++i) {
    const QImage look = WithoutStatus(Part(x_.Screenshot(), lobby, chess.rect), chess.rect, chess.inside);
    if (!Contains(entering, look)) entering.push_back(look);
    const std::vector<XWindowId> games = x_.WindowsTitled("Orva:chess demo");
    if (!games.empty()) game = games.front();
  }
  ASSERT_NE(game, 0u) << "the chess game starts";
  EXPECT_TRUE(ShowsFrameOf(entering, chess, "enter", 8)) << "the enter animation played before the game started";
  Shot("game");
  if (docs) std::this_thread::sleep_for(500ms);  // the game's first paint
  if (docs) DocsShot("game_demo.png", x_.FramedArea(lobby).united(x_.FramedArea(game)));
  EXPECT_EQ(CopiedText(game, Select::kAsItIs), kChessGameText);
  EXPECT_EQ(GameProcesses("chess").size(), 1u);

  // With the lobby in front, a second double click raises the running game
  // instead of starting another.
  desktop_.Activate(lobby);
  for (int i = 0; i < 50 && x_.StackingIndex(lobby) < x_.StackingIndex(game); ++i) std::this_thread::sleep_for(100ms);
  ASSERT_GT(x_.StackingIndex(lobby), x_.StackingIndex(game)) << "the lobby comes in front of the game";
  DoubleClickOn(lobby, chess.inside);
  for (int i = 0; i < 100 && x_.StackingIndex(game) < x_.StackingIndex(lobby); ++i) std::this_thread::sleep_for(100ms);
  EXPECT_GT(x_.StackingIndex(game), x_.StackingIndex(lobby)) << "the game is raised";
  EXPECT_EQ(x_.WindowsTitled("Orva:chess demo").size(), 1u);
  EXPECT_EQ(GameProcesses("chess").size(), 1u) << "no second copy";
  Shot("game-raised");
  x_.RequestClose(game);
  EXPECT_TRUE(x_.WaitUntilGone("Orva:chess demo", 10s)) << "the game ends when closed";
  for (int i = 0; i < 50 && !GameProcesses("chess").empty(); ++i) std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(GameProcesses("chess").empty());

  // The operator fills the chess hall: its status says so, and on the map the
  // building stops moving and shows its closed picture.
  desktop_.Activate(lobby);
  ClickIn(lobby, kRestingPlace.x(), kRestingPlace.y());
  status = HoverUntilStatus(lobby, chess.inside);
  shot = x_.Screenshot();
  EXPECT_TRUE(SamePixels(StatusLine(shot, status), onePlayer)) << "one player, as before";
  Control({"room", "1", "full"});
  shot = WaitForStatusChange(status, onePlayer);
  Shot("status-full");
  const std::vector<QImage> full = Looks(lobby, chess, chess.inside, 800ms);
  ASSERT_EQ(full.size(), 1u) << "a full room's building stands still";
  EXPECT_TRUE(SamePixels(full.front(), WithoutStatus(OnMap(chess, "closed.png"), chess.rect, chess.inside)))
      << "it shows its closed picture";

  // An operator's alert comes in the alert box, word for word.
  const std::string alert = "The chess final starts at nine. Good luck!";
  Control({"alert", alert});
  const XWindowId alertBox = WaitForBox(lobby, 10s);
  ASSERT_NE(alertBox, 0u);
  Shot("alert");
  EXPECT_EQ(CopiedText(alertBox, Select::kAll, QPoint(20, 20)), alert);
  desktop_.Activate(alertBox);
  x_.PressKey("Return");
  for (int i = 0; i < 50 && x_.WindowsTitled("Salvind").size() > 1; ++i) std::this_thread::sleep_for(100ms);
  EXPECT_EQ(x_.WindowsTitled("Salvind").size(), 1u) << "\"OK\" closes the alert box";

  // A closed room's building goes: the bare map shows in its place.
  const DemoBuilding& puzzles = Building("puzzles");
  Control({"room", "6", "close"});
  bool gone = false;
  for (int i = 0; i < 50 && !gone; ++i) {
    gone = SamePixels(Part(x_.Screenshot(), lobby, puzzles.rect), map_.copy(puzzles.rect));
    if (!gone) std::this_thread::sleep_for(100ms);
  }
  EXPECT_TRUE(gone) << "the library has left the map";
  Shot("library-closed");

  // The server stops under the running client: the client says so and ends
  // with 0 once the message is acknowledged.
  EXPECT_EQ(StopServer(), 0);
  const XWindowId ending = BoxSaying("Connection to the Orva server has been terminated. Exiting.", lobby, 10s);
  ASSERT_NE(ending, 0u);
  Shot("terminated");
  desktop_.Activate(ending);
  x_.PressKey("Return");
  EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
}

TEST_F(DemoRoad, AServerThatCannotProveItselfIsRefusedBeforeThePasswordLeaves) {
  const int port = StartServer();
  ASSERT_NE(port, 0);
  // The client trusts another demo lobby's certificate: the real one looks
  // like an impostor to it.
  ASSERT_TRUE(MakeDemoCertificate(runDir_ + "/impostor"));
  StartX(WindowManager::kOpenbox);
  StartClientOnServer(port, {{"SALVIND_SERVER_CA", runDir_ + "/impostor/demo-cert.pem"}});
  ASSERT_FALSE(HasFatalFailure());
  const XWindowId login = WayToLogin(Start::kFirst);
  ASSERT_NE(login, 0u);
  TypeLogIn(login, "demo", "orva");
  const XWindowId box = Window("Orva");
  ASSERT_NE(box, 0u);
  std::this_thread::sleep_for(300ms);  // the box's first paint
  Shot("identity-refused");
  DocsShot("identity_refused.png", x_.FramedArea(box));
  EXPECT_NE(CopiedText(box, Select::kAsItIs).find("The Orva server at 127.0.0.1 could not prove its identity."),
            std::string::npos);
  x_.PressKey("Return");
  EXPECT_EQ(client_.WaitExit(10s), 1);
  EXPECT_TRUE(WaitForServerLog("TLS handshake failed", 1, 5s)) << ServerLog();
  EXPECT_EQ(ServerLogCount("admitted user"), 0) << ServerLog();
  EXPECT_EQ(ServerLogCount("refused user"), 0) << ServerLog();
}

TEST_F(DemoRoad, ANewUserRegistersThenMistypesAndIsServedFromTheStoredBuildings) {
  const int port = StartServer();
  ASSERT_NE(port, 0);
  StartX(WindowManager::kOpenbox);
  StartClientOnServer(port);
  ASSERT_FALSE(HasFatalFailure());
  XWindowId login = WayToLogin(Start::kFirst);
  ASSERT_NE(login, 0u);

  // Registering: the new user window, every field by the keyboard, "OK",
  // then "Connect" in the login window.
  ClickIn(login, kNewUserButton.x(), kNewUserButton.y());
  const XWindowId newUser = Window("New User Information");
  ASSERT_NE(newUser, 0u);
  ClickIn(newUser, kNewUserNameField.x(), kNewUserNameField.y());
  for (const char* text : {"newbie", "secret1", "secret1", "New Player", "newbie@example.org"}) {
    x_.Type(text);
    x_.PressKey("Tab");
  }
  Shot("new-user-typed");
  x_.PressKey("Return");
  EXPECT_TRUE(x_.WaitUntilGone("New User Information", 5s)) << "\"OK\" takes the entries";
  ClickIn(login, kConnectButton.x(), kConnectButton.y());
  XWindowId lobby = WaitForLobby(15s);
  ASSERT_NE(lobby, 0u);
  EXPECT_EQ(ServerLogCount("registered user newbie"), 1) << ServerLog();
  EXPECT_TRUE(WaitForServerLog("sent the building set of room", 6, 10s)) << ServerLog();
  ClickIn(lobby, kRestingPlace.x(), kRestingPlace.y());
  WaitForBuildings(lobby);
  Shot("lobby-first-run");
  x_.RequestClose(lobby);
  ASSERT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();

  // The second run: no disclaimer, a wrong password refused with its
  // message, the login window again with the name kept, the right password.
  StartClientOnServer(port);
  login = WayToLogin(Start::kLater);
  ASSERT_NE(login, 0u);
  ClickIn(login, kUserNameField.x(), kUserNameField.y());
  x_.Type("newbie");
  x_.PressKey("Tab");
  x_.Type("wrong1");
  x_.PressKey("Return");
  EXPECT_TRUE(WaitForServerLog("refused user newbie: reason 3", 1, 10s)) << ServerLog();
  const XWindowId refusal = BoxSaying("The password is incorrect. Please try again.", 0, 10s);
  ASSERT_NE(refusal, 0u);
  Shot("wrong-password");
  x_.PressKey("Return");
  login = Window(kLoginTitleProtected, 5s);
  ASSERT_NE(login, 0u);
  // The refused password stands selected: typing replaces it.
  x_.Type("secret1");
  x_.PressKey("Return");
  lobby = WaitForLobby(15s);
  ASSERT_NE(lobby, 0u);
  EXPECT_EQ(ServerLogCount("admitted user newbie"), 2);

  // Every building is drawn, and all of them came from the stored files:
  // a set drawn from the server's answer would have been logged before it
  // arrived.
  ClickIn(lobby, kRestingPlace.x(), kRestingPlace.y());
  WaitForBuildings(lobby);
  Shot("lobby-second-run");
  EXPECT_EQ(ServerLogCount("sent the building set of room"), 6) << ServerLog();
  x_.RequestClose(lobby);
  EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
}

}  // namespace
