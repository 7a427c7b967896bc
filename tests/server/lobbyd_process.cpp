#include "tests/server/lobbyd_process.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

extern char** environ;

namespace {

// The uid and gid of "nobody" on Debian.
constexpr uid_t kNobody = 65534;

}  // namespace

Process::Process(const std::vector<std::string>& argv, const ProcessOptions& options) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const rlimit limit = {static_cast<rlim_t>(options.openFileLimit), static_cast<rlim_t>(options.openFileLimit)};
  const bool asNobody = options.unprivileged && geteuid() == 0;
  // Only async-signal-safe calls between fork and exec: the test process
  // has threads.
  pid_ = fork();
  if (pid_ < 0) {
    close(fds[0]);
    close(fds[1]);
    return;
  }
  if (pid_ == 0) {
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    close(fds[0]);
    close(fds[1]);
    if (options.openFileLimit > 0 && setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(126);
    if (asNobody && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(126);
    execve(args[0], args.data(), environ);
    _exit(127);
  }
  close(fds[1]);
  out_ = fds[0];
  reader_ = std::thread([this] { Read(); });
}

Process::~Process() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    Wait();
  }
  if (reader_.joinable()) reader_.join();
  if (out_ >= 0) close(out_);
}

void Process::Read() {
  char chunk[4096];
  for (;;) {
    const ssize_t n = read(out_, chunk, sizeof chunk);
    std::lock_guard<std::mutex> lock(mutex_);
    if (n <= 0) {
      ended_ = true;
      grown_.notify_all();
      return;
    }
    output_.append(chunk, static_cast<size_t>(n));
    grown_.notify_all();
  }
}

bool Process::WaitForOutput(const std::string& text, int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return grown_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [&] { return output_.find(text) != std::string::npos || ended_; }) &&
         output_.find(text) != std::string::npos;
}

int Process::Wait(int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) return -1;
    usleep(10000);
  }
  pid_ = -1;
  {
    // What is left in the pipe (unless a child of the child holds it open).
    std::unique_lock<std::mutex> lock(mutex_);
    grown_.wait_for(lock, std::chrono::milliseconds(500), [&] { return ended_; });
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string Process::Output() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return output_;
}

void Process::Signal(int number) { kill(pid_, number); }

std::string ConfigText(const std::string& extra, const std::string& seeds) {
  return "[server]\nlisten = \"127.0.0.1:0\"\ndata_dir = \"state\"\n" + extra +
         "\n[accounts]\nhash = \"fast\"\n[welcome]\nfile = \"welcome.txt\"\n"
         "[disclaimer]\nversion = 7\nfile = \"disclaimer.txt\"\n"
         "[[room]]\nid = 1\nname = \"chess\"\naddress = \"127.0.0.1\"\nport = 2101\n"
         "image_file = \"chess.ogi\"\nimage_version = 3\nimage_set = \"sets/chess.set\"\n" + seeds;
}

uint16_t ListeningPort(const std::string& output) {
  const size_t at = output.find("listening on 127.0.0.1:");
  if (at == std::string::npos) return 0;
  return static_cast<uint16_t>(std::stoul(output.substr(at + std::strlen("listening on 127.0.0.1:"))));
}

std::unique_ptr<Process> StartLobbyd(const TempDir& dir, const ProcessOptions& options) {
  auto p = std::make_unique<Process>(std::vector<std::string>{ORVA_LOBBYD, "--config", dir.File("lobby.toml")}, options);
  EXPECT_TRUE(p->WaitForOutput("with 1 rooms\n")) << p->Output();
  return p;
}

int RunLobbyctl(const TempDir& dir, std::vector<std::string> words, std::string* out) {
  words.insert(words.begin(), {ORVA_LOBBYCTL, "--config", dir.File("lobby.toml")});
  Process p(words);
  const int code = p.Wait();
  *out = p.Output();
  return code;
}
