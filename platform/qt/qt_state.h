#pragma once
// Hooks between the files of the Qt backend.

#include <cstdint>

#include "platform/handles.h"

class QFont;
class QWidget;

// The application object now exists: start what needs an event loop.
void QtClockAppStarted();
// The application object is about to go: stop timers that belong to it.
void QtClockAppStopping();

bool QtClockIsManual();
void QtClockAddMs(uint32_t milliseconds);

// While alive, and only while the platform's own tick handler is blocked
// further down the stack (a modal loop opened inside a tick), a second timer
// keeps calling the tick handler every 10 ms.
class QtTickDriverScope {
 public:
  QtTickDriverScope();
  ~QtTickDriverScope();
  QtTickDriverScope(const QtTickDriverScope&) = delete;
  QtTickDriverScope& operator=(const QtTickDriverScope&) = delete;

 private:
  class QTimer* driver_ = nullptr;
};

// The widget of a platform window, nullptr for none.
QWidget* QtWidgetOf(PlatformWindow window);
// Whether a window kept on top (kPlatformDecorStayOnTop) is shown; boxes
// opened meanwhile must stand above it, so they are kept on top too.
bool QtKeptOnTopShown();
// Qt leaves no window active after a modal box closes: activate its owner.
void QtActivateAfterModal(QWidget* owner);

// The QFont of a platform font; the application's default font for nullptr.
// Controls use it for their own text.
QFont QtFontOf(PlatformFont font);
