#pragma once
// Programs the display tests start: an argument vector and an environment,
// never a shell; every wait has a bound.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The test's own environment with overrides; an empty value removes the name.
std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& overrides);

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();  // a child still running is killed and reaped
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts argv[0] (a path) in directory (empty: ours) with environment and,
  // when outputPath is given, its standard output and error appended there.
  // Descriptors without close-on-exec are inherited. False when it cannot start.
  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
             const std::string& directory = {}, const std::string& outputPath = {});
  bool Running();
  // The exit code once it ended by itself within timeout; nullopt when it is
  // still running or was ended by a signal (exitSignal tells which).
  std::optional<int> WaitExit(std::chrono::milliseconds timeout);
  int exitSignal() const { return signal_; }
  // Sends the signal to the child itself (never to a group or by name).
  void Signal(int signal);
  // SIGTERM, a short grace, then SIGKILL; reaps it.
  void Stop();
  pid_t pid() const { return pid_; }

 private:
  bool Reap(bool block);

  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = 0;
  int signal_ = 0;
};
