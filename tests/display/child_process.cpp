#include "tests/display/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& overrides) {
  std::vector<std::string> result;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (!overrides.contains(name)) result.push_back(entry);
  }
  for (const auto& [name, value] : overrides) {
    if (!value.empty()) result.push_back(name + "=" + value);
  }
  return result;
}

ChildProcess::~ChildProcess() { Stop(); }

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         const std::string& directory, const std::string& outputPath) {
  // A child that has ended and been reaped may be started again.
  if (argv.empty() || (pid_ > 0 && !reaped_)) return false;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const std::string& e : environment) env.push_back(const_cast<char*>(e.c_str()));
  env.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  if (!outputPath.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  }
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return false;
  pid_ = pid;
  reaped_ = false;
  return true;
}

bool ChildProcess::Reap(bool block) {
  if (pid_ <= 0 || reaped_) return reaped_;
  int status = 0;
  const pid_t r = waitpid(pid_, &status, block ? 0 : WNOHANG);
  if (r != pid_) return false;
  reaped_ = true;
  status_ = status;
  signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return true;
}

bool ChildProcess::Running() { return pid_ > 0 && !Reap(false); }

std::optional<int> ChildProcess::WaitExit(std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!Reap(false)) {
    if (pid_ <= 0 || std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!WIFEXITED(status_)) return std::nullopt;
  return WEXITSTATUS(status_);
}

void ChildProcess::Signal(int signal) {
  if (pid_ > 0 && !reaped_) kill(pid_, signal);
}

void ChildProcess::Stop() {
  if (pid_ <= 0 || reaped_) return;
  Signal(SIGTERM);
  if (!WaitExit(std::chrono::milliseconds(1500)) && !reaped_) {
    Signal(SIGKILL);
    Reap(true);
  }
}
