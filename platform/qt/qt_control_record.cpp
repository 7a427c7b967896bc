// Qt controls inside child window records, and the key pre-filter: every
// key that makes a character is offered to the toolkit's key filter before
// the Qt control sees it, so Tab, Enter and Escape never reach the control
// and a character procedure can swallow or take over typing.

#include "platform/qt/qt_control_record.h"

#include "platform/dialog.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

PlatformControlKeyFilter g_keyFilter = nullptr;
PlatformControlInputGate g_inputGate = nullptr;

// Keys that are the control's own editing commands on this desktop (paste,
// cut, undo, ...), even where the key also makes a control character: they
// are commands, not text, and a box that takes characters only refuses them.
bool IsEditingCommand(const QKeyEvent& key) {
  static constexpr QKeySequence::StandardKey kCommands[] = {
      QKeySequence::Paste,           QKeySequence::Cut,
      QKeySequence::Copy,            QKeySequence::Undo,
      QKeySequence::Redo,            QKeySequence::SelectAll,
      QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine,
      QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord,
  };
  for (const QKeySequence::StandardKey command : kCommands) {
    if (key.matches(command)) return true;
  }
  return false;
}

// The characters a key makes, as a native edit control would receive them,
// in order; codes above 0xFF are characters outside the program's set.
// Keys without one (arrows, Delete, function keys, editing commands) stay
// the control's own.
std::vector<uint32_t> CharactersOf(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return {9};
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return {13};
    case Qt::Key_Escape:
      return {27};
    case Qt::Key_Backspace:
      return {8};
    case Qt::Key_Delete:
      return {};
    default:
      break;
  }
  if (IsEditingCommand(key)) return {};
  std::vector<uint32_t> characters;
  for (const QChar c : key.text()) characters.push_back(c.unicode());
  return characters;
}

// Space presses the focused button, so it shows which one that is: a dotted
// frame inside its edge, whatever the style draws for focus (the style's
// own mark looks like the default button's, or shows only after keyboard
// focus changes).
class MarkedPushButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPushButton::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    QPen pen(Qt::black);
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(4, 4, -5, -5));
  }
};

bool FitsCharacterSet(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

// A multi-line box shows whole lines: the last visible line is never cut in
// half, the rest of the box below it stays blank.
class WholeLinesTextEdit : public QPlainTextEdit {
 public:
  explicit WholeLinesTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    // Scrolling moves the pixels already shown, the painted-over line with
    // them: every scrolled view is painted whole.
    QObject::connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect&, int dy) {
      if (dy != 0) viewport()->update();
    });
  }

 protected:
  // Pasted, dropped or middle-clicked text the program cannot hold is
  // refused whole, as typed characters are; nothing becomes "?".
  void insertFromMimeData(const QMimeData* source) override {
    if (source->hasText() && !FitsCharacterSet(source->text())) {
      PlatformBeep();
      return;
    }
    QPlainTextEdit::insertFromMimeData(source);
  }

  // A line the text area cuts off at its bottom edge is not shown at all.
  // Painted over rather than fitted by size: the first line starts below the
  // document's margin and a scrolled one at the very top, so no one height
  // shows whole lines in both.
  void paintEvent(QPaintEvent* event) override {
    QPlainTextEdit::paintEvent(event);
    const qreal bottom = viewport()->height();
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
      if (!block.isVisible()) continue;
      const QRectF area = blockBoundingGeometry(block).translated(offset);
      if (area.top() >= bottom) return;
      const QTextLayout* layout = block.layout();
      for (int i = 0; layout && i < layout->lineCount(); ++i) {
        const qreal top = area.top() + layout->lineAt(i).rect().top();
        if (top + layout->lineAt(i).height() > bottom + 0.01) {
          QPainter painter(viewport());
          painter.fillRect(QRectF(0, top, viewport()->width(), bottom - top), palette().base());
          return;
        }
      }
    }
  }
};

// Positions in the program's form count a line end as CR LF.
int32_t ToProgramPosition(const QString& text, int position) {
  const int n = std::clamp(position, 0, static_cast<int>(text.size()));
  return static_cast<int32_t>(n + text.left(n).count(QLatin1Char('\n')));
}

int ToQtPosition(const QString& text, int32_t position) {
  int at = 0;
  int64_t counted = 0;
  while (at < text.size() && counted < position) {
    counted += text.at(at) == QLatin1Char('\n') ? 2 : 1;
    ++at;
  }
  return at;
}

QString FromProgramLineEnds(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return text;
}

}  // namespace

void PlatformSetControlKeyFilter(PlatformControlKeyFilter filter) { g_keyFilter = filter; }
void PlatformSetControlInputGate(PlatformControlInputGate gate) { g_inputGate = gate; }

PlatformControlRecord* QtControlOf(PlatformWindow window) {
  if (!QtWindowIsLive(window)) return nullptr;
  return dynamic_cast<PlatformControlRecord*>(static_cast<PlatformWindowRecord*>(window));
}

PlatformControlRecord::PlatformControlRecord(PlatformWindowRecord* parent, uint16_t id_,
                                             uintptr_t data_)
    : PlatformWindowRecord(kPlatformWindowChild, parent, 0, data_), id(id_) {
  // The control paints every pixel of the record.
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setAttribute(Qt::WA_NoMousePropagation);
}

PlatformControlRecord::~PlatformControlRecord() {
  if (QWidget* control = Control()) {
    control->removeEventFilter(this);
    control->disconnect(this);
  }
}

QWidget* PlatformControlRecord::Control() const {
  if (line) return line;
  if (multi) return multi;
  return button;
}

void PlatformControlRecord::Adopt(QWidget* control) {
  control->setGeometry(rect());
  control->installEventFilter(this);
  setFocusProxy(control);
  control->show();
}

void PlatformControlRecord::MakeEdit(uint32_t flags) {
  if (flags & kPlatformEditMultiLine) {
    multi = new WholeLinesTextEdit(this);
    multi->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    multi->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    multi->setVerticalScrollBarPolicy((flags & kPlatformEditVScroll) ? Qt::ScrollBarAlwaysOn
                                                                     : Qt::ScrollBarAlwaysOff);
    multi->setFrameShape((flags & kPlatformEditBorder) ? QFrame::Box : QFrame::NoFrame);
    multi->setLineWidth(1);
    multi->setTabChangesFocus(false);
    Adopt(multi);
  } else {
    line = new QLineEdit(this);
    line->setFrame((flags & kPlatformEditBorder) != 0);
    typedOnly = (flags & kPlatformEditTypedOnly) != 0;
    if (typedOnly) {
      line->setContextMenuPolicy(Qt::NoContextMenu);
      line->setAcceptDrops(false);
    }
    // Set by the program's changes only, never by its own: its own edits
    // are checked here.
    QObject::connect(line, &QLineEdit::textEdited, this, [this] { TakeUserEdit(); });
    Adopt(line);
  }
  // Input methods deliver text past the key filter; composed keys still come
  // as key presses with their text.
  Control()->setAttribute(Qt::WA_InputMethodEnabled, false);
}

void PlatformControlRecord::MakeButton() {
  button = new MarkedPushButton(this);
  // The toolkit alone decides which button Enter presses.
  button->setAutoDefault(false);
  button->setDefault(false);
  QObject::connect(button, &QPushButton::clicked, this, [this] { ReportClick(); });
  Adopt(button);
}

bool PlatformControlRecord::Editable() const {
  return (line && !line->isReadOnly()) || (multi && !multi->isReadOnly());
}

QString PlatformControlRecord::Text() const {
  if (line) return line->text();
  if (multi) return multi->toPlainText().replace(QLatin1String("\n"), QLatin1String("\r\n"));
  return QString();
}

void PlatformControlRecord::SetText(const QString& text) {
  if (line) {
    line->setText(text);
    accepted_ = line->text();
  }
  if (multi) multi->setPlainText(FromProgramLineEnds(text));
}

void PlatformControlRecord::Selection(int32_t* start, int32_t* end) const {
  int s = 0;
  int e = 0;
  if (line) {
    if (line->hasSelectedText()) {
      s = line->selectionStart();
      e = line->selectionEnd();
    } else {
      s = e = line->cursorPosition();
    }
    *start = s;
    *end = e;
    return;
  }
  if (multi) {
    const QTextCursor cursor = multi->textCursor();
    const QString text = multi->toPlainText();
    *start = ToProgramPosition(text, cursor.selectionStart());
    *end = ToProgramPosition(text, cursor.selectionEnd());
    return;
  }
  *start = *end = 0;
}

void PlatformControlRecord::Select(int32_t start, int32_t end) {
  if (line) {
    const int length = static_cast<int>(line->text().size());
    const int s = std::clamp<int32_t>(start, 0, length);
    const int e = std::clamp<int32_t>(end, 0, length);
    if (s == e) {
      line->deselect();
      line->setCursorPosition(e);
    } else {
      line->setSelection(s, e - s);
    }
    return;
  }
  if (multi) {
    const QString text = multi->toPlainText();
    QTextCursor cursor = multi->textCursor();
    cursor.setPosition(ToQtPosition(text, std::max<int32_t>(start, 0)));
    cursor.setPosition(ToQtPosition(text, std::max<int32_t>(end, 0)), QTextCursor::KeepAnchor);
    multi->setTextCursor(cursor);
  }
}

void PlatformControlRecord::ReplaceSelection(const QString& text) {
  if (line) {
    // Setting the whole text leaves the control nothing to undo.
    int32_t s = 0;
    int32_t e = 0;
    Selection(&s, &e);
    QString all = line->text();
    all.replace(s, e - s, text);
    line->setText(all);
    line->setCursorPosition(static_cast<int>(std::min<qsizetype>(s + text.size(), line->text().size())));
    accepted_ = line->text();
    return;
  }
  if (multi) {
    QTextDocument* document = multi->document();
    QTextCursor cursor = multi->textCursor();
    document->setUndoRedoEnabled(false);
    cursor.insertText(FromProgramLineEnds(text));
    document->setUndoRedoEnabled(true);
    multi->setTextCursor(cursor);
  }
}

bool PlatformControlRecord::Offer(uint32_t character, uint32_t modifiers) {
  if (!g_keyFilter) return true;
  // Tab, Enter and Escape go on to the window's procedure from here, so the
  // window is as busy as for input of its own: it may open a box it owns.
  QtRecordHold window(owner);
  BeginReport();
  const bool let = g_keyFilter(this, character, modifiers);
  const bool alive = EndReport();
  return let && alive;
}

bool PlatformControlRecord::TakesInput() {
  if (!g_inputGate) return true;
  BeginReport();
  const bool takes = g_inputGate(this);
  const bool alive = EndReport();
  return takes && alive;
}

void PlatformControlRecord::RememberSelection() {
  if (!line) return;
  if (line->hasSelectedText()) {
    acceptedStart_ = line->selectionStart();
    acceptedEnd_ = line->selectionEnd();
    acceptedBackwards_ = line->cursorPosition() == acceptedStart_;
  } else {
    acceptedStart_ = acceptedEnd_ = line->cursorPosition();
    acceptedBackwards_ = false;
  }
}

void PlatformControlRecord::TakeUserEdit() {
  if (!line) return;
  const QString now = line->text();
  if ((!typedOnly || passing_) && FitsCharacterSet(now)) {
    accepted_ = now;
    return;
  }
  // Undone before anything is painted: the refused text never shows.
  line->setText(accepted_);
  if (acceptedStart_ == acceptedEnd_) {
    line->setCursorPosition(acceptedEnd_);
  } else if (acceptedBackwards_) {
    line->setSelection(acceptedEnd_, acceptedStart_ - acceptedEnd_);
  } else {
    line->setSelection(acceptedStart_, acceptedEnd_ - acceptedStart_);
  }
  PlatformBeep();
}

void PlatformControlRecord::TypeText(const std::vector<uint32_t>& characters, uint32_t modifiers) {
  bool refused = false;
  for (const uint32_t c : characters) {
    if (c > 0xFF) {
      refused = true;
      continue;
    }
    if (!Offer(c, modifiers)) {
      if (!QtWindowIsLive(this)) return;
      continue;
    }
    if (Editable()) ReplaceSelection(QString(QChar(static_cast<char16_t>(c))));
  }
  if (refused && Editable()) PlatformBeep();
}

bool PlatformControlRecord::ScrollReadOnly(const QKeyEvent& key) {
  if (!multi || !multi->isReadOnly() || key.modifiers() != Qt::NoModifier) return false;
  QScrollBar* bar = multi->verticalScrollBar();
  switch (key.key()) {
    case Qt::Key_Up: bar->triggerAction(QAbstractSlider::SliderSingleStepSub); return true;
    case Qt::Key_Down: bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); return true;
    case Qt::Key_PageUp: bar->triggerAction(QAbstractSlider::SliderPageStepSub); return true;
    case Qt::Key_PageDown: bar->triggerAction(QAbstractSlider::SliderPageStepAdd); return true;
    case Qt::Key_Home: bar->triggerAction(QAbstractSlider::SliderToMinimum); return true;
    case Qt::Key_End: bar->triggerAction(QAbstractSlider::SliderToMaximum); return true;
    default: return false;
  }
}

bool PlatformControlRecord::FilterKey(QObject* watched, QKeyEvent* key) {
  // The control's own handling of a key the filter let through.
  if (passing_) return false;
  if (!TakesInput()) return true;
  if (ScrollReadOnly(*key)) return true;
  const std::vector<uint32_t> characters = CharactersOf(*key);
  if (characters.empty()) {
    RememberSelection();
    return false;
  }
  const uint32_t modifiers = QtModifiersOf(key->modifiers());
  if (characters.size() > 1 || characters[0] > 0xFF) {
    TypeText(characters, modifiers);
    return true;
  }
  if (!Offer(characters[0], modifiers)) return true;
  RememberSelection();
  if (!typedOnly) return false;
  // A box that takes characters only lets its control handle this one key
  // as a character, under the filter's eyes.
  const std::unique_ptr<QKeyEvent> copy(key->clone());
  passing_ = true;
  QCoreApplication::sendEvent(watched, copy.get());
  passing_ = false;
  return true;
}

bool PlatformControlRecord::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      return FilterKey(watched, static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      if (!TakesInput()) return true;
      // The middle button pastes the selection on this desktop.
      if (typedOnly && static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton) return true;
      RememberSelection();
      return false;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      if (typedOnly || !TakesInput()) {
        event->ignore();
        return true;
      }
      RememberSelection();
      return false;
    case QEvent::ContextMenu:
      return typedOnly || !TakesInput();

    default:
      return QWidget::eventFilter(watched, event);
  }
}

void PlatformControlRecord::ReportClick() {
  if (!owner) return;
  PlatformInput input{};
  input.type = kPlatformInputCommand;
  input.control = this;
  input.code = kPlatformCommandClicked;
  PlatformWindowRecord* parent = owner;
  BeginReport();
  parent->Report(input);
  EndReport();
}

void PlatformControlRecord::resizeEvent(QResizeEvent*) {
  if (QWidget* control = Control()) control->setGeometry(rect());
}

void PlatformControlRecord::mousePressEvent(QMouseEvent* event) { event->accept(); }
void PlatformControlRecord::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }
void PlatformControlRecord::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }
// Keys the Qt control leaves alone end here, as they would in a native
// control, instead of travelling on to the parent window.
void PlatformControlRecord::keyPressEvent(QKeyEvent* event) { event->accept(); }

bool PlatformControlRecord::event(QEvent* event) { return QWidget::event(event); }
