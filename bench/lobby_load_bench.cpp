// The lobby server under load: orva-lobbyd as its own process, 2,000
// clients on 127.0.0.1 logging in ("fast" hashes) and idling, then a few
// log-ins with "interactive" hashes while idle clients measure echoes.
// Reports log-ins per second, echo round trips (p50, p99, max), resident
// memory per connection, and the echo round trip while the interactive
// hashes run (the event loop must not stall on them). A second benchmark
// floods the server with registrations that hang up at once (below), and a
// third runs three servers on one throw-away PostgreSQL with as many clients
// each. Every phase is bounded in time. The load runs twice side by side:
// clients in plain (tls:0) and over TLS (tls:1), with a self-signed
// certificate the openssl command makes.

#include <arpa/inet.h>
#include <libpq-fe.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
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

// orva-lobbyd in a temporary directory with one room, its log in a file,
// and the accounts made beforehand straight in its database.
class ServerProcess {
 public:
  struct Seed {
    std::string prefix;
    int count;
    HashStrength hash;
  };
  // With a PostgreSQL url, the accounts live there (seeds are made there
  // too) and the server shares the database with any others on it.
  ServerProcess(const std::string& serverKeys, const char* hash, const std::vector<Seed>& seeds, bool tls = false,
                const std::string& pgUrl = "") {
    PasswordHashInit();
    char pattern[] = "/tmp/orva-lobby-bench-XXXXXX";
    dir_ = mkdtemp(pattern);
    std::filesystem::create_directories(dir_ + "/state");
    std::vector<uint8_t> set(24, 0);
    std::ofstream(dir_ + "/room.set", std::ios::binary).write(reinterpret_cast<char*>(set.data()), 24);
    std::ofstream(dir_ + "/welcome.txt") << "Welcome to the load test.";
    std::ofstream(dir_ + "/lobby.toml")
        << "[server]\nlisten = \"127.0.0.1:0\"\ndata_dir = \"state\"\n" << serverKeys << "[accounts]\nhash = \""
        << hash << "\"\n" << (pgUrl.empty() ? "" : "store = \"postgresql\"\nurl = \"" + pgUrl + "\"\n")
        << "[welcome]\nfile = \"welcome.txt\"\n"
        << "[[room]]\nid = 1\nname = \"chess\"\naddress = \"127.0.0.1\"\nport = 2101\n"
           "image_file = \"chess.ogi\"\nimage_set = \"room.set\"\n"
        << (tls ? "[tls]\ncert = \"cert.pem\"\nkey = \"key.pem\"\n" : "");
    if (tls && !RunOpenssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                            "-keyout", dir_ + "/key.pem", "-out", dir_ + "/cert.pem", "-days", "2", "-subj",
                            "/CN=bench", "-addext", "subjectAltName=IP:127.0.0.1"})) {
      return;
    }
    {
      std::string error;
      auto store = pgUrl.empty() ? SqliteAccountStoreOpen(dir_ + "/state/accounts.db", &error)
                                 : PostgresAccountStoreOpen(pgUrl, "", &error);
      for (const Seed& seed : seeds) {
        const std::string hashed = PasswordHashMake("password", seed.hash);
        for (int i = 0; store && i < seed.count; ++i) {
          Account a;
          a.name = seed.prefix + std::to_string(i);
          a.passwordHash = hashed;
          a.fullName = a.name;
          store->Create(a);
        }
      }
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, (dir_ + "/server.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string config = dir_ + "/lobby.toml";
    char* argv[] = {const_cast<char*>(ORVA_LOBBYD), const_cast<char*>("--config"), config.data(), nullptr};
    if (posix_spawn(&pid_, ORVA_LOBBYD, &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; i < 500 && port_ == 0 && pid_ > 0; ++i) {
      std::ifstream log(dir_ + "/server.log");
      std::stringstream text;
      text << log.rdbuf();
      const size_t at = text.str().find("listening on 127.0.0.1:");
      if (at != std::string::npos) port_ = static_cast<uint16_t>(std::stoul(text.str().substr(at + 23)));
      else usleep(10000);
    }
  }
  ~ServerProcess() {
    Stop();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  uint16_t Port() const { return port_; }
  std::string Dir() const { return dir_; }
  pid_t Pid() const { return pid_; }
  // SIGTERM, then the seconds until the process ended (killed after 10).
  double Stop() {
    if (pid_ <= 0) return 0;
    const auto start = Clock::now();
    kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 1000 && waitpid(pid_, &status, WNOHANG) == 0; ++i) usleep(10000);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return seconds;
  }

 private:
  std::string dir_;
  pid_t pid_ = -1;
  uint16_t port_ = 0;
};

// Connections to the cluster other than this one's own.
double DatabaseConnections(const std::string& url) {
  PGconn* conn = PQconnectdb(url.c_str());
  double n = -1;
  if (PQstatus(conn) == CONNECTION_OK) {
    PGresult* r = PQexec(conn, "SELECT count(*) FROM pg_stat_activity WHERE backend_type = 'client backend' "
                               "AND pid <> pg_backend_pid()");
    if (PQresultStatus(r) == PGRES_TUPLES_OK) n = std::atof(PQgetvalue(r, 0, 0));
    PQclear(r);
  }
  PQfinish(conn);
  return n;
}

bool RaiseDescriptorLimit(benchmark::State& state, rlim_t needed) {
  rlimit limit;
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_cur >= needed) return true;
  state.SkipWithError("the descriptor limit is too low for the connections");
  return false;
}

void BM_LobbyLoad(benchmark::State& state) {
  const bool tls = state.range(0) != 0;
  if (!RaiseDescriptorLimit(state, 2 * kClients + 200)) return;
  ServerProcess server(
      "max_players = 5000\nmax_connections = 5000\nmax_connections_per_address = 5000\necho_interval_s = 3600\n"
      "echo_timeout_s = 3600\nmax_pending_hashes = 5000\nmax_pending_hashes_per_address = 5000\n",
      "fast", {{"user", kClients, HashStrength::kFast}, {"slow", kInteractive, HashStrength::kInteractive}}, tls);
  const uint16_t port = server.Port();
  const pid_t pid = server.Pid();
  for (auto _ : state) {
    if (port == 0) {
      state.SkipWithError("the server did not start");
      break;
    }
    asio::io_context io(1);
    Load load(io, port);
    const long rssBefore = RssKiB(pid);
    // The clients check the certificate as the real client does.
    asio::ssl::context tlsContext(asio::ssl::context::tls_client);
    if (tls) {
      tlsContext.load_verify_file(server.Dir() + "/cert.pem");
      tlsContext.set_verify_mode(asio::ssl::verify_peer);
    }
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
      load.LogIn(*slow.back(), "slow" + std::to_string(i), [&] { ++slowIn; });
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
}

BENCHMARK(BM_LobbyLoad)->ArgName("tls")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A throw-away PostgreSQL cluster from the tests' script, stopped when it
// goes; its connection string, empty when it could not start.
class PgCluster {
 public:
  PgCluster() {
    char pattern[] = "/tmp/orva-lobby-bench-pg-XXXXXX";
    info_ = std::string(mkdtemp(pattern)) + "/conninfo";
    if (Script("start")) std::getline(std::ifstream(info_), url_);
  }
  ~PgCluster() {
    Script("stop");
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(info_).parent_path(), ignored);
  }
  const std::string& Url() const { return url_; }

 private:
  bool Script(const char* action) {
    pid_t pid = -1;
    char* argv[] = {const_cast<char*>(ORVA_PG_CLUSTER), const_cast<char*>(action), info_.data(), nullptr};
    if (posix_spawn(&pid, ORVA_PG_CLUSTER, nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  std::string info_;
  std::string url_;
};

// Three servers on one PostgreSQL database, kClients clients on each, side
// by side with BM_LobbyLoad's one server on SQLite: log-ins per second over
// all three, echo round trips, resident memory per connection and the
// database connections the servers hold.
void BM_LobbyCluster(benchmark::State& state) {
  constexpr int kServers = 3;
  if (!RaiseDescriptorLimit(state, kServers * kClients + 200)) return;
  PgCluster cluster;
  if (cluster.Url().empty()) {
    state.SkipWithError("no PostgreSQL cluster (the postgresql package is needed)");
    return;
  }
  const std::string keys =
      "max_players = 10000\nmax_connections = 5000\nmax_connections_per_address = 5000\necho_interval_s = 3600\n"
      "echo_timeout_s = 3600\nmax_pending_hashes = 5000\nmax_pending_hashes_per_address = 5000\n";
  std::vector<std::unique_ptr<ServerProcess>> servers;
  for (int s = 0; s < kServers; ++s) {
    std::vector<ServerProcess::Seed> seeds;
    if (s == 0) seeds.push_back({"user", kServers * kClients, HashStrength::kFast});
    servers.push_back(std::make_unique<ServerProcess>(keys + "name = \"s" + std::to_string(s) + "\"\n", "fast", seeds,
                                                      false, cluster.Url()));
  }
  for (auto _ : state) {
    asio::io_context io(1);
    std::vector<std::unique_ptr<Load>> loads;
    for (auto& server : servers) {
      if (server->Port() == 0) break;
      loads.push_back(std::make_unique<Load>(io, server->Port()));
    }
    if (loads.size() != kServers) {
      state.SkipWithError("a server did not start");
      break;
    }
    std::vector<long> rssBefore;
    for (auto& server : servers) rssBefore.push_back(RssKiB(server->Pid()));
    const int total = kServers * kClients;
    asio::ssl::context plain(asio::ssl::context::tls_client);
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < total; ++i) clients.push_back(std::make_unique<Client>(io, plain, false));
    int admitted = 0, started = 0;
    auto failures = [&] {
      int n = 0;
      for (auto& l : loads) n += l->failures;
      return n;
    };
    const auto loginStart = Clock::now();
    std::function<void()> startMore = [&] {
      while (started < total && started - admitted < kLoginWindow) {
        const int i = started++;
        loads[static_cast<size_t>(i % kServers)]->LogIn(*clients[static_cast<size_t>(i)], "user" + std::to_string(i), [&] {
          ++admitted;
          startMore();
        });
      }
    };
    startMore();
    const bool allIn = RunUntil(io, [&] { return admitted == total || failures() > 0; }, std::chrono::seconds(120));
    const double loginSeconds = std::chrono::duration<double>(Clock::now() - loginStart).count();
    if (!allIn) {
      state.SkipWithError("not every client was admitted in time");
      break;
    }
    io.run_for(std::chrono::milliseconds(300));
    double rssPerConnection = 0;
    for (size_t s = 0; s < servers.size(); ++s) {
      rssPerConnection += static_cast<double>(RssKiB(servers[s]->Pid()) - rssBefore[s]) / kClients / kServers;
    }
    std::vector<double> idle;
    for (auto& l : loads) l->samples = &idle;
    SampleEchoes(io, *loads[0], clients, [] { return false; }, std::chrono::milliseconds(3000));
    for (auto& l : loads) l->samples = nullptr;

    state.counters["logins_per_s"] = total / loginSeconds;
    state.counters["echo_p50_us"] = Percentile(idle, 0.5);
    state.counters["echo_p99_us"] = Percentile(idle, 0.99);
    state.counters["echo_max_us"] = Percentile(idle, 1.0);
    state.counters["echo_samples"] = static_cast<double>(idle.size());
    state.counters["rss_per_conn_KiB"] = rssPerConnection;
    state.counters["db_connections"] = DatabaseConnections(cluster.Url());
    for (auto& c : clients) c->socket.close();
    io.run_for(std::chrono::milliseconds(200));
  }
}

BENCHMARK(BM_LobbyCluster)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();


// Registrations that hang up at once, from several addresses, queue
// interactive hashes; meanwhile a real user logs in (an interactive hash of
// its own) and idle clients measure echoes. Reports the log-in's latency,
// the echo round trips during the flood and how long SIGTERM takes in the
// middle of a second flood.
constexpr int kFlood = 200;
constexpr int kFloodAddresses = 4;
constexpr int kFloodIdle = 50;

// One "connect, send a registration, hang up" from 127.0.0.<host>.
bool HangUpRegistration(uint16_t port, int host, const std::string& name) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in from = {};
  from.sin_family = AF_INET;
  from.sin_addr.s_addr = htonl(0x7F000000u | static_cast<uint32_t>(host));
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  to.sin_port = htons(port);
  AccessRequestDetails d = {name.c_str(), "password", 2, 1, "Flood", "flood@example.org", ""};
  uint32_t length = 0;
  uint8_t* body = AccessRequestBuild(&d, &length);
  std::vector<uint8_t> frame;
  FrameAppend(&frame, kMessageAccessRequest, std::span<const uint8_t>(body, length));
  MemFree(body);
  bool ok = bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 &&
            connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0 &&
            send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(frame.size());
  close(fd);
  return ok;
}

void BM_LobbyRegistrationFlood(benchmark::State& state) {
  if (!RaiseDescriptorLimit(state, 2 * kFloodIdle + 200)) return;
  // The idle clients all log in at once from 127.0.0.1; the flood's
  // addresses get the same caps.
  ServerProcess server("max_players = 5000\nmax_connections_per_address = 100\nmax_pending_hashes_per_address = 64\n"
                       "echo_interval_s = 3600\necho_timeout_s = 3600\n",
                       "interactive",
                       {{"idle", kFloodIdle, HashStrength::kFast}, {"real", 1, HashStrength::kInteractive}});
  for (auto _ : state) {
    if (server.Port() == 0) {
      state.SkipWithError("the server did not start");
      break;
    }
    asio::io_context io(1);
    Load load(io, server.Port());
    asio::ssl::context plain(asio::ssl::context::tls_client);
    std::vector<std::unique_ptr<Client>> idle;
    int admitted = 0;
    for (int i = 0; i < kFloodIdle; ++i) {
      idle.push_back(std::make_unique<Client>(io, plain, false));
      load.LogIn(*idle.back(), "idle" + std::to_string(i), [&] { ++admitted; });
    }
    if (!RunUntil(io, [&] { return admitted == kFloodIdle; }, std::chrono::seconds(30))) {
      state.SkipWithError("the idle clients were not admitted in time");
      break;
    }
    int sent = 0;
    for (int i = 0; i < kFlood; ++i) {
      sent += HangUpRegistration(server.Port(), 2 + i % kFloodAddresses, "flood" + std::to_string(i)) ? 1 : 0;
    }
    std::vector<double> echoes;
    load.samples = &echoes;
    Client real(io, plain, false);
    bool in = false;
    double loginSeconds = 0;
    const auto loginStart = Clock::now();
    load.LogIn(real, "real0", [&] {
      in = true;
      loginSeconds = std::chrono::duration<double>(Clock::now() - loginStart).count();
    });
    // Echoes for the same 3 s at least, however soon the log-in is in, so
    // that runs compare.
    SampleEchoes(io, load, idle, [&] { return in && Clock::now() - loginStart > std::chrono::seconds(3); },
                 std::chrono::milliseconds(120000));
    if (!in) loginSeconds = std::chrono::duration<double>(Clock::now() - loginStart).count();
    load.samples = nullptr;
    state.counters["flood_sent"] = sent;
    state.counters["login_admitted"] = in ? 1 : 0;
    state.counters["login_s"] = loginSeconds;
    state.counters["echo_p50_us"] = Percentile(echoes, 0.5);
    state.counters["echo_p99_us"] = Percentile(echoes, 0.99);
    state.counters["echo_samples"] = static_cast<double>(echoes.size());
    // A second flood, then SIGTERM at once: stopping must not wait for it.
    for (int i = 0; i < kFlood; ++i) {
      HangUpRegistration(server.Port(), 2 + i % kFloodAddresses, "second" + std::to_string(i));
    }
    io.run_for(std::chrono::milliseconds(500));  // the server has read them
    state.counters["sigterm_s"] = server.Stop();
  }
}

BENCHMARK(BM_LobbyRegistrationFlood)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
