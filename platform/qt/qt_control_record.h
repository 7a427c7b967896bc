#pragma once
// A native control of the Qt backend: a child window record that holds one
// Qt control filling it (QLineEdit, QPlainTextEdit or QPushButton). Being a
// record, it takes its place among its parent's children, so focus movement
// and visibility work as for any child window; the record itself never
// reports input of its own.

#include <QString>

#include <vector>

#include "platform/control.h"
#include "platform/qt/qt_window_record.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QKeyEvent;

struct PlatformControlRecord : public PlatformWindowRecord {
  PlatformControlRecord(PlatformWindowRecord* parent, uint16_t id, uintptr_t data);
  ~PlatformControlRecord() override;

  // Makes the Qt control; called once, right after construction.
  // kPlatformEditTypedOnly applies to single-line boxes.
  void MakeEdit(uint32_t flags);
  void MakeButton();

  QWidget* Control() const;
  // Edit text and positions in the program's form (CR LF line ends).
  QString Text() const;
  void SetText(const QString& text);
  void Selection(int32_t* start, int32_t* end) const;
  void Select(int32_t start, int32_t end);
  void ReplaceSelection(const QString& text);

  uint16_t id;
  // Only characters offered to the key filter change the text: no paste,
  // drop, context menu, or editing key of the control's own.
  bool typedOnly = false;
  QLineEdit* line = nullptr;
  QPlainTextEdit* multi = nullptr;
  QPushButton* button = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The Qt control draws and takes all input; nothing of it is reported as
  // the record's own.
  void paintEvent(QPaintEvent*) override {}
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent*) override {}
  void moveEvent(QMoveEvent*) override {}
  bool event(QEvent* event) override;

 private:
  void Adopt(QWidget* control);
  bool Editable() const;
  // False while the toolkit holds the control's window back.
  bool TakesInput();
  // Offers one character to the key filter; true lets the control have it.
  bool Offer(uint32_t character, uint32_t modifiers);
  bool FilterKey(QObject* watched, QKeyEvent* key);
  // A read-only multi-line box is read, not edited: the arrows, PageUp,
  // PageDown, Home and End scroll it whatever the caret does. True when
  // the key was such a one.
  bool ScrollReadOnly(const QKeyEvent& key);
  // Offers each character of a composed text in turn and types the ones let
  // through; characters outside Latin-1 are refused with a beep.
  void TypeText(const std::vector<uint32_t>& characters, uint32_t modifiers);
  // A change the Qt control made by its own means (paste, drop, an editing
  // key): kept when the box allows it, else undone with a beep.
  void TakeUserEdit();
  void RememberSelection();
  void ReportClick();

  QString accepted_;           // the single-line text as last accepted
  int acceptedStart_ = 0;      // its selection before the input now handled
  int acceptedEnd_ = 0;
  bool acceptedBackwards_ = false;
  bool passing_ = false;       // a key the filter let through, handled by the control
};

// The control record of a platform window, nullptr when it is no live control.
PlatformControlRecord* QtControlOf(PlatformWindow window);
