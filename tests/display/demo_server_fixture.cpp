#include "tests/display/demo_server_fixture.h"

#include "lobby/login_window.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr int kAcceptX = 276 + 45, kAcceptY = 336 + 14;  // disclaimer.rects, rectangle 1

// The demo rooms in the configuration's order, with a point on each building.
struct RoomPlot {
  const char* game;
  uint32_t id;
  int x, y;
};
constexpr RoomPlot kPlots[] = {{"chess", 1, 106, 95},     {"cards", 2, 94, 276},      {"dice", 3, 184, 284},
                               {"go", 4, 515, 99},        {"backgammon", 5, 461, 280}, {"puzzles", 6, 320, 92}};

// The building's rectangle from the header of its set: four big-endian
// 16-bit coordinates at offset 4.
QRect SetRect(const std::string& path) {
  const std::string set = ReadWhole(path);
  if (set.size() < 24) return {};
  auto at = [&](size_t offset) {
    return static_cast<int16_t>((static_cast<uint8_t>(set[offset]) << 8) | static_cast<uint8_t>(set[offset + 1]));
  };
  return QRect(QPoint(at(4), at(6)), QPoint(at(8) - 1, at(10) - 1));
}

// The configuration with fast hashes and echoes every two seconds, so the
// scenarios log in at once and the client answers echoes while they run.
bool MakeScenarioConfig(const std::string& path) {
  std::string text = ReadWhole(path);
  const std::pair<std::string, std::string> edits[] = {{"hash = \"interactive\"", "hash = \"fast\""},
                                                       {"echo_interval_s = 60", "echo_interval_s = 2"},
                                                       {"echo_timeout_s = 120", "echo_timeout_s = 10"}};
  for (const auto& [from, to] : edits) {
    const size_t at = text.find(from);
    if (at == std::string::npos) return false;
    text.replace(at, from.size(), to);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

}  // namespace

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void DemoServerScenario::SetUp() {
  DisplayScenario::SetUp();
  if (HasFatalFailure()) return;
  for (const RoomPlot& plot : kPlots) {
    const QRect rect = SetRect(stageDir_ + "/server/sets/" + plot.game + ".set");
    ASSERT_FALSE(rect.isEmpty()) << "no building set for " << plot.game;
    ASSERT_TRUE(rect.contains(plot.x, plot.y)) << plot.game;
    buildings_.push_back({plot.game, plot.id, rect, QPoint(plot.x, plot.y)});
  }
  map_ = Decoded("data/Salvind/salvind.oim");
  ASSERT_FALSE(map_.isNull()) << "the lobby map cannot be decoded";
}

void DemoServerScenario::TearDown() {
  // Games outlive the client that started them: end this scenario's own.
  for (const DemoBuilding& building : buildings_) {
    for (const int pid : GameProcesses(building.game)) kill(pid, SIGKILL);
  }
  server_.Stop();
  std::error_code error;
  if (!serverDir_.empty()) fs::remove_all(serverDir_, error);
  DisplayScenario::TearDown();
}

int DemoServerScenario::StartServer() {
  // The server's copy lives near the root: its admin socket's path must fit
  // a socket address, which the scenario's folder would not.
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
  if (!MakeScenarioConfig(serverDir_ + "/lobby.toml")) {
    ADD_FAILURE() << "the demo configuration has changed its hash or echo keys";
    return 0;
  }
  // The demo server's own certificate, made as scripts/run.sh makes it.
  if (!MakeDemoCertificate(serverDir_ + "/state")) return 0;
  serverLog_ = runDir_ + "/orva-lobbyd.log";
  if (!server_.Start({serverDir_ + "/orva-lobbyd", "--config", serverDir_ + "/lobby.toml", "--listen", "127.0.0.1:0",
                      "--tls", serverDir_ + "/state/demo-cert.pem", serverDir_ + "/state/demo-key.pem"},
                     EnvironmentWith({}), serverDir_, serverLog_)) {
    ADD_FAILURE() << "orva-lobbyd does not start";
    return 0;
  }
  const std::regex listening("listening on 127\\.0\\.0\\.1:([0-9]+) ");
  for (int i = 0; i < 100 && server_.Running(); ++i) {
    std::smatch match;
    const std::string log = ServerLog();
    if (std::regex_search(log, match, listening)) return std::stoi(match[1]);
    std::this_thread::sleep_for(100ms);
  }
  ADD_FAILURE() << "orva-lobbyd does not listen: " << ServerLog();
  return 0;
}

std::string DemoServerScenario::ServerLog() { return ReadWhole(serverLog_); }

int DemoServerScenario::ServerLogCount(const std::string& text) {
  const std::string log = ServerLog();
  int count = 0;
  for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + text.size())) ++count;
  return count;
}

bool DemoServerScenario::WaitForServerLog(const std::string& text, int count, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (ServerLogCount(text) < count) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

std::string DemoServerScenario::Control(const std::vector<std::string>& words) {
  std::vector<std::string> argv{serverDir_ + "/orva-lobbyctl", "--config", serverDir_ + "/lobby.toml"};
  argv.insert(argv.end(), words.begin(), words.end());
  const std::string out = runDir_ + "/orva-lobbyctl.out";
  std::error_code error;
  fs::remove(out, error);
  ChildProcess control;
  if (!control.Start(argv, EnvironmentWith({}), serverDir_, out)) {
    ADD_FAILURE() << "orva-lobbyctl does not start";
    return {};
  }
  const std::optional<int> code = control.WaitExit(10s);
  const std::string answer = ReadWhole(out);
  EXPECT_EQ(code, 0) << "orva-lobbyctl " << words.front() << ": " << answer;
  EXPECT_EQ(answer.rfind("ok", 0), 0u) << answer;
  return answer;
}

std::optional<int> DemoServerScenario::StopServer() {
  server_.Signal(SIGTERM);
  return server_.WaitExit(10s);
}

XWindowId DemoServerScenario::LoginWindowOnServer(int* port) {
  *port = StartServer();
  if (!*port) return 0;
  StartX(WindowManager::kOpenbox);
  if (HasFatalFailure()) return 0;
  StartClientOnServer(*port);
  if (HasFatalFailure()) return 0;
  return WayToLogin(Start::kFirst);
}

const DemoBuilding& DemoServerScenario::Building(const std::string& game) const {
  return *std::find_if(buildings_.begin(), buildings_.end(), [&](const DemoBuilding& b) { return b.game == game; });
}

bool DemoServerScenario::MakeDemoCertificate(const std::string& folder) {
  ChildProcess make;
  const std::string log = runDir_ + "/make-demo-cert.log";
  if (!make.Start({stageDir_ + "/server/make-demo-cert.sh", folder}, EnvironmentWith({}), runDir_, log) ||
      make.WaitExit(30s) != 0) {
    ADD_FAILURE() << "no demo certificate in " << folder << ": " << ReadWhole(log);
    return false;
  }
  return true;
}

void DemoServerScenario::StartClientOnServer(int port, const std::map<std::string, std::string>& more) {
  ASSERT_TRUE(desktop_.Open(x_.display())) << "no second connection to " << x_.display();
  // Over TLS, trusting the demo server's certificate, as scripts/run.sh
  // starts the client.
  std::map<std::string, std::string> environment = {{"SALVIND_SERVER_TLS", "on"},
                                                    {"SALVIND_SERVER_CA", serverDir_ + "/state/demo-cert.pem"}};
  for (const auto& [name, value] : more) environment[name] = value;
  environment["SALVIND_SERVER_HOST"] = "127.0.0.1";
  environment["SALVIND_SERVER_PORT"] = std::to_string(port);
  StartClient(environment);
}

XWindowId DemoServerScenario::WayToLogin(Start start, bool docs) {
  const XWindowId splash = Window("Orva");
  if (!splash) return 0;
  if (docs) {
    // The splash and the gate come as whole pictures: wait for them.
    EXPECT_EQ(WaitForPicture(splash, Decoded("data/common/orva.ors", 0), 5s), "");
    DocsShot("splash_demo.png", x_.FramedArea(splash));
  }
  ClickIn(splash, 10, 10);
  EXPECT_TRUE(x_.WaitUntilGone("Orva", 5s)) << "a click closes the splash";
  const XWindowId gate = Window("Gate");
  if (!gate) return 0;
  if (docs) {
    EXPECT_EQ(WaitForPicture(gate, Decoded("data/Salvind/start.oim"), 5s), "");
    DocsShot("gate_demo.png", x_.FramedArea(gate));
  }
  ClickIn(gate, 320, 200);
  if (start == Start::kFirst) {
    const XWindowId disclaimer = Window("Disclaimer Agreement");
    if (!disclaimer) return 0;
    Shot("disclaimer");
    ClickIn(disclaimer, kAcceptX, kAcceptY);
    EXPECT_TRUE(x_.WaitUntilGone("Disclaimer Agreement", 5s)) << "\"Accept\" closes the disclaimer";
  }
  const XWindowId login = Window(kLoginTitleProtected);
  if (login && start == Start::kLater) {
    EXPECT_FALSE(x_.HasWindow("Disclaimer Agreement")) << "the disclaimer was accepted on the first start";
  }
  return login;
}

XWindowId DemoServerScenario::WaitForLobby(std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    // The information box is titled "Salvind" too: the lobby is the one of
    // the map's size.
    for (const XWindowId w : x_.WindowsTitled("Salvind")) {
      if (x_.Area(w).size() == map_.size()) return w;
    }
    if (std::chrono::steady_clock::now() >= end) break;
    std::this_thread::sleep_for(100ms);
  }
  ADD_FAILURE() << "no lobby window within " << timeout.count() << " ms";
  return 0;
}

XWindowId DemoServerScenario::WaitForBox(XWindowId lobby, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    for (const XWindowId w : x_.WindowsTitled("Salvind")) {
      if (w != lobby) return w;
    }
    if (std::chrono::steady_clock::now() >= end) break;
    std::this_thread::sleep_for(50ms);
  }
  ADD_FAILURE() << "no box titled \"Salvind\" within " << timeout.count() << " ms";
  return 0;
}

std::string DemoServerScenario::CopiedText(XWindowId window, Select select, QPoint clickAt,
                                           std::chrono::milliseconds wait) {
  desktop_.Activate(window);
  std::this_thread::sleep_for(200ms);
  if (clickAt.x() >= 0) ClickIn(window, clickAt.x(), clickAt.y());
  desktop_.ClearClipboard();
  if (select == Select::kAll) desktop_.Chord({"Control_L", "a"});
  desktop_.Chord({"Control_L", "c"});
  return desktop_.ClipboardText(wait);
}

XWindowId DemoServerScenario::BoxSaying(const std::string& text, XWindowId lobby, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  std::string seen;
  for (;;) {
    // The information box, also titled "Salvind", may still be going away.
    for (const XWindowId w : x_.WindowsTitled("Salvind")) {
      if (w == lobby) continue;
      seen = CopiedText(w, Select::kAsItIs, QPoint(-1, -1), 1s);
      if (seen.find(text) != std::string::npos) return w;
    }
    if (std::chrono::steady_clock::now() >= end) break;
    std::this_thread::sleep_for(100ms);
  }
  Shot("no-box");
  ADD_FAILURE() << "no box saying \"" << text << "\"; the last one copied said \"" << seen << "\"";
  return 0;
}

QImage DemoServerScenario::Part(const QImage& shot, XWindowId window, const QRect& rect) {
  return shot.copy(rect.translated(x_.Area(window).topLeft()));
}

QImage DemoServerScenario::OnMap(const DemoBuilding& building, const std::string& file) {
  const QImage frame(QString::fromStdString(std::string(SALVIND_BUILDINGS_DIR) + "/" + building.game + "/" + file));
  QImage out = map_.copy(building.rect).convertToFormat(QImage::Format_RGB32);
  if (frame.size() != out.size()) {
    ADD_FAILURE() << building.game << "/" << file << " is missing or not the building's size";
    return {};
  }
  const QImage argb = frame.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    for (int x = 0; x < out.width(); ++x) {
      const QRgb p = argb.pixel(x, y);
      if (qAlpha(p) >= 128) out.setPixel(x, y, 0xFF000000u | (p & 0xFFFFFFu));
    }
  }
  return out;
}

std::vector<int> DemoServerScenario::GameProcesses(const std::string& game) {
  std::vector<int> pids;
  std::error_code error;
  const fs::path program = fs::weakly_canonical(stageDir_ + "/games/" + game, error);
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code linkError;
    const fs::path exe = fs::read_symlink(entry.path() / "exe", linkError);
    if (!linkError && exe == program) pids.push_back(std::stoi(name));
  }
  return pids;
}
