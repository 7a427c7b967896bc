// orva-lobbyd and orva-lobbyctl as processes: a bad configuration, the
// signals, a registration that survives kill -9, the log of building sets
// sent, and the control program.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstring>

#include <string>
#include <vector>

#include "protocol/messages.h"
#include "tests/server/lobby_fixture.h"
#include "tests/server/lobbyd_process.h"
#include "tests/support/test_pki.h"

extern char** environ;

namespace {

// A connection to the admin socket that says nothing.
class IdleAdmin {
 public:
  explicit IdleAdmin(const std::string& path) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a = {};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    connected_ = fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~IdleAdmin() {
    if (fd_ >= 0) close(fd_);
  }
  bool Connected() const { return connected_; }
  // True once the server has closed it.
  bool WaitClosed(int timeoutMs) {
    pollfd p = {fd_, POLLIN, 0};
    char c;
    return poll(&p, 1, timeoutMs) == 1 && recv(fd_, &c, 1, 0) <= 0;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

class LobbydProcess : public ::testing::Test {
 protected:
  void SetUp() override { WriteTestFiles(dir_); }
  std::unique_ptr<Process> StartServer() { return StartLobbyd(dir_); }
  TempDir dir_;
};

TEST_F(LobbydProcess, ABadConfigurationIsOneLineAndExitCodeTwo) {
  struct Case {
    const char* what;
    std::string text;
    const char* expected;
  };
  auto accounts = [](const std::string& extra) {
    const std::string text = ConfigText("");
    return text.substr(0, text.find("[welcome]")) + extra + "\n" + text.substr(text.find("[welcome]"));
  };
  const Case cases[] = {
      {"not TOML", "[server\n", "lobby.toml: line 1: "},
      {"unknown store", accounts("store = \"files\""), "accounts.store: must be \"sqlite\" or \"postgresql\""},
      {"postgresql without url", accounts("store = \"postgresql\""), "accounts.url: missing"},
      {"url with sqlite", accounts("url = \"dbname=lobby\""), "accounts.url: is for store = \"postgresql\" only"},
      {"password in the url", accounts("store = \"postgresql\"\nurl = \"postgresql://orva:secret@db/lobby\""),
       "accounts.url: must not hold the password"},
      {"password keyword in the url", accounts("store = \"postgresql\"\nurl = \"dbname=lobby password=secret\""),
       "accounts.url: must not hold the password"},
      {"url libpq cannot read", accounts("store = \"postgresql\"\nurl = \"dbname='lobby\""), "accounts.url: "},
      {"no store workers", accounts("workers = 0"), "accounts.workers: must be between 1 and 32"},
      {"server name with a tab", ConfigText("name = \"a\\tb\""), "server.name: must be at most 100 characters"},
      {"metrics without listen", ConfigText("") + "[metrics]\n", "metrics.listen: missing"},
      {"metrics on a name", ConfigText("") + "[metrics]\nlisten = \"localhost:9102\"\n", "metrics.listen: must be"},
      {"database not there", accounts("store = \"postgresql\"\nurl = \"host=/nonexistent dbname=lobby\""),
       "cannot open the account database"},
      {"no data_dir", "[server]\nlisten = \"127.0.0.1:0\"\n", "server.data_dir: missing"},
      {"bad listen", ConfigText("").replace(ConfigText("").find("127.0.0.1:0"), 11, "localhost:x"), "server.listen:"},
      {"negative players", ConfigText("max_players = -1"), "server.max_players: must be between 0 and"},
      {"unknown hash", ConfigText("").replace(ConfigText("").find("\"fast\""), 6, "\"slow\""), "accounts.hash:"},
      {"name too long", ConfigText("").replace(ConfigText("").find("\"chess\""), 7, "\"" + std::string(31, 'x') + "\""),
       "room[0].name: must be 1 to 30 characters"},
      {"name leaving its directory", ConfigText("").replace(ConfigText("").find("\"chess\""), 7, "\"../x\""), "room[0].name:"},
      {"image file too long", ConfigText("").replace(ConfigText("").find("\"chess.ogi\""), 11, "\"abcdefghijklmnop\""),
       "room[0].image_file:"},
      {"missing set", ConfigText("").replace(ConfigText("").find("sets/chess.set"), 14, "sets/none.set"),
       "room[0].image_set:"},
      {"duplicate room id", ConfigText("") + "[[room]]\nid = 1\nname = \"go\"\naddress = \"127.0.0.1\"\nport = 1\n"
                                             "image_file = \"go.ogi\"\nimage_set = \"sets/go.set\"\n",
       "room[1].id: 1 is used twice"},
      {"seeded account with a bad name", ConfigText("") + "[[account]]\nuser = \"de mo\"\npassword = \"orva\"\nfull_name = \"D\"\n",
       "account[0].user:"},
      {"seeded account with a short password", ConfigText("") + "[[account]]\nuser = \"demo\"\npassword = \"orv\"\nfull_name = \"D\"\n",
       "account[0].password:"},
      {"misspelt key", ConfigText("lockout_faliures = 3"), "server.lockout_faliures: unknown key"},
      {"unknown section", ConfigText("") + "[welcom]\nfile = \"welcome.txt\"\n", "welcom: unknown section"},
      {"unknown room key", ConfigText("") + "[[room]]\nid = 2\nnmae = \"go\"\n", "room[1].nmae: unknown key"},
      {"TLS key without its certificate", ConfigText("") + "[tls]\nkey = \"server.key\"\n", "tls.cert: missing"},
      {"TLS required without a certificate", ConfigText("") + "[tls]\nrequire = true\n", "tls.require: needs cert and key"},
      {"TLS require not a boolean", ConfigText("") + "[tls]\nrequire = \"yes\"\n", "tls.require: must be true or false"},
      {"unknown TLS key", ConfigText("") + "[tls]\ncerts = \"server.pem\"\n", "tls.certs: unknown key"},
      {"TLS certificate missing", ConfigText("") + "[tls]\ncert = \"none.pem\"\nkey = \"none.key\"\n", "tls.cert: "},
      {"admin socket path too long", ConfigText("").replace(ConfigText("").find("\"state\""), 7, "\"" + std::string(120, 's') + "\""),
       "the path is longer than"},
  };
  for (const Case& k : cases) {
    dir_.Write("lobby.toml", k.text);
    Process p({ORVA_LOBBYD, "--config", dir_.File("lobby.toml")});
    EXPECT_EQ(p.Wait(), 2) << k.what;
    EXPECT_NE(p.Output().find(k.expected), std::string::npos) << k.what << ": " << p.Output();
    const std::string out = p.Output();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << k.what << ": " << out;
  }
}

TEST_F(LobbydProcess, SignalsEndItCleanly) {
  dir_.Write("lobby.toml", ConfigText());
  for (int number : {SIGTERM, SIGINT}) {
    auto server = StartServer();
    TestClient c;
    ASSERT_TRUE(c.Connect(ListeningPort(server->Output())));
    ASSERT_TRUE(c.Admitted("sam", "pass1", number == SIGTERM));
    server->Signal(number);
    EXPECT_EQ(server->Wait(), 0) << server->Output();
    EXPECT_TRUE(c.WaitClosed());
    EXPECT_EQ(access(dir_.File("state/admin.sock").c_str(), F_OK), -1) << "the admin socket is removed";
  }
}

TEST_F(LobbydProcess, IdleAdminClientsTimeOutAndStoppingEndsThemAndSighupDoesNot) {
  dir_.Write("lobby.toml", ConfigText());
  auto server = StartServer();
  TestClient c;
  ASSERT_TRUE(c.Connect(ListeningPort(server->Output())));
  ASSERT_TRUE(c.Admitted("hal", "pass1", true));
  IdleAdmin early(dir_.File("state/admin.sock"));
  ASSERT_TRUE(early.Connected());

  server->Signal(SIGHUP);
  EXPECT_TRUE(server->WaitForOutput("signal 1: ignored")) << server->Output();
  std::string out;
  EXPECT_EQ(RunLobbyctl(dir_, {"users"}, &out), 0) << out;
  ASSERT_TRUE(c.Send(kMessageEcho, {}));
  Frame f;
  ASSERT_TRUE(c.Read(&f));
  EXPECT_EQ(f.type, kMessageEcho);

  EXPECT_TRUE(early.WaitClosed(8000)) << "an idle admin client is dropped after its time-out";
  IdleAdmin late(dir_.File("state/admin.sock"));
  ASSERT_TRUE(late.Connected());
  server->Signal(SIGTERM);
  EXPECT_EQ(server->Wait(2000), 0) << "an idle admin client held the server";
  EXPECT_TRUE(late.WaitClosed(100));
}

TEST_F(LobbydProcess, ALowOpenFileLimitStillServesTheAdmittedClientsAndTheAdminTool) {
  dir_.Write("lobby.toml", ConfigText("max_players = 200\nmax_connections_per_address = 200\nmax_pending_hashes = 200\n"
                                      "max_pending_hashes_per_address = 200\n"));
  // Soft and hard: the server cannot raise it.
  auto server = StartLobbyd(dir_, {64, false});
  const uint16_t port = ListeningPort(server->Output());
  std::vector<std::unique_ptr<TestClient>> clients;
  for (int i = 0; i < 60; ++i) {
    clients.push_back(std::make_unique<TestClient>());
    ASSERT_TRUE(clients.back()->Connect(port));
    ASSERT_TRUE(clients.back()->RequestAccess("many" + std::to_string(i), "pass1", true));
  }
  std::vector<TestClient*> admitted;
  for (auto& c : clients) {
    Frame f;
    if (c->ReadSkippingEchoes(&f, 2000) && f.type == kMessageAccessGranted) admitted.push_back(c.get());
  }
  EXPECT_GE(admitted.size(), 16u);
  EXPECT_LT(admitted.size(), 60u);
  for (TestClient* c : admitted) {
    ASSERT_TRUE(c->Send(kMessageDisclaimerRequest, {}));
    Frame f;
    do {
      ASSERT_TRUE(c->ReadSkippingEchoes(&f));
    } while (f.type != kMessageDisclaimer);
  }
  std::string out;
  EXPECT_EQ(RunLobbyctl(dir_, {"users"}, &out), 0) << out;
  EXPECT_EQ(out.rfind("ok: " + std::to_string(admitted.size()) + " online", 0), 0u) << out;

  // A place left by a client is taken by the next.
  clients.clear();
  bool in = false;
  for (int attempt = 0; attempt < 50 && !in; ++attempt) {
    TestClient late;
    in = late.Connect(port) && late.Admitted("late", "pass1", true);
    if (!in) usleep(100000);
  }
  EXPECT_TRUE(in);
  server->Signal(SIGTERM);
  EXPECT_EQ(server->Wait(2000), 0);
}

TEST_F(LobbydProcess, AnAnsweredRegistrationSurvivesKillNine) {
  dir_.Write("lobby.toml", ConfigText());
  auto server = StartServer();
  {
    TestClient c;
    ASSERT_TRUE(c.Connect(ListeningPort(server->Output())));
    ASSERT_EQ(c.Login("tina", "pass1", true), kMessageAccessGranted);
  }
  server->Signal(SIGKILL);
  EXPECT_EQ(server->Wait(), 128 + SIGKILL);
  // The stale admin socket is replaced by the next server.
  server = StartServer();
  TestClient c;
  ASSERT_TRUE(c.Connect(ListeningPort(server->Output())));
  EXPECT_TRUE(c.Admitted("tina", "pass1"));
  EXPECT_EQ(server->Output().find("pass1"), std::string::npos) << "no password in the log";
}

TEST_F(LobbydProcess, ConfiguredAccountsAreMadeOnceAndTheListenOptionWins) {
  // The configuration's own address cannot be bound: only --listen makes the
  // server start.
  std::string text = ConfigText() + "[[account]]\nuser = \"demo\"\npassword = \"orva\"\nfull_name = \"Demo Player\"\n";
  text.replace(text.find("127.0.0.1:0"), 11, "192.0.2.1:9");
  dir_.Write("lobby.toml", text);
  for (int run = 0; run < 2; ++run) {
    Process server({ORVA_LOBBYD, "--config", dir_.File("lobby.toml"), "--listen", "127.0.0.1:0"});
    ASSERT_TRUE(server.WaitForOutput("with 1 rooms\n")) << server.Output();
    const bool made = server.Output().find("account demo made") != std::string::npos;
    EXPECT_EQ(made, run == 0) << "made at the first start only: " << server.Output();
    TestClient c;
    ASSERT_TRUE(c.Connect(ListeningPort(server.Output())));
    EXPECT_TRUE(c.Admitted("demo", "orva"));
    EXPECT_EQ(server.Output().find("orva\n"), std::string::npos) << "no password in the log";
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
  }
}

TEST_F(LobbydProcess, EveryBuildingSetSentIsLoggedAndEachIsSentAFewTimesPerConnection) {
  dir_.Write("lobby.toml", ConfigText());
  auto server = StartServer();
  TestClient c;
  ASSERT_TRUE(c.Connect(ListeningPort(server->Output())));
  ASSERT_TRUE(c.Admitted("vera", "pass1", true));
  // A request for a room the server does not have is not answered, nor logged.
  ASSERT_TRUE(c.Send(kMessageGameImageRequest, {0, 0, 0, 42}));
  ASSERT_TRUE(c.Send(kMessageGameImageRequest, {0, 0, 0, 1}));
  Frame f;
  ASSERT_TRUE(c.ReadSkippingEchoes(&f));
  EXPECT_EQ(f.type, kMessageGameImage);
  ASSERT_TRUE(server->WaitForOutput("sent the building set of room 1\n")) << server->Output();
  EXPECT_EQ(server->Output().find("room 42"), std::string::npos) << server->Output();
  // Twice more, then the connection that keeps asking is closed.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(c.Send(kMessageGameImageRequest, {0, 0, 0, 1}));
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(c.ReadSkippingEchoes(&f));
    EXPECT_EQ(f.type, kMessageGameImage);
  }
  EXPECT_TRUE(c.WaitClosed());
  ASSERT_TRUE(server->WaitForOutput("too often")) << server->Output();
  const std::string out = server->Output();
  size_t sent = 0;
  for (size_t at = out.find("sent the building set"); at != std::string::npos; at = out.find("sent the building set", at + 1)) ++sent;
  EXPECT_EQ(sent, 3u) << out;
  server->Signal(SIGTERM);
  EXPECT_EQ(server->Wait(), 0);
}

TEST_F(LobbydProcess, LobbyctlTalksToTheRunningServer) {
  dir_.Write("lobby.toml", ConfigText());
  auto server = StartServer();
  TestClient c;
  ASSERT_TRUE(c.Connect(ListeningPort(server->Output())));
  ASSERT_TRUE(c.Admitted("uma", "pass1", true));
  auto ctl = [&](std::vector<std::string> words, std::string* out) { return RunLobbyctl(dir_, std::move(words), out); };
  std::string out;
  EXPECT_EQ(ctl({"alert", "Hello there"}, &out), 0);
  EXPECT_EQ(out, "ok: sent to 1 users\n");
  Frame f;
  ASSERT_TRUE(c.ReadSkippingEchoes(&f));
  EXPECT_EQ(f.type, kMessageServerAlert);
  EXPECT_EQ(ctl({"room", "1", "close"}, &out), 0);
  ASSERT_TRUE(c.ReadSkippingEchoes(&f));
  EXPECT_EQ(f.type, kMessageRoomStatus);
  EXPECT_EQ(ctl({"users"}, &out), 0);
  EXPECT_NE(out.find("uma\t127.0.0.1:"), std::string::npos);
  EXPECT_EQ(ctl({"room", "8", "open"}, &out), 1);
  EXPECT_EQ(out, "error: no room 8\n");
  server->Signal(SIGTERM);
  EXPECT_EQ(server->Wait(), 0);
  EXPECT_EQ(ctl({"users"}, &out), 1);
  EXPECT_NE(out.find("cannot reach the server"), std::string::npos) << out;
}

}  // namespace

TEST_F(LobbydProcess, TheLogSaysWhetherEachAdmissionCameOverTls) {
  std::filesystem::create_directories(dir_.File("pki"));
  TestPki pki(dir_.File("pki"));
  ASSERT_TRUE(pki.Ok());
  ASSERT_FALSE(pki.Issue("server", {"IP:127.0.0.1"}).cert.empty());
  // Paths relative to the configuration.
  dir_.Write("lobby.toml", ConfigText() + "[tls]\ncert = \"pki/server.pem\"\nkey = \"pki/server.key\"\n");
  auto server = StartServer();
  const uint16_t port = ListeningPort(server->Output());
  ASSERT_NE(port, 0);
  EXPECT_TRUE(server->WaitForOutput("server.pem, plain also taken\n")) << server->Output();
  TestClient secure;
  ASSERT_TRUE(secure.ConnectTls(port, pki.CaCert()));
  ASSERT_TRUE(secure.Admitted("secure", "pass1", true));
  EXPECT_TRUE(server->WaitForOutput("admitted user secure over TLS\n")) << server->Output();
  TestClient plain;
  ASSERT_TRUE(plain.Connect(port));
  ASSERT_TRUE(plain.Admitted("plain", "pass1", true));
  EXPECT_TRUE(server->WaitForOutput("admitted user plain in plain\n")) << server->Output();
  // The password never reaches the log, over TLS or not.
  EXPECT_EQ(server->Output().find("pass1"), std::string::npos);
}
