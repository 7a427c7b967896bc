#pragma once
// End-to-end scenarios: the real orva-lobbyd with a scratch copy of the demo
// configuration (fast hashes, short echo times, a free port), the real client
// on a real X server, the real sample games. Texts of boxes and windows are
// read through the clipboard, as a person copies them; what the server did is
// read from its log.

#include <QImage>
#include <QRect>

#include <map>
#include <string>
#include <vector>

#include "tests/display/display_fixture.h"
#include "tests/display/x_desktop.h"

// A room of the demo configuration as the map shows it.
struct DemoBuilding {
  std::string game;
  uint32_t id = 0;
  QRect rect;     // the building's rectangle, map coordinates (from its set)
  QPoint inside;  // a point that lies on the building
};

// Points on the login window (assets/layouts/login.rects) and the new user
// window (newuser.rects), drawing-area coordinates.
inline constexpr QPoint kUserNameField(170 + 20, 94 + 12);
inline constexpr QPoint kNewUserButton(152 + 48, 204 + 14);
inline constexpr QPoint kConnectButton(40 + 48, 204 + 14);
inline constexpr QPoint kNewUserNameField(140 + 20, 16 + 12);

class DemoServerScenario : public DisplayScenario {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The server, X with openbox, the client and the way in of a first start:
  // the login window, or 0 with a failed test; the server's port in *port.
  XWindowId LoginWindowOnServer(int* port);
  // A room of the demo configuration by its game.
  const DemoBuilding& Building(const std::string& game) const;

  // Starts orva-lobbyd from the scratch copy on 127.0.0.1, port 0; its port,
  // or 0 with a failed test.
  int StartServer();
  // The server's log so far.
  std::string ServerLog();
  // How many times text occurs in the server's log.
  int ServerLogCount(const std::string& text);
  // Waits until the log holds text count times; false after timeout.
  bool WaitForServerLog(const std::string& text, int count, std::chrono::milliseconds timeout);
  // orva-lobbyctl with words against the running server; its answer, with a
  // failed test unless it begins with "ok".
  std::string Control(const std::vector<std::string>& words);
  // SIGTERM to the server, and its exit code.
  std::optional<int> StopServer();

  // X must run: starts the client pointed at the server, over TLS, trusting
  // the demo server's own certificate, with more environment overrides when
  // given (SALVIND_SERVER_CA among them, to trust another certificate).
  void StartClientOnServer(int port, const std::map<std::string, std::string>& more = {});
  // Makes a demo certificate in folder (make-demo-cert.sh); false on failure.
  bool MakeDemoCertificate(const std::string& folder);
  // Splash, gate and, on a first start, the disclaimer, by real input; the
  // login window, or 0 with a failed test. With docs set, the splash, the
  // gate and the login window are saved for the README.
  enum class Start { kFirst, kLater };
  XWindowId WayToLogin(Start start, bool docs = false);
  // The map-sized window "Salvind" within timeout, else 0 with a failed test.
  XWindowId WaitForLobby(std::chrono::milliseconds timeout);
  // A window titled "Salvind" that is not the lobby (an alert or a message
  // box), else 0 with a failed test.
  XWindowId WaitForBox(XWindowId lobby, std::chrono::milliseconds timeout);

  // The text a window shows, copied from it: activates it, clicks at (x, y)
  // of its drawing area when given, selects everything when asked, copies.
  enum class Select { kAll, kAsItIs };
  std::string CopiedText(XWindowId window, Select select, QPoint clickAt = QPoint(-1, -1),
                         std::chrono::milliseconds wait = 3s);
  // The box titled "Salvind" (not the lobby) whose copied text holds text,
  // else 0 with a failed test. Message boxes copy their whole text.
  XWindowId BoxSaying(const std::string& text, XWindowId lobby, std::chrono::milliseconds timeout);

  // The part of a screenshot that shows rect of the window's drawing area.
  QImage Part(const QImage& shot, XWindowId window, const QRect& rect);
  // A building's frame as the map shows it: the drawn picture
  // (buildings/<game>/<file>, as the art tool made it) over the bare map,
  // where its alpha is 128 or more.
  QImage OnMap(const DemoBuilding& building, const std::string& file);
  // Process ids of the running copies of games/<game> of this scenario's tree.
  std::vector<int> GameProcesses(const std::string& game);

  std::vector<DemoBuilding> buildings_;  // the six rooms, in the configuration's order
  QImage map_;                           // the lobby map, decoded
  XDesktop desktop_;

 private:
  ChildProcess server_;
  std::string serverDir_;
  std::string serverLog_;
};

// The text of a file.
std::string ReadWhole(const std::string& path);
