// The event loop on Qt: one QApplication, quit requests posted into its queue,
// and termination signals turned into a quit request on the program's thread.

#include <QApplication>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

#include "platform/loop.h"
#include "platform/qt/qt_access.h"
#include "platform/qt/qt_scale.h"
#include "platform/qt/qt_start_environment.h"
#include "platform/qt/qt_state.h"

namespace {

QApplication* g_app = nullptr;
bool g_quitPosted = false;
void (*g_quitRequestHandler)() = nullptr;

// Self-pipe: the signal handler may only write a byte; the notifier reads it
// back on the program's thread.
int g_signalPipe[2] = {-1, -1};
QSocketNotifier* g_signalNotifier = nullptr;

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &byte, 1);
}

void InstallSignalHandlers() {
  if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_signalNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read);
  QObject::connect(g_signalNotifier, &QSocketNotifier::activated, [] {
    char buffer[16];
    while (read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    if (g_quitRequestHandler) {
      g_quitRequestHandler();
    } else {
      PlatformQuit(0);
    }
  });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  // A parent may have started us with these blocked; a request that arrived
  // before the handlers existed is delivered now.
  sigset_t handled;
  sigemptyset(&handled);
  sigaddset(&handled, SIGTERM);
  sigaddset(&handled, SIGINT);
  sigaddset(&handled, SIGHUP);
  sigprocmask(SIG_UNBLOCK, &handled, nullptr);
}

void RemoveSignalHandlers() {
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  signal(SIGHUP, SIG_DFL);
  delete g_signalNotifier;
  g_signalNotifier = nullptr;
  for (int& fd : g_signalPipe) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

// While the application starts: Qt ends the program (abort) when no
// platform plugin can start, after a paragraph about reinstalling. Without a
// display the player gets one line saying so instead, and a failed start's
// code. Other messages of the start are held and passed on once it worked.
struct HeldMessage {
  QtMsgType type;
  std::string category;
  QString text;
};
// Qt's own threads (the X event reader) may report while the start runs.
std::mutex g_startMessagesMutex;
std::vector<HeldMessage> g_startMessages;
QtMessageHandler g_qtHandler = nullptr;

void OnStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) {
      std::fprintf(stderr, "Salvind: cannot open the display %s.\n", display);
    } else {
      std::fprintf(stderr, "Salvind: cannot open the display (DISPLAY is not set).\n");
    }
    std::fflush(stderr);
    std::_Exit(1);
  }
  const std::lock_guard<std::mutex> lock(g_startMessagesMutex);
  g_startMessages.push_back({type, context.category ? context.category : "", text});
}

QApplication* StartApplication(int* argc, char** argv) {
  g_qtHandler = qInstallMessageHandler(&OnStartMessage);
  auto* app = new QApplication(*argc, argv);
  qInstallMessageHandler(g_qtHandler);
  std::vector<HeldMessage> held;
  {
    const std::lock_guard<std::mutex> lock(g_startMessagesMutex);
    held.swap(g_startMessages);
  }
  for (const HeldMessage& message : held) {
    const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
    if (g_qtHandler) {
      g_qtHandler(message.type, context, message.text);
    } else {
      std::fprintf(stderr, "%s\n", qFormatLogMessage(message.type, context, message.text).toLocal8Bit().constData());
    }
  }
  return app;
}

}  // namespace

bool PlatformInit(int* argc, char** argv) {
  if (g_app) return true;
  // Games started later get the environment as it was, not ours below.
  QtStartEnvironmentCapture();
  // Pixels are ours: one logical pixel is N x N device pixels on a dense
  // screen, N whole.
  QtScaleConfigure();
  qputenv("QT_QPA_PLATFORMTHEME", "");
  QApplication::setDesktopSettingsAware(false);
  g_app = StartApplication(argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication::setQuitOnLastWindowClosed(false);
  QtAccessInstall();
  InstallSignalHandlers();
  g_quitPosted = false;
  QtClockAppStarted();
  return true;
}

void PlatformShutdown() {
  if (!g_app) return;
  QtClockAppStopping();
  RemoveSignalHandlers();
  delete g_app;
  g_app = nullptr;
}

int PlatformRun() {
  if (!g_app) return 0;
  return QApplication::exec();
}

void PlatformQuit(int exitCode) {
  if (g_quitPosted || !g_app) return;
  g_quitPosted = true;
  // Queued, like a quit message: everything posted before it is handled first.
  QTimer::singleShot(0, g_app, [exitCode] { QCoreApplication::exit(exitCode); });
}

void PlatformPumpOnce() {
  if (g_app) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void PlatformSetQuitRequestHandler(void (*handler)()) {
  g_quitRequestHandler = handler;
}
