#pragma once
// A native control of the Qt backend: a child window record that holds one
// Qt control filling it (QLineEdit, QPlainTextEdit or QPushButton). Being a
// record, it takes its place among its parent's children, so focus movement
// and visibility work as for any child window; the record itself never
// reports input of its own.

#include <QString>

#include "platform/control.h"
#include "platform/qt/qt_window_record.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

struct PlatformControlRecord : public PlatformWindowRecord {
  PlatformControlRecord(PlatformWindowRecord* parent, uint16_t id, uintptr_t data);
  ~PlatformControlRecord() override;

  // Makes the Qt control; called once, right after construction.
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
  // Offers one character to the key filter; true lets the control have it.
  bool Offer(uint32_t character, uint32_t modifiers);
  void ReportClick();
};

// The control record of a platform window, nullptr when it is no live control.
PlatformControlRecord* QtControlOf(PlatformWindow window);
