#pragma once
// orva-lobbyd and orva-lobbyctl as child processes, their standard output
// and error on one pipe, read all the time (a server that logs a flood must
// never block on a full pipe), every wait bounded.

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/server/lobby_fixture.h"

struct ProcessOptions {
  int openFileLimit = 0;  // RLIMIT_NOFILE, soft and hard; 0 leaves it
  bool unprivileged = false;  // as the user "nobody" when started as root
};

class Process {
 public:
  explicit Process(const std::vector<std::string>& argv, const ProcessOptions& options = {});
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Reads output until it holds text; false after timeoutMs or at its end.
  bool WaitForOutput(const std::string& text, int timeoutMs = 10000);
  // The exit code (128 + signal when killed); -1 when it did not end within
  // timeoutMs.
  int Wait(int timeoutMs = 10000);
  void Signal(int number);
  std::string Output() const;

 private:
  void Read();

  pid_t pid_ = -1;
  int out_ = -1;
  std::thread reader_;
  mutable std::mutex mutex_;
  std::condition_variable grown_;
  std::string output_;
  bool ended_ = false;
};

// A configuration with one room (chess), fast hashes and port 0; extra goes
// into [server], seeds after the room.
std::string ConfigText(const std::string& extra = "", const std::string& seeds = "");
// The port from the log's first line.
uint16_t ListeningPort(const std::string& output);

// orva-lobbyd on dir's lobby.toml, once its first line is out.
std::unique_ptr<Process> StartLobbyd(const TempDir& dir, const ProcessOptions& options = {});
// One orva-lobbyctl command on dir's lobby.toml: its exit code, its output
// in *out.
int RunLobbyctl(const TempDir& dir, std::vector<std::string> words, std::string* out);
