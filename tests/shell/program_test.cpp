// The salvind program started as a process, headless: it runs its loop until
// a quit request arrives and then exits with code 0. Asked for its version or
// its help, it and the server's programs answer without starting anything.

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace {

// Waits at most timeout for pid; returns its wait status or -1.
int WaitFor(pid_t pid, std::chrono::seconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

TEST(Program, QuitRequestEndsTheLoopWithExitCodeZero) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Started with the termination signal blocked, so that the request is held
  // until the program has its handler in place, whenever that is.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  posix_spawnattr_setsigmask(&attr, &blocked);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
  char program[] = SALVIND_BINARY;
  char argument[] = "--ignored-argument";
  char* argv[] = {program, argument, nullptr};
  // From its staged tree, as a user starts it: without its data files the
  // gate's alert would wait for someone to close it.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string stage = std::filesystem::path(SALVIND_BINARY).parent_path().string();
  posix_spawn_file_actions_addchdir_np(&actions, stage.c_str());
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, program, &actions, &attr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);

  ASSERT_EQ(kill(pid, SIGTERM), 0);
  const int status = WaitFor(pid, std::chrono::seconds(60));
  ASSERT_NE(status, -1) << "the program did not end";
  ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal instead of its loop";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Runs argv with no display, its standard output in a file; the exit
// status and the output.
std::pair<int, std::string> RunForOutput(const std::vector<std::string>& args) {
  char outputPath[] = "/tmp/salvind-option-XXXXXX";
  const int fd = mkstemp(outputPath);
  if (fd < 0) return {-1, ""};
  close(fd);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outputPath, O_WRONLY | O_TRUNC, 0);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // Nothing of a display: the answer must come before the platform starts.
  char* const environment[] = {const_cast<char*>("PATH=/usr/bin:/bin"), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environment);
  posix_spawn_file_actions_destroy(&actions);
  int status = -1;
  if (spawned == 0) status = WaitFor(pid, std::chrono::seconds(30));
  std::ifstream in(outputPath);
  std::string output{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  unlink(outputPath);
  return {status, output};
}

TEST(Program, VersionAndHelpAreAnsweredWithoutADisplay) {
  struct Case {
    std::vector<std::string> argv;
    std::vector<std::string> said;
  };
  const std::string version = SALVIND_VERSION;
  const Case cases[] = {
      {{SALVIND_BINARY, "--version"}, {"salvind " + version + "\n"}},
      // Among arguments the platform may have, like -platform, it still answers.
      {{SALVIND_BINARY, "-platform", "xcb", "--version"}, {"salvind " + version + "\n"}},
      {{SALVIND_BINARY, "--help"},
       {"Usage: salvind", "--version", "SALVIND_SERVER_HOST", "SALVIND_SERVER_PORT", "SALVIND_SERVER_TLS", "SALVIND_SERVER_CA", "SALVIND_SERVER_PIN", "SALVIND_SCALE", "SALVIND_REDUCED_MOTION", "XDG_DATA_HOME"}},
      {{SALVIND_LOBBYD, "--version"}, {"orva-lobbyd " + version + "\n"}},
      {{SALVIND_LOBBYD, "--help"}, {"usage: orva-lobbyd --config FILE", "--listen ADDRESS:PORT", "--version"}},
      {{SALVIND_LOBBYCTL, "--version"}, {"orva-lobbyctl " + version + "\n"}},
      {{SALVIND_LOBBYCTL, "--help"}, {"usage: orva-lobbyctl --config FILE COMMAND", "kick USER"}},
  };
  for (const Case& c : cases) {
    const std::string what = c.argv.front() + " " + c.argv.back();
    const auto [status, output] = RunForOutput(c.argv);
    ASSERT_TRUE(WIFEXITED(status)) << what;
    EXPECT_EQ(WEXITSTATUS(status), 0) << what;
    for (const std::string& s : c.said) EXPECT_NE(output.find(s), std::string::npos) << what << " lacks " << s;
  }
  EXPECT_EQ(RunForOutput({SALVIND_BINARY, "--version"}).second, "salvind " + version + "\n");
}

}  // namespace
