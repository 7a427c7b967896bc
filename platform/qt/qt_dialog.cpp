// Modal boxes, beep, sleep and the immediate exit on Qt.

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QShortcut>
#include <QThread>
#include <QTimer>

#include <cstdlib>

#include "platform/dialog.h"
#include "platform/window.h"
#include "platform/qt/qt_decorations.h"
#include "platform/qt/qt_state.h"
#include "platform/qt/qt_window_record.h"
#include "platform/testing.h"

namespace {
PlatformMessageBoxHook g_messageBoxHook = nullptr;
void (*g_exitHook)(int) = nullptr;
void (*g_beepHook)() = nullptr;
}  // namespace

void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook) { g_messageBoxHook = hook; }
void PlatformSetExitHook(void (*hook)(int)) { g_exitHook = hook; }
void PlatformSetBeepHook(void (*hook)()) { g_beepHook = hook; }

void PlatformMessageBox(PlatformWindow owner, const char* title, const char* text) {
  if (g_messageBoxHook) {
    g_messageBoxHook(owner, title, text);
    return;
  }
  QWidget* parent = QtWidgetOf(owner);
  {
    // The box is the owner's child on Qt, and Qt deletes children with their
    // parent: the owner may be destroyed inside the box's loop (the program
    // ending under an open message), so it is only detached until the box
    // has gone.
    QtRecordHold hold(owner);
    {
      QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(title), QString::fromLatin1(text),
                      QMessageBox::Ok, parent);
      box.setWindowFlag(Qt::WindowStaysOnTopHint, QtKeptOnTopShown());
      QtPublishDecorations(&box, kPlatformDecorCaption | kPlatformDecorSystemMenu);
      // Ctrl+C copies the message, wherever the focus is, as system message
      // boxes do: people paste error messages into their reports.
      const QString message = box.text();
      QObject::connect(new QShortcut(QKeySequence::Copy, &box), &QShortcut::activated,
                       [message] { QGuiApplication::clipboard()->setText(message); });
      // Qt does not re-enter a timer whose handler is still running: if the
      // box was opened from inside a tick, drive the ticks from here meanwhile.
      QtTickDriverScope ticks;
      box.exec();
    }
    if (!hold.Alive()) return;
  }
  QtActivateAfterModal(parent);
}

void PlatformBeep() {
  if (g_beepHook) {
    g_beepHook();
    return;
  }
  QApplication::beep();
}

void PlatformSleepMs(uint32_t milliseconds) {
  if (QtClockIsManual()) {
    QtClockAddMs(milliseconds);
    return;
  }
  QThread::msleep(milliseconds);
}

void PlatformExitNow(int exitCode) {
  if (g_exitHook) {
    g_exitHook(exitCode);
    return;
  }
  std::_Exit(exitCode);
}
