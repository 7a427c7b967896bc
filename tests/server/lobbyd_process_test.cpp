// orva-lobbyd and orva-lobbyctl as processes: a bad configuration, the
// signals, a registration that survives kill -9, the log of building sets
// sent, and the control program.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstring>
#include <string>
#include <vector>

#include "protocol/messages.h"
#include "tests/server/lobby_fixture.h"
#include "tests/support/test_pki.h"

extern char** environ;

namespace {

// A child process with its standard error (and output) on a pipe.
class Process {
 public:
  explicit Process(const std::vector<std::string>& argv) {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    out_ = fds[0];
  }
  ~Process() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      Wait();
    }
    if (out_ >= 0) close(out_);
  }
  // Reads output until it holds text; false after timeoutMs or at its end.
  bool WaitForOutput(const std::string& text, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (output_.find(text) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      pollfd p = {out_, POLLIN, 0};
      if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) != 1) return false;
      char chunk[1024];
      const ssize_t n = read(out_, chunk, sizeof chunk);
      if (n <= 0) return false;
      output_.append(chunk, static_cast<size_t>(n));
    }
    return true;
  }
  // The exit code (128 + signal when killed); -1 when it did not end within
  // timeoutMs.
  int Wait(int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > end) return -1;
      usleep(10000);
    }
    WaitForOutput("\x01", 200);  // collect what is left
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  void Signal(int number) { kill(pid_, number); }
  const std::string& Output() const { return output_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string output_;
};

std::string ConfigText(const std::string& extra = "") {
  return "[server]\nlisten = \"127.0.0.1:0\"\ndata_dir = \"state\"\n" + extra +
         "\n[accounts]\nhash = \"fast\"\n[welcome]\nfile = \"welcome.txt\"\n"
         "[disclaimer]\nversion = 7\nfile = \"disclaimer.txt\"\n"
         "[[room]]\nid = 1\nname = \"chess\"\naddress = \"127.0.0.1\"\nport = 2101\n"
         "image_file = \"chess.ogi\"\nimage_version = 3\nimage_set = \"sets/chess.set\"\n";
}

uint16_t ListeningPort(const std::string& output) {
  const size_t at = output.find("listening on 127.0.0.1:");
  if (at == std::string::npos) return 0;
  return static_cast<uint16_t>(std::stoul(output.substr(at + std::strlen("listening on 127.0.0.1:"))));
}

class LobbydProcess : public ::testing::Test {
 protected:
  void SetUp() override { WriteTestFiles(dir_); }
  std::unique_ptr<Process> StartServer() {
    auto p = std::make_unique<Process>(std::vector<std::string>{ORVA_LOBBYD, "--config", dir_.File("lobby.toml")});
    EXPECT_TRUE(p->WaitForOutput("with 1 rooms\n")) << p->Output();
    return p;
  }
  TempDir dir_;
};

TEST_F(LobbydProcess, ABadConfigurationIsOneLineAndExitCodeTwo) {
  struct Case {
    const char* what;
    std::string text;
    const char* expected;
  };
  const Case cases[] = {
      {"not TOML", "[server\n", "lobby.toml: line 1: "},
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
      {"TLS key without its certificate", ConfigText("") + "[tls]\nkey = \"server.key\"\n", "tls.cert: missing"},
      {"TLS required without a certificate", ConfigText("") + "[tls]\nrequire = true\n", "tls.require: needs cert and key"},
      {"TLS require not a boolean", ConfigText("") + "[tls]\nrequire = \"yes\"\n", "tls.require: must be true or false"},
      {"TLS certificate missing", ConfigText("") + "[tls]\ncert = \"none.pem\"\nkey = \"none.key\"\n", "tls.cert: "},
      {"admin socket path too long", ConfigText("").replace(ConfigText("").find("\"state\""), 7, "\"" + std::string(120, 's') + "\""),
       "the path is longer than"},
  };
  for (const Case& k : cases) {
    dir_.Write("lobby.toml", k.text);
    Process p({ORVA_LOBBYD, "--config", dir_.File("lobby.toml")});
    EXPECT_EQ(p.Wait(), 2) << k.what;
    EXPECT_NE(p.Output().find(k.expected), std::string::npos) << k.what << ": " << p.Output();
    EXPECT_EQ(std::count(p.Output().begin(), p.Output().end(), '\n'), 1) << k.what << ": " << p.Output();
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

TEST_F(LobbydProcess, EveryBuildingSetSentIsLogged) {
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
  server->Signal(SIGTERM);
  EXPECT_EQ(server->Wait(), 0);
}

TEST_F(LobbydProcess, LobbyctlTalksToTheRunningServer) {
  dir_.Write("lobby.toml", ConfigText());
  auto server = StartServer();
  TestClient c;
  ASSERT_TRUE(c.Connect(ListeningPort(server->Output())));
  ASSERT_TRUE(c.Admitted("uma", "pass1", true));
  auto ctl = [&](std::vector<std::string> words, std::string* out) {
    words.insert(words.begin(), {ORVA_LOBBYCTL, "--config", dir_.File("lobby.toml")});
    Process p(words);
    const int code = p.Wait();
    *out = p.Output();
    return code;
  };
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
