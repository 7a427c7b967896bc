// Clock and tick on Qt: a monotonic QElapsedTimer and a 10 ms precise QTimer,
// or, in manual mode, a counter that tests advance.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "platform/clock.h"
#include "platform/qt/qt_callback_hold.h"
#include "platform/qt/qt_state.h"
#include "platform/testing.h"

namespace {

QElapsedTimer& Elapsed() {
  static QElapsedTimer timer;
  if (!timer.isValid()) timer.start();
  return timer;
}

void (*g_tickHandler)() = nullptr;
bool g_manual = false;
uint32_t g_manualMs = 0;
QTimer* g_tickTimer = nullptr;

int g_tickDepth = 0;

// A tick kept back while a window is being shown is not lost: the next pass
// counts the time that went by.
void Tick() {
  if (!g_tickHandler || QtCallbacksHeld()) return;
  ++g_tickDepth;
  g_tickHandler();
  --g_tickDepth;
}

// The platform timer runs only with a handler, outside manual mode and once
// the application object exists.
void UpdateTickTimer() {
  const bool wanted = g_tickHandler && !g_manual && QCoreApplication::instance();
  if (wanted && !g_tickTimer) {
    g_tickTimer = new QTimer();
    g_tickTimer->setTimerType(Qt::PreciseTimer);
    g_tickTimer->setInterval(static_cast<int>(kMillisecondsPerTick));
    QObject::connect(g_tickTimer, &QTimer::timeout, &Tick);
    g_tickTimer->start();
  } else if (!wanted && g_tickTimer) {
    delete g_tickTimer;
    g_tickTimer = nullptr;
  }
}

}  // namespace

uint32_t PlatformUptimeMs() {
  if (g_manual) return g_manualMs;
  return static_cast<uint32_t>(Elapsed().elapsed());
}

void PlatformSetTickHandler(void (*handler)()) {
  g_tickHandler = handler;
  UpdateTickTimer();
}

void QtClockAppStarted() { UpdateTickTimer(); }

void QtClockAppStopping() {
  delete g_tickTimer;
  g_tickTimer = nullptr;
}

bool QtClockIsManual() { return g_manual; }

void QtClockAddMs(uint32_t milliseconds) { g_manualMs += milliseconds; }

QtTickDriverScope::QtTickDriverScope() {
  if (g_manual || g_tickDepth == 0 || !g_tickTimer) return;
  driver_ = new QTimer();
  driver_->setTimerType(Qt::PreciseTimer);
  driver_->setInterval(static_cast<int>(kMillisecondsPerTick));
  QObject::connect(driver_, &QTimer::timeout, &Tick);
  driver_->start();
}

QtTickDriverScope::~QtTickDriverScope() { delete driver_; }

void PlatformManualClockEnable() {
  g_manual = true;
  UpdateTickTimer();
}

void PlatformManualClockSet(uint32_t milliseconds) { g_manualMs = milliseconds; }

void PlatformManualClockAdvance(uint32_t ticks) {
  for (uint32_t i = 0; i < ticks; ++i) {
    g_manualMs += kMillisecondsPerTick;
    Tick();
  }
}

void PlatformManualClockJump(uint32_t milliseconds) {
  g_manualMs += milliseconds;
  Tick();
}
