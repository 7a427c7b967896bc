// Qt controls inside child window records, and the key pre-filter: every
// key that makes a character is offered to the toolkit's key filter before
// the Qt control sees it, so Tab, Enter and Escape never reach the control
// and a character procedure can swallow or take over typing.

#include "platform/qt/qt_control_record.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace {

PlatformControlKeyFilter g_keyFilter = nullptr;

// The characters a key makes, as a native edit control would receive them.
// Keys without one (arrows, Delete, function keys) stay the control's own.
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
  std::vector<uint32_t> characters;
  for (const QChar c : key.text()) {
    // Characters outside Latin-1 have no code in the program's character set.
    if (c.unicode() <= 0xFF) characters.push_back(c.unicode());
  }
  return characters;
}

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
    multi = new QPlainTextEdit(this);
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
    Adopt(line);
  }
}

void PlatformControlRecord::MakeButton() {
  button = new QPushButton(this);
  // The toolkit alone decides which button Enter presses.
  button->setAutoDefault(false);
  button->setDefault(false);
  QObject::connect(button, &QPushButton::clicked, this, [this] { ReportClick(); });
  Adopt(button);
}

QString PlatformControlRecord::Text() const {
  if (line) return line->text();
  if (multi) return multi->toPlainText().replace(QLatin1String("\n"), QLatin1String("\r\n"));
  return QString();
}

void PlatformControlRecord::SetText(const QString& text) {
  if (line) line->setText(text);
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
  BeginReport();
  const bool let = g_keyFilter(this, character, modifiers);
  const bool alive = EndReport();
  return let && alive;
}

bool PlatformControlRecord::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  const std::vector<uint32_t> characters = CharactersOf(*key);
  if (characters.empty()) return false;
  const uint32_t modifiers = QtModifiersOf(key->modifiers());
  if (characters.size() == 1) return !Offer(characters[0], modifiers);
  // A composed text: each character is offered on its own, and the ones let
  // through are typed here.
  for (const uint32_t c : characters) {
    if (!Offer(c, modifiers)) {
      if (!QtWindowIsLive(this)) return true;
      continue;
    }
    const bool editable = (line && !line->isReadOnly()) || (multi && !multi->isReadOnly());
    if (editable) ReplaceSelection(QString(QChar(static_cast<char16_t>(c))));
  }
  return true;
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
