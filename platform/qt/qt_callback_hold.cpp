#include "platform/qt/qt_callback_hold.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <deque>
#include <utility>

namespace {

int g_depth = 0;
std::deque<std::function<void()>> g_deferred;
bool g_flushQueued = false;

void Flush() {
  g_flushQueued = false;
  // A call may show a window and so open a hold of its own: what it keeps
  // back joins the queue and is flushed after the hold, in order.
  while (!g_deferred.empty() && g_depth == 0) {
    std::function<void()> call = std::move(g_deferred.front());
    g_deferred.pop_front();
    call();
  }
}

void QueueFlush() {
  QCoreApplication* app = QCoreApplication::instance();
  if (g_flushQueued || g_deferred.empty() || !app) return;
  g_flushQueued = true;
  QMetaObject::invokeMethod(app, &Flush, Qt::QueuedConnection);
}

}  // namespace

QtCallbackHold::QtCallbackHold() { ++g_depth; }

QtCallbackHold::~QtCallbackHold() {
  if (--g_depth > 0) return;
  QtWindowsRepaintOwed();
  QueueFlush();
}

bool QtCallbacksHeld() { return g_depth > 0; }

void QtCallOrDefer(std::function<void()> call) {
  if (g_depth == 0) {
    call();
    return;
  }
  g_deferred.push_back(std::move(call));
}
