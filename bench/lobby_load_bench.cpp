// The lobby server under load: orva-lobbyd as its own process, 2,000
// clients on 127.0.0.1 logging in ("fast" hashes) and idling, then a few
// log-ins with "interactive" hashes while idle clients measure echoes.
// Reports log-ins per second, echo round trips (p50, p99, max), resident
// memory per connection, and the echo round trip while the interactive
// hashes run (the event loop must not stall on them). Every phase is
// bounded in time. Run twice side by side: clients in plain (tls:0) and over
// TLS (tls:1), with a self-signed certificate the openssl command makes.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <asio.hpp>
#include <asio/ssl.hpp>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/byte_reader.h"
#include "core/memory.h"
#include "protocol/frame.h"
#include "protocol/message_build.h"
#include "protocol/messages.h"
#include "protocol/server_build.h"
#include "server/account_store.h"
#include "server/password_hash.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kClients = 2000;
constexpr int kInteractive = 8;
constexpr int kLoginWindow = 200;  // log-ins in flight at once

struct Client {
  Client(asio::io_context& io, asio::ssl::context& tlsContext, bool useTls)
      : stream(io, tlsContext), tls(useTls), socket(stream.next_layer()) {}
  asio::ssl::stream<asio::ip::tcp::socket> stream;
  bool tls;
  asio::ip::tcp::socket& socket;
  uint8_t header[12] = {};
  std::vector<uint8_t> body;
  std::vector<uint8_t> out;
  bool admitted = false;
  bool granted = false;
  Clock::time_point echoSent{};
  bool echoPending = false;
  bool writing = false;
};

class Load {
 public:
  Load(asio::io_context& io, uint16_t port) : io_(io), endpoint_(asio::ip::make_address("127.0.0.1"), port) {}

  void LogIn(Client& c, const std::string& name, std::function<void()> granted) {
    c.socket.async_connect(endpoint_, [this, &c, name, granted](const asio::error_code& e) {
      if (e) {
        ++failures;
        return;
      }
      asio::error_code ignored;
      c.socket.set_option(asio::ip::tcp::no_delay(true), ignored);
      if (!c.tls) {
        Request(c, name, granted);
        return;
      }
      c.stream.async_handshake(asio::ssl::stream_base::client, [this, &c, name, granted](const asio::error_code& h) {
        if (h) {
          ++failures;
          return;
        }
        Request(c, name, granted);
      });
    });
  }

  void Echo(Client& c) {
    c.echoSent = Clock::now();
    c.echoPending = true;
    Send(c, kMessageEcho, {});
  }

  int failures = 0;
  std::vector<double>* samples = nullptr;  // echo round trips in microseconds

 private:
  void Request(Client& c, const std::string& name, std::function<void()> granted) {
    AccessRequestDetails d = {name.c_str(), "password", 2, 0, nullptr, nullptr, nullptr};
    uint32_t length = 0;
    uint8_t* body = AccessRequestBuild(&d, &length);
    Send(c, kMessageAccessRequest, std::vector<uint8_t>(body, body + length));
    MemFree(body);
    Read(c, granted);
  }

  // TLS allows one write at a time on a stream: frames wait in the client's
  // queue while one is out.
  void Send(Client& c, uint32_t type, const std::vector<uint8_t>& body) {
    FrameAppend(&c.out, type, body);
    Flush(c);
  }

  void Flush(Client& c) {
    if (c.writing || c.out.empty()) return;
    auto frame = std::make_shared<std::vector<uint8_t>>();
    frame->swap(c.out);
    c.writing = true;
    auto done = [this, &c, frame](const asio::error_code& e, size_t) {
      c.writing = false;
      if (!e) Flush(c);
    };
    if (c.tls) {
      asio::async_write(c.stream, asio::buffer(*frame), done);
    } else {
      asio::async_write(c.socket, asio::buffer(*frame), done);
    }
  }

  template <typename Handler>
  void ReadExactly(Client& c, asio::mutable_buffer buffer, Handler handler) {
    if (c.tls) {
      asio::async_read(c.stream, buffer, handler);
    } else {
      asio::async_read(c.socket, buffer, handler);
    }
  }

  void Read(Client& c, std::function<void()> granted) {
    ReadExactly(c, asio::buffer(c.header), [this, &c, granted](const asio::error_code& e, size_t) {
      if (e) return;
      const uint32_t padded = LoadBe32(c.header + 4);
      if (FrameCheck(padded, LoadBe32(c.header + 8)) != kFrameOk) return;
      c.body.resize(padded);
      ReadExactly(c, asio::buffer(c.body), [this, &c, granted](const asio::error_code& e2, size_t) {
        if (e2) return;
        const uint32_t type = LoadBe32(c.header);
        if (type == kMessageAccessGranted) c.granted = true;
        if (type == kMessageAccessDenied) ++failures;
        if (type == kMessageWelcomeText && !c.admitted) {
          c.admitted = true;
          granted();
        }
        if (type == kMessageEcho) {
          if (c.echoPending) {
            c.echoPending = false;
            if (samples) {
              samples->push_back(std::chrono::duration<double, std::micro>(Clock::now() - c.echoSent).count());
            }
          } else {
            Send(c, kMessageEcho, {});
          }
        }
        Read(c, granted);
      });
    });
  }

  asio::io_context& io_;
  asio::ip::tcp::endpoint endpoint_;
};

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5))];
}

long RssKiB(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(f, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

// Runs io until done() or the deadline; false at the deadline.
template <typename Done>
bool RunUntil(asio::io_context& io, Done done, std::chrono::seconds limit) {
  const auto end = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > end) return false;
    io.run_for(std::chrono::milliseconds(5));
  }
  return true;
}

// Sends one echo every step from the next admitted client, for duration.
void SampleEchoes(asio::io_context& io, Load& load, std::vector<std::unique_ptr<Client>>& clients,
                  std::function<bool()> stop, std::chrono::milliseconds duration) {
  const auto end = Clock::now() + duration;
  size_t next = 0;
  while (Clock::now() < end && !stop()) {
    Client& c = *clients[next++ % clients.size()];
    if (c.admitted && !c.echoPending) load.Echo(c);
    io.run_for(std::chrono::milliseconds(2));
  }
  io.run_for(std::chrono::milliseconds(100));
}

// The openssl command, its output thrown away; true when it exits with 0.
bool RunOpenssl(const std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>("openssl")};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const bool spawned = posix_spawnp(&pid, "openssl", &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return spawned && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_LobbyLoad(benchmark::State& state) {
  const bool tls = state.range(0) != 0;
  rlimit limit;
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_cur < 2 * kClients + 200) {
    state.SkipWithError("the descriptor limit is too low for 2,000 connections");
    return;
  }
  PasswordHashInit();
  char pattern[] = "/tmp/orva-lobby-bench-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  std::filesystem::create_directories(dir + "/state");
  {
    std::vector<uint8_t> set(24, 0);
    std::ofstream(dir + "/room.set", std::ios::binary).write(reinterpret_cast<char*>(set.data()), 24);
    std::ofstream(dir + "/welcome.txt") << "Welcome to the load test.";
    std::ofstream(dir + "/lobby.toml")
        << "[server]\nlisten = \"127.0.0.1:0\"\ndata_dir = \"state\"\nmax_players = 5000\n"
           "max_connections = 5000\nmax_connections_per_address = 5000\necho_interval_s = 3600\n"
           "echo_timeout_s = 3600\n[accounts]\nhash = \"fast\"\n[welcome]\nfile = \"welcome.txt\"\n"
           "[[room]]\nid = 1\nname = \"chess\"\naddress = \"127.0.0.1\"\nport = 2101\n"
           "image_file = \"chess.ogi\"\nimage_set = \"room.set\"\n"
        << (tls ? "[tls]\ncert = \"cert.pem\"\nkey = \"key.pem\"\n" : "");
    if (tls && !RunOpenssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                            "-keyout", dir + "/key.pem", "-out", dir + "/cert.pem", "-days", "2", "-subj",
                            "/CN=bench", "-addext", "subjectAltName=IP:127.0.0.1"})) {
      state.SkipWithError("the openssl command cannot make a certificate");
      return;
    }
    std::string error;
    auto store = SqliteAccountStoreOpen(dir + "/state/accounts.db", &error);
    const std::string fast = PasswordHashMake("password", HashStrength::kFast);
    const std::string slow = PasswordHashMake("password", HashStrength::kInteractive);
    for (int i = 0; store && i < kClients + kInteractive; ++i) {
      Account a;
      a.name = (i < kClients ? "user" : "slow") + std::to_string(i);
      a.passwordHash = i < kClients ? fast : slow;
      a.fullName = a.name;
      store->Create(a);
    }
  }
  pid_t pid = -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, (dir + "/server.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::string config = dir + "/lobby.toml";
  char* argv[] = {const_cast<char*>(ORVA_LOBBYD), const_cast<char*>("--config"), config.data(), nullptr};
  posix_spawn(&pid, ORVA_LOBBYD, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);

  uint16_t port = 0;
  for (int i = 0; i < 500 && port == 0; ++i) {
    std::ifstream log(dir + "/server.log");
    std::stringstream text;
    text << log.rdbuf();
    const size_t at = text.str().find("listening on 127.0.0.1:");
    if (at != std::string::npos) port = static_cast<uint16_t>(std::stoul(text.str().substr(at + 23)));
    else usleep(10000);
  }
  for (auto _ : state) {
    if (port == 0) {
      state.SkipWithError("the server did not start");
      break;
    }
    asio::io_context io(1);
    Load load(io, port);
    // The clients check the certificate as the real client does.
    asio::ssl::context tlsContext(asio::ssl::context::tls_client);
    if (tls) {
      tlsContext.load_verify_file(dir + "/cert.pem");
      tlsContext.set_verify_mode(asio::ssl::verify_peer);
    }
    const long rssBefore = RssKiB(pid);
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < kClients; ++i) clients.push_back(std::make_unique<Client>(io, tlsContext, tls));

    int admitted = 0, started = 0;
    const auto loginStart = Clock::now();
    std::function<void()> startMore = [&] {
      while (started < kClients && started - admitted < kLoginWindow) {
        const int i = started++;
        load.LogIn(*clients[i], "user" + std::to_string(i), [&] {
          ++admitted;
          startMore();
        });
      }
    };
    startMore();
    const bool allIn = RunUntil(io, [&] { return admitted == kClients || load.failures > 0; }, std::chrono::seconds(60));
    const double loginSeconds = std::chrono::duration<double>(Clock::now() - loginStart).count();
    if (!allIn) {
      state.SkipWithError("not every client was admitted in time");
      break;
    }
    io.run_for(std::chrono::milliseconds(300));
    const long rssAfter = RssKiB(pid);

    std::vector<double> idle;
    load.samples = &idle;
    SampleEchoes(io, load, clients, [] { return false; }, std::chrono::milliseconds(2000));

    // Interactive hashes (64 MiB and tens of milliseconds each) on the
    // workers while the idle clients go on echoing.
    std::vector<double> hashing;
    load.samples = &hashing;
    std::vector<std::unique_ptr<Client>> slow;
    int slowIn = 0;
    const auto slowStart = Clock::now();
    for (int i = 0; i < kInteractive; ++i) {
      slow.push_back(std::make_unique<Client>(io, tlsContext, tls));
      load.LogIn(*slow.back(), "slow" + std::to_string(kClients + i), [&] { ++slowIn; });
    }
    SampleEchoes(io, load, clients, [&] { return slowIn == kInteractive; }, std::chrono::milliseconds(20000));
    const double slowSeconds = std::chrono::duration<double>(Clock::now() - slowStart).count();
    load.samples = nullptr;

    state.counters["logins_per_s"] = kClients / loginSeconds;
    state.counters["echo_p50_us"] = Percentile(idle, 0.5);
    state.counters["echo_p99_us"] = Percentile(idle, 0.99);
    state.counters["echo_max_us"] = Percentile(idle, 1.0);
    state.counters["echo_samples"] = static_cast<double>(idle.size());
    state.counters["rss_per_conn_KiB"] = static_cast<double>(rssAfter - rssBefore) / kClients;
    state.counters["rss_total_MiB"] = static_cast<double>(rssAfter) / 1024.0;
    state.counters["interactive_logins"] = slowIn;
    state.counters["interactive_s"] = slowSeconds;
    state.counters["hashing_echo_p99_us"] = Percentile(hashing, 0.99);
    state.counters["hashing_echo_max_us"] = Percentile(hashing, 1.0);
    state.counters["hashing_echo_samples"] = static_cast<double>(hashing.size());
    for (auto& c : clients) c->socket.close();
    for (auto& c : slow) c->socket.close();
    io.run_for(std::chrono::milliseconds(200));
  }
  kill(pid, SIGTERM);
  int status = 0;
  for (int i = 0; i < 500 && waitpid(pid, &status, WNOHANG) == 0; ++i) usleep(10000);
  kill(pid, SIGKILL);
  waitpid(pid, &status, WNOHANG);
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

BENCHMARK(BM_LobbyLoad)->ArgName("tls")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
