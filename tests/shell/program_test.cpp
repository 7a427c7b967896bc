// The salvind program started as a process, headless: it runs its loop until
// a quit request arrives and then exits with code 0.

#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

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

}  // namespace
