// Starting programs on POSIX systems: fork twice and exec, no shell.
//
// The grandchild runs the program, so it is adopted by init and never stays a
// zombie of ours; the middle child is waited for at once. A close-on-exec pipe
// tells the parent whether the exec worked: it closes empty on success and
// carries the errno of a failed exec otherwise. Between fork and exec only
// async-signal-safe calls are made, since Qt runs threads of its own.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/process.h"
#include "platform/qt/qt_start_environment.h"
#include "platform/testing.h"

namespace {

PlatformProcessStartHook g_startHook = nullptr;

// Highest descriptor number worth looking at when close_range is missing.
constexpr int kDescriptorScanLimit = 65536;

// Marks every descriptor from 3 up close-on-exec, so the program gets
// standard input, output and error and nothing else of ours: no sockets, no
// window-system connection. The status pipe is already close-on-exec.
void CloseOnExecFrom3(int scanLimit) {
#if defined(SYS_close_range)
  constexpr unsigned kCloseRangeCloexec = 1u << 2;
  if (syscall(SYS_close_range, 3u, ~0u, kCloseRangeCloexec) == 0) return;
#endif
  for (int fd = 3; fd < scanLimit; ++fd) {
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
}

void WriteAll(int fd, const void* bytes, size_t count) {
  const char* p = static_cast<const char*>(bytes);
  while (count > 0) {
    const ssize_t n = write(fd, p, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    p += n;
    count -= static_cast<size_t>(n);
  }
}

[[noreturn]] void RunInGrandchild(const char* path, const char* const* argv, int statusFd,
                                  int scanLimit) {
  // Start in a session of its own, so a terminal's interrupt meant for us
  // does not end the game, and with default signal handling.
  setsid();
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);
  CloseOnExecFrom3(scanLimit);
  // The environment the client was started with: the backend's own settings
  // for Qt are not the game's business.
  execve(path, const_cast<char* const*>(argv), QtStartEnvironment());
  const int error = errno;
  WriteAll(statusFd, &error, sizeof error);
  _exit(127);
}

}  // namespace

void PlatformSetProcessStartHook(PlatformProcessStartHook hook) { g_startHook = hook; }

bool PlatformProcessStart(const char* path, const char* const* argv) {
  if (!path || !argv || !argv[0]) return false;
  if (g_startHook) return g_startHook(path, argv);

  int scanLimit = kDescriptorScanLimit;
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      limit.rlim_cur < static_cast<rlim_t>(scanLimit)) {
    scanLimit = static_cast<int>(limit.rlim_cur);
  }

  int status[2];
  if (pipe2(status, O_CLOEXEC) != 0) return false;

  const pid_t middle = fork();
  if (middle < 0) {
    close(status[0]);
    close(status[1]);
    return false;
  }
  if (middle == 0) {
    close(status[0]);
    const pid_t child = fork();
    if (child == 0) RunInGrandchild(path, argv, status[1], scanLimit);
    if (child < 0) {
      const int error = errno;
      WriteAll(status[1], &error, sizeof error);
    }
    _exit(0);
  }

  close(status[1]);
  while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }
  // Returns once the grandchild has exec'd (end of file) or reported why not.
  int error = 0;
  ssize_t n;
  do {
    n = read(status[0], &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  close(status[0]);
  return n == 0;
}
