// Qt events of a native window turned into raw input reports.

#include "platform/qt/qt_window_record.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>

#include "platform/qt/qt_callback_hold.h"

namespace {

PlatformInputHandler g_handler = nullptr;
std::vector<PlatformWindowRecord*> g_live;
std::vector<PlatformWindowRecord*> g_zOrder;
PlatformWindowRecord* g_capture = nullptr;

Qt::WindowFlags FlagsFor(PlatformWindowType type, uint32_t decorations) {
  if (type == kPlatformWindowChild) return Qt::Widget;
  Qt::WindowFlags flags = (type == kPlatformWindowDialog ? Qt::Dialog : Qt::Window) |
                          Qt::CustomizeWindowHint;
  if (decorations & kPlatformDecorStayOnTop) flags |= Qt::WindowStaysOnTopHint;
  if (!(decorations & kPlatformDecorCaption)) return flags | Qt::FramelessWindowHint;
  flags |= Qt::WindowTitleHint;
  if (decorations & kPlatformDecorMinimiseBox) flags |= Qt::WindowMinimizeButtonHint;
  if (decorations & kPlatformDecorSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  return flags;
}

uint32_t NavigationKeyOf(int key) {
  switch (key) {
    case Qt::Key_PageUp: return kPlatformKeyPageUp;
    case Qt::Key_PageDown: return kPlatformKeyPageDown;
    case Qt::Key_End: return kPlatformKeyEnd;
    case Qt::Key_Home: return kPlatformKeyHome;
    case Qt::Key_Left: return kPlatformKeyLeft;
    case Qt::Key_Up: return kPlatformKeyUp;
    case Qt::Key_Right: return kPlatformKeyRight;
    case Qt::Key_Down: return kPlatformKeyDown;
    default: return 0;
  }
}

}  // namespace

void PlatformSetInputHandler(PlatformInputHandler handler) { g_handler = handler; }

bool QtWindowIsLive(const PlatformWindowRecord* record) {
  return record && std::find(g_live.begin(), g_live.end(), record) != g_live.end();
}

std::vector<PlatformWindowRecord*>& QtWindowZOrder() { return g_zOrder; }

PlatformWindowRecord* QtWindowCaptureRecord() { return g_capture; }

PlatformWindowRecord* QtWindowOfBuffer(const uint32_t* pixels) {
  if (!pixels) return nullptr;
  for (PlatformWindowRecord* record : g_live) {
    if (!record->image.isNull() && reinterpret_cast<const uint32_t*>(record->image.constBits()) == pixels) return record;
  }
  return nullptr;
}

void PlatformWindowSetCapture(PlatformWindow window) { g_capture = QtWindowIsLive(window) ? window : nullptr; }
void PlatformWindowReleaseCapture() { g_capture = nullptr; }
PlatformWindow PlatformWindowCapture() { return g_capture; }

PlatformWindowRecord::PlatformWindowRecord(PlatformWindowType type_, PlatformWindowRecord* parent,
                                           uint32_t decorations, uintptr_t data_)
    : QWidget(parent, FlagsFor(type_, decorations)), type(type_), data(data_), owner(parent),
      decorations(decorations),
      stayOnTop(type_ != kPlatformWindowChild && (decorations & kPlatformDecorStayOnTop)) {
  PlatformWindowMetrics m;
  PlatformWindowGetMetrics(&m);
  if (decorations & kPlatformDecorCaption) {
    const bool dialogFrame = decorations & kPlatformDecorDialogFrame;
    clientOffset_ = QPoint(dialogFrame ? m.dialogFrameWidth : m.borderWidth,
                           (dialogFrame ? m.dialogFrameHeight : m.borderHeight) + m.captionHeight);
  }
  // Every pixel comes from the toolkit's buffer.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_DeleteOnClose, false);
  setFocusPolicy(Qt::ClickFocus);
  // A child made inside a shown parent stays hidden until asked, like a
  // window created without its visible style.
  if (type == kPlatformWindowChild) hide();
  g_live.push_back(this);
  if (type == kPlatformWindowChild && parent) parent->children.push_back(this);
  if (type != kPlatformWindowChild) g_zOrder.push_back(this);
}

PlatformWindowRecord::~PlatformWindowRecord() { Detach(); }

void PlatformWindowRecord::Detach() {
  std::erase(g_live, this);
  std::erase(g_zOrder, this);
  if (g_capture == this) g_capture = nullptr;
  if (owner) std::erase(owner->children, this);
  owner = nullptr;
  data = 0;
  handler = nullptr;
  image = QImage();
  for (const unsigned id : access.ids) {
    if (id != 0) QAccessible::deleteAccessibleInterface(id);
  }
  access = QtAccessState{};
  // Children and owned windows outlive us: the toolkit destroys them itself.
  const QObjectList kids = QObject::children();
  for (QObject* object : kids) {
    auto* record = dynamic_cast<PlatformWindowRecord*>(object);
    if (!record) continue;
    record->hide();
    record->owner = nullptr;
    record->setParent(nullptr, record->windowFlags());
    if (record->type == kPlatformWindowChild) g_zOrder.push_back(record);
  }
  children.clear();
}

void PlatformWindowRecord::Destroy() {
  if (reporting_ > 0) {
    // Qt still holds this widget further up the stack.
    Detach();
    hide();
    doomed_ = true;
    return;
  }
  delete this;
}

bool PlatformWindowRecord::Report(const PlatformInput& input) {
  const PlatformInputHandler target = handler ? handler : g_handler;
  if (!target || doomed_ || !QtWindowIsLive(this)) return false;
  // A move only updates the toolkit's idea of the position; everything else
  // may run the program, which must not happen while a window is being shown.
  if (QtCallbacksHeld() && input.type != kPlatformInputMoved) {
    QPointer<PlatformWindowRecord> self(this);
    QtCallOrDefer([self, input] {
      if (!self || !QtWindowIsLive(self)) return;
      // A focus the caller has since given elsewhere is no longer news: the
      // toolkit would hand it on to the first child and undo the caller's.
      if (input.type == kPlatformInputFocus && !self->hasFocus()) return;
      self->Report(input);
    });
    return false;
  }
  BeginReport();
  const bool handled = target(this, input);
  EndReport();
  return handled;
}

bool PlatformWindowRecord::EndReport() {
  --reporting_;
  if (doomed_ && reporting_ == 0) deleteLater();
  return !doomed_;
}

QtRecordHold::QtRecordHold(PlatformWindowRecord* record)
    : record_(QtWindowIsLive(record) ? record : nullptr) {
  if (record_) record_->BeginReport();
}

QtRecordHold::~QtRecordHold() {
  if (record_) record_->EndReport();
}

bool QtRecordHold::Alive() const { return record_ && !record_->doomed_; }

void PlatformWindowRecord::Place(const QRect& outerRect) {
  outer = outerRect;
  PlatformWindowMetrics m;
  PlatformWindowGetMetrics(&m);
  // The frame is symmetric; the caption sits above the drawing area.
  const int frameW = clientOffset_.x();
  const int frameH = clientOffset_.y() - (clientOffset_.y() > 0 ? m.captionHeight : 0);
  const int width = std::max(0, outer.width() - 2 * frameW);
  const int height = std::max(0, outer.height() - clientOffset_.y() - frameH);
  // The toolkit's windows have no sizing border: only the program sizes them.
  if (isWindow()) setFixedSize(width, height);
  setGeometry(outer.x() + clientOffset_.x(), outer.y() + clientOffset_.y(), width, height);
}

QPoint PlatformWindowRecord::ClientOriginOnScreen() const {
  const QPoint own = outer.topLeft() + clientOffset_;
  if (type == kPlatformWindowChild && owner) return owner->ClientOriginOnScreen() + own;
  return own;
}

QRect PlatformWindowRecord::OuterOnScreen() const {
  if (type == kPlatformWindowChild && owner) return outer.translated(owner->ClientOriginOnScreen());
  return outer;
}

void PlatformWindowRecord::Present(const QRect& rect) {
  if (!isVisible() || !exposedOnce || rect.isEmpty()) return;
  presenting_ = true;
  repaint(rect);
  presenting_ = false;
}

void PlatformWindowRecord::Invalidate(const QRect& rect) {
  needsPaint_ += rect;
  update(rect);
}

void PlatformWindowRecord::RepaintOwed() {
  if (!needsPaint_.isEmpty()) update(needsPaint_);
}

void QtWindowsRepaintOwed() {
  for (PlatformWindowRecord* record : g_live) record->RepaintOwed();
}

void PlatformWindowRecord::paintEvent(QPaintEvent* event) {
  const QRegion region = event->region();
  exposedOnce = true;
  // Qt paints what the system exposed; a presentation only shows the buffer.
  if (!presenting_) needsPaint_ += region;
  const QRegion owed = needsPaint_ & region;
  // While a window is being shown the area stays owed: it is asked for again
  // when the show is over, and the program paints it then.
  if (!owed.isEmpty() && !QtCallbacksHeld()) {
    if (presenting_) {
      // Never paint inside a presentation: the drawing that asked for it is
      // still running. Ask again once it is over.
      QMetaObject::invokeMethod(this, [this] { update(needsPaint_); }, Qt::QueuedConnection);
    } else {
      needsPaint_ -= owed;
      const QRect box = owed.boundingRect();
      PlatformInput input{};
      input.type = kPlatformInputExpose;
      input.rect = PlatformRect{box.left(), box.top(), box.right() + 1, box.bottom() + 1};
      Report(input);
    }
  }
  QPainter painter(this);
  for (const QRect& r : region) {
    const QRect inImage = r & image.rect();
    if (!image.isNull() && !inImage.isEmpty()) painter.drawImage(inImage, image, inImage);
    const QRegion rest = QRegion(r) - QRegion(inImage);
    for (const QRect& blank : rest) painter.fillRect(blank, Qt::white);
  }
  textOverlay.Paint(painter, image, region);
}

void PlatformWindowRecord::ReportMouse(PlatformInputType type_, QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  PlatformInput input{};
  input.type = type_;
  const QPoint p = event->position().toPoint();
  input.x = p.x();
  input.y = p.y();
  input.modifiers = QtModifiersOf(event->modifiers());
  Report(input);
}

void PlatformWindowRecord::mousePressEvent(QMouseEvent* event) {
  ReportMouse(kPlatformInputButtonDown, event);
}
void PlatformWindowRecord::mouseReleaseEvent(QMouseEvent* event) {
  ReportMouse(kPlatformInputButtonUp, event);
}
void PlatformWindowRecord::mouseDoubleClickEvent(QMouseEvent* event) {
  ReportMouse(kPlatformInputDoubleClick, event);
}

void PlatformWindowRecord::keyPressEvent(QKeyEvent* event) {
  // Accepted always: an ignored key would travel on to the parent widget.
  event->accept();
  PlatformInput input{};
  input.type = kPlatformInputCharacter;
  input.modifiers = QtModifiersOf(event->modifiers());
  switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      input.character = 9;
      Report(input);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      input.character = 13;
      Report(input);
      return;
    case Qt::Key_Escape:
      input.character = 27;
      Report(input);
      return;
    default:
      break;
  }
  if (const uint32_t code = NavigationKeyOf(event->key())) {
    input.type = kPlatformInputKey;
    input.character = code;
    Report(input);
    return;
  }
  const QString text = event->text();
  for (const QChar c : text) {
    // Characters outside Latin-1 have no code in the program's character set.
    if (c.unicode() > 0xFF) continue;
    input.character = c.unicode();
    Report(input);
    if (doomed_) return;
  }
}

void PlatformWindowRecord::focusInEvent(QFocusEvent*) {
  PlatformInput input{};
  input.type = kPlatformInputFocus;
  Report(input);
}

void PlatformWindowRecord::closeEvent(QCloseEvent* event) {
  event->ignore();
  PlatformInput input{};
  input.type = kPlatformInputCloseRequest;
  Report(input);
}

void PlatformWindowRecord::moveEvent(QMoveEvent*) {
  const QPoint newOuter = geometry().topLeft() - clientOffset_;
  if (newOuter == outer.topLeft()) return;
  outer.moveTopLeft(newOuter);
  PlatformInput input{};
  input.type = kPlatformInputMoved;
  input.x = newOuter.x();
  input.y = newOuter.y();
  Report(input);
}

bool PlatformWindowRecord::event(QEvent* event) {
  if (isWindow() && (event->type() == QEvent::WindowActivate ||
                     event->type() == QEvent::WindowDeactivate)) {
    PlatformInput input{};
    input.type = event->type() == QEvent::WindowActivate ? kPlatformInputActivate
                                                         : kPlatformInputDeactivate;
    Report(input);
  }
  return QWidget::event(event);
}

uint32_t QtModifiersOf(Qt::KeyboardModifiers modifiers) {
  uint32_t bits = 0;
  if (modifiers & Qt::ShiftModifier) bits |= kPlatformModShift;
  if (modifiers & Qt::ControlModifier) bits |= kPlatformModControl;
  if (modifiers & Qt::AltModifier) bits |= kPlatformModAlt;
  return bits;
}
