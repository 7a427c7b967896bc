// Native windows on Qt: the seam's window operations over
// PlatformWindowRecord. Qt knows nothing of caption and frame sizes before a
// window manager has framed a window, so the backend keeps its own and places
// the drawing area inside the outer rectangle by them; headless there is no
// frame at all and the arithmetic is exact.

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include <algorithm>

#include "platform/qt/qt_callback_hold.h"
#include "platform/qt/qt_decorations.h"
#include "platform/qt/qt_state.h"
#include "platform/qt/qt_window_record.h"
#include "platform/testing.h"
#include "platform/window.h"

namespace {

PlatformWindowRecord* Live(PlatformWindow window) {
  return QtWindowIsLive(window) ? window : nullptr;
}

QRect ToQRect(const PlatformRect& r) {
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

PlatformRect ToPlatformRect(const QRect& r) {
  return PlatformRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// Windows that stay on top lead the order; the others follow them.
void BringToFront(PlatformWindowRecord* record) {
  auto& order = QtWindowZOrder();
  std::erase(order, record);
  auto at = order.begin();
  if (!record->stayOnTop) {
    at = std::find_if(order.begin(), order.end(), [](PlatformWindowRecord* r) { return !r->stayOnTop; });
  }
  order.insert(at, record);
}

// A size a test asked the metrics to report; 0 x 0 for the real screen.
int32_t g_testScreenWidth = 0;
int32_t g_testScreenHeight = 0;

bool IsExposed(PlatformWindowRecord* record) {
  return record->windowHandle() && record->windowHandle()->isExposed() && record->exposedOnce;
}

// Presenting needs an exposed window: a blocking sequence of frames right
// after the first show would otherwise be lost. The program is not called
// while it waits; its first paint comes once the caller has returned.
void WaitForExposure(PlatformWindowRecord* record) {
  const QtCallbackHold hold;
  for (int i = 0; i < 100 && QtWindowIsLive(record) && !IsExposed(record); ++i) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
    if (!QtClockIsManual() && QtWindowIsLive(record) && !IsExposed(record)) QThread::msleep(5);
  }
}

}  // namespace

QWidget* QtWidgetOf(PlatformWindow window) { return Live(window); }

void QtActivateAfterModal(QWidget* owner) {
  auto* record = dynamic_cast<PlatformWindowRecord*>(owner);
  if (!owner || (record && !QtWindowIsLive(record))) return;
  owner->window()->activateWindow();
}

bool QtKeptOnTopShown() {
  for (PlatformWindowRecord* record : QtWindowZOrder()) {
    if (record->stayOnTop && record->isVisible()) return true;
  }
  return false;
}

PlatformWindow PlatformWindowCreate(PlatformWindowType type, PlatformWindow parent,
                                    uint32_t decorations, const char* title, uintptr_t data) {
  if (!QApplication::instance()) return nullptr;
  // A dialog made while a window kept on top is up (the information box) is
  // what the person has to answer: it joins that layer, where the newest
  // stands highest, instead of opening underneath.
  if (type == kPlatformWindowDialog && QtKeptOnTopShown()) decorations |= kPlatformDecorStayOnTop;
  PlatformWindowRecord* parentRecord = Live(parent);
  if (type == kPlatformWindowChild && !parentRecord) return nullptr;
  if (type == kPlatformWindowTopLevel) parentRecord = nullptr;
  auto* record = new PlatformWindowRecord(type, parentRecord, decorations, data);
  if (title) record->setWindowTitle(QString::fromLatin1(title));
  return record;
}

void PlatformWindowDestroy(PlatformWindow window) {
  if (PlatformWindowRecord* record = Live(window)) record->Destroy();
}

void PlatformWindowSetHandler(PlatformWindow window, PlatformInputHandler handler) {
  if (PlatformWindowRecord* record = Live(window)) record->handler = handler;
}

uintptr_t PlatformWindowData(PlatformWindow window) {
  PlatformWindowRecord* record = Live(window);
  return record ? record->data : 0;
}

PlatformWindow PlatformWindowParent(PlatformWindow window) {
  PlatformWindowRecord* record = Live(window);
  return record ? record->owner : nullptr;
}

PlatformWindow PlatformWindowFirstChild(PlatformWindow window) {
  PlatformWindowRecord* record = Live(window);
  return record && !record->children.empty() ? record->children.front() : nullptr;
}

PlatformWindow PlatformWindowNextSibling(PlatformWindow window) {
  PlatformWindowRecord* record = Live(window);
  if (!record || !record->owner || record->type != kPlatformWindowChild) return nullptr;
  const auto& siblings = record->owner->children;
  auto it = std::find(siblings.begin(), siblings.end(), record);
  if (it == siblings.end() || ++it == siblings.end()) return nullptr;
  return *it;
}

void PlatformWindowSetTitle(PlatformWindow window, const char* title) {
  if (PlatformWindowRecord* record = Live(window)) {
    record->setWindowTitle(QString::fromLatin1(title ? title : ""));
  }
}

void PlatformWindowSetOuterRect(PlatformWindow window, const PlatformRect& outer) {
  if (PlatformWindowRecord* record = Live(window)) record->Place(ToQRect(outer));
}

void PlatformWindowMove(PlatformWindow window, int32_t x, int32_t y) {
  PlatformWindowRecord* record = Live(window);
  if (!record) return;
  QRect outer = record->outer;
  outer.moveTopLeft(QPoint(x, y));
  record->Place(outer);
  // Reported at once, as a native move does; Qt may report hidden moves late.
  PlatformInput input{};
  input.type = kPlatformInputMoved;
  input.x = x;
  input.y = y;
  record->Report(input);
}

PlatformRect PlatformWindowOuterOnScreen(PlatformWindow window) {
  PlatformWindowRecord* record = Live(window);
  return record ? ToPlatformRect(record->OuterOnScreen()) : PlatformRect{0, 0, 0, 0};
}

void PlatformWindowClientOrigin(PlatformWindow window, int32_t* x, int32_t* y) {
  PlatformWindowRecord* record = Live(window);
  const QPoint origin = record ? record->ClientOriginOnScreen() : QPoint();
  *x = origin.x();
  *y = origin.y();
}

void PlatformWindowShow(PlatformWindow window) {
  PlatformWindowRecord* record = Live(window);
  if (!record) return;
  if (record->isWindow() && !record->testAttribute(Qt::WA_WState_Created)) {
    QtPublishDecorations(record, record->decorations);
  }
  record->show();
  if (record->isWindow()) {
    BringToFront(record);
    record->raise();
    record->activateWindow();
    WaitForExposure(record);
  }
}

void PlatformWindowRaise(PlatformWindow window) {
  PlatformWindowRecord* record = Live(window);
  if (!record) return;
  PlatformWindowShow(window);
  if (QtWindowIsLive(record)) record->raise();
}

void PlatformWindowHide(PlatformWindow window) {
  if (PlatformWindowRecord* record = Live(window)) record->hide();
}

bool PlatformWindowIsShown(PlatformWindow window) {
  PlatformWindowRecord* record = Live(window);
  return record && !record->isHidden();
}

void PlatformWindowSetFocus(PlatformWindow window) {
  if (PlatformWindowRecord* record = Live(window)) record->setFocus(Qt::OtherFocusReason);
}

PlatformWindow PlatformWindowFocus() {
  for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
    auto* record = dynamic_cast<PlatformWindowRecord*>(w);
    if (record && QtWindowIsLive(record)) return record;
  }
  return nullptr;
}

void PlatformWindowSetBuffer(PlatformWindow window, const uint32_t* pixels, int32_t width,
                             int32_t height) {
  PlatformWindowRecord* record = Live(window);
  if (!record) return;
  record->textOverlay.Clear();
  if (!pixels || width <= 0 || height <= 0) {
    record->image = QImage();
    return;
  }
  // Wraps the toolkit's pixels without a copy; they outlive the image.
  record->image = QImage(reinterpret_cast<const uchar*>(pixels), width, height,
                         static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
}

void PlatformWindowPresent(PlatformWindow window, const PlatformRect& rect) {
  if (PlatformWindowRecord* record = Live(window)) record->Present(ToQRect(rect));
}

void PlatformWindowInvalidate(PlatformWindow window, const PlatformRect* rect) {
  PlatformWindowRecord* record = Live(window);
  if (!record) return;
  record->Invalidate(rect ? ToQRect(*rect) : record->rect());
}

void PlatformWindowGetMetrics(PlatformWindowMetrics* metrics) {
  // The backend's own decoration sizes (see the top of this file).
  metrics->captionHeight = 18;
  metrics->dialogFrameWidth = 3;
  metrics->dialogFrameHeight = 3;
  metrics->borderWidth = 1;
  metrics->borderHeight = 1;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect geometry = screen ? screen->geometry() : QRect(0, 0, 800, 600);
  metrics->screenWidth = geometry.width();
  metrics->screenHeight = geometry.height();
  if (g_testScreenWidth > 0 && g_testScreenHeight > 0) {
    metrics->screenWidth = g_testScreenWidth;
    metrics->screenHeight = g_testScreenHeight;
  }
}

void PlatformTestSetScreenSize(int32_t width, int32_t height) {
  g_testScreenWidth = width;
  g_testScreenHeight = height;
}

void PlatformPointerPosition(int32_t* x, int32_t* y) {
  const QPoint p = QCursor::pos();
  *x = p.x();
  *y = p.y();
}

uint32_t PlatformModifierKeys() {
  const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
  uint32_t bits = 0;
  if (modifiers & Qt::ShiftModifier) bits |= kPlatformModShift;
  if (modifiers & Qt::ControlModifier) bits |= kPlatformModControl;
  if (modifiers & Qt::AltModifier) bits |= kPlatformModAlt;
  return bits;
}
