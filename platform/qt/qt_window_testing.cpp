// Simulated input for tests, routed like the system routes real input:
// button reports go to the capture holder or the topmost window under the
// point, keys to the focus window. They arrive as Qt events, so the record's
// own translation is what the toolkit sees.

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>

#include <cstring>

#include "platform/qt/qt_window_record.h"
#include "platform/testing.h"
#include "platform/window.h"

namespace {

Qt::KeyboardModifiers QtModifiers(uint32_t bits) {
  Qt::KeyboardModifiers modifiers;
  if (bits & kPlatformModShift) modifiers |= Qt::ShiftModifier;
  if (bits & kPlatformModControl) modifiers |= Qt::ControlModifier;
  if (bits & kPlatformModAlt) modifiers |= Qt::AltModifier;
  return modifiers;
}

QRect ClientOnScreen(PlatformWindowRecord* record) {
  return QRect(record->ClientOriginOnScreen(), record->size());
}

// The deepest shown child under point, latest made on top.
PlatformWindowRecord* DeepestAt(PlatformWindowRecord* record, QPoint point) {
  for (auto it = record->children.rbegin(); it != record->children.rend(); ++it) {
    PlatformWindowRecord* child = *it;
    if (!child->isHidden() && ClientOnScreen(child).contains(point)) return DeepestAt(child, point);
  }
  return record;
}

PlatformWindowRecord* WindowAt(QPoint point) {
  for (PlatformWindowRecord* top : QtWindowZOrder()) {
    if (top->isHidden() || !top->isWindow()) continue;
    if (!top->OuterOnScreen().contains(point)) continue;
    // The caption and frame take no client input.
    if (!ClientOnScreen(top).contains(point)) return nullptr;
    return DeepestAt(top, point);
  }
  return nullptr;
}

}  // namespace

namespace {
// Keys go to the focus widget itself, which inside a native control is the
// Qt control, not its record.
bool SendKey(int key, uint32_t modifiers, const QString& text) {
  PlatformWindow focus = PlatformWindowFocus();
  if (!focus) return false;
  QKeyEvent event(QEvent::KeyPress, key, QtModifiers(modifiers), text);
  QWidget* target = QApplication::focusWidget();
  QApplication::sendEvent(target ? target : static_cast<QWidget*>(focus), &event);
  return true;
}
}  // namespace

void PlatformTestMouseButton(int32_t screenX, int32_t screenY, PlatformTestButton action,
                             uint32_t modifiers) {
  const QPoint global(screenX, screenY);
  QCursor::setPos(global);
  PlatformWindowRecord* record = QtWindowCaptureRecord();
  if (!record) record = WindowAt(global);
  if (!record) return;
  QWidget* target = record;
  QPointF local = QPointF(global - record->ClientOriginOnScreen());
  // Inside a native control the click belongs to the Qt widget under it.
  if (!QtWindowCaptureRecord()) {
    if (QWidget* inner = record->childAt(local.toPoint())) {
      local = QPointF(inner->mapFrom(record, local.toPoint()));
      target = inner;
    }
  }
  if (action == kPlatformTestMiddleClick) {
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MiddleButton : Qt::NoButton;
      QMouseEvent event(type, local, QPointF(global), Qt::MiddleButton, held, QtModifiers(modifiers));
      QApplication::sendEvent(target, &event);
    }
    return;
  }
  const QEvent::Type type = action == kPlatformTestButtonDown ? QEvent::MouseButtonPress
                            : action == kPlatformTestButtonUp ? QEvent::MouseButtonRelease
                                                              : QEvent::MouseButtonDblClick;
  const Qt::MouseButtons held = action == kPlatformTestButtonUp ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, local, QPointF(global), Qt::LeftButton, held, QtModifiers(modifiers));
  QApplication::sendEvent(target, &event);
}

void PlatformTestSetPointer(int32_t screenX, int32_t screenY) {
  QCursor::setPos(QPoint(screenX, screenY));
}

bool PlatformTestTypeCharacter(uint32_t character, uint32_t modifiers) {
  PlatformWindow focus = PlatformWindowFocus();
  if (!focus) return false;
  int key = Qt::Key_unknown;
  QString text(QChar(static_cast<char16_t>(character & 0xFF)));
  switch (character & 0xFF) {
    case 9: key = (modifiers & kPlatformModShift) ? Qt::Key_Backtab : Qt::Key_Tab; break;
    case 13: key = Qt::Key_Return; break;
    case 27: key = Qt::Key_Escape; break;
    case 8: key = Qt::Key_Backspace; break;
    default:
      // Control with a letter types its control character, as a keyboard does.
      if ((modifiers & kPlatformModControl) && (character & 0xFF) >= 1 && (character & 0xFF) <= 26) {
        key = Qt::Key_A + static_cast<int>((character & 0xFF) - 1);
      }
      break;
  }
  return SendKey(key, modifiers, text);
}


bool PlatformTestTypeText(const char* utf8, uint32_t modifiers) {
  return SendKey(Qt::Key_unknown, modifiers, QString::fromUtf8(utf8 ? utf8 : ""));
}

bool PlatformTestPressKey(PlatformTestKey key, uint32_t modifiers) {
  switch (key) {
    case kPlatformTestKeyLeft: return SendKey(Qt::Key_Left, modifiers, QString());
    case kPlatformTestKeyRight: return SendKey(Qt::Key_Right, modifiers, QString());
    case kPlatformTestKeyHome: return SendKey(Qt::Key_Home, modifiers, QString());
    case kPlatformTestKeyEnd: return SendKey(Qt::Key_End, modifiers, QString());
    case kPlatformTestKeyDelete: return SendKey(Qt::Key_Delete, modifiers, QString());
    case kPlatformTestKeyUp: return SendKey(Qt::Key_Up, modifiers, QString());
    case kPlatformTestKeyDown: return SendKey(Qt::Key_Down, modifiers, QString());
    case kPlatformTestKeyPageUp: return SendKey(Qt::Key_PageUp, modifiers, QString());
    case kPlatformTestKeyPageDown: return SendKey(Qt::Key_PageDown, modifiers, QString());
    case kPlatformTestKeyPaste:
      return SendKey(Qt::Key_V, modifiers | kPlatformModControl, QString(QChar(0x16)));
  }
  return false;
}

void PlatformTestSetClipboard(const char* utf8) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QString text = QString::fromUtf8(utf8 ? utf8 : "");
  clipboard->setText(text, QClipboard::Clipboard);
  if (clipboard->supportsSelection()) clipboard->setText(text, QClipboard::Selection);
}

bool PlatformTestContextMenu(int32_t screenX, int32_t screenY) {
  const QPoint global(screenX, screenY);
  PlatformWindowRecord* record = WindowAt(global);
  if (!record) return false;
  QWidget* target = record;
  QPoint local = global - record->ClientOriginOnScreen();
  if (QWidget* inner = record->childAt(local)) {
    local = inner->mapFrom(record, local);
    target = inner;
  }
  QContextMenuEvent event(QContextMenuEvent::Mouse, local, global);
  QApplication::sendEvent(target, &event);
  QWidget* menu = QApplication::activePopupWidget();
  if (menu) menu->close();
  PlatformTestFlush();
  return menu != nullptr;
}

void PlatformTestRequestClose(PlatformWindow window) {
  if (QtWindowIsLive(window)) window->close();
}

void PlatformTestFlush() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

bool PlatformTestGrab(PlatformWindow window, uint32_t* pixels, int32_t capacity, int32_t* width,
                      int32_t* height) {
  if (!QtWindowIsLive(window)) return false;
  const QImage image = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
  *width = image.width();
  *height = image.height();
  if (static_cast<int64_t>(image.width()) * image.height() > capacity) return false;
  for (int y = 0; y < image.height(); ++y) {
    std::memcpy(pixels + static_cast<size_t>(y) * image.width(), image.constScanLine(y),
                static_cast<size_t>(image.width()) * 4);
  }
  return true;
}
