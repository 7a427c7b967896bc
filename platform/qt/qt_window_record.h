#pragma once
// The native window of the Qt backend: a QWidget that shows the toolkit's
// buffer and turns Qt events into raw input reports.

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <vector>

#include "platform/qt/qt_access.h"
#include "platform/qt/qt_text_overlay.h"
#include "platform/window.h"

struct PlatformWindowRecord : public QWidget {
  PlatformWindowRecord(PlatformWindowType type, PlatformWindowRecord* parent,
                       uint32_t decorations, uintptr_t data);
  ~PlatformWindowRecord() override;

  // Sends one report to the toolkit's handler. The record may be destroyed by
  // the handler; it is then only deleted once the Qt event has returned.
  bool Report(const PlatformInput& input);
  // Places the outer rectangle and the widget's geometry from it.
  void Place(const QRect& outer);
  QPoint ClientOffset() const { return clientOffset_; }
  QPoint ClientOriginOnScreen() const;
  QRect OuterOnScreen() const;
  void Present(const QRect& rect);
  void Invalidate(const QRect& rect);
  // Asks Qt again for the areas still owed an Expose report.
  void RepaintOwed();
  // Handles destruction from inside this record's own event handlers.
  void Destroy();

  PlatformWindowType type;
  uintptr_t data;
  PlatformWindowRecord* owner;  // parent or owner record, nullptr for none
  std::vector<PlatformWindowRecord*> children;  // child windows, creation order
  QRect outer;                   // placement coordinates
  QImage image;                  // wraps the toolkit's buffer, no copy
  PlatformInputHandler handler = nullptr;  // own procedure; nullptr: the program-wide one
  uint32_t decorations = 0;      // the kPlatformDecor bits it was made with
  bool stayOnTop = false;        // kept above every window without it
  bool exposedOnce = false;
  QtTextOverlay textOverlay;     // sharp text over the enlarged buffer
  QtAccessState access;          // the items the program describes for readers

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool event(QEvent* event) override;
  // Tab is ours: the toolkit moves the focus itself.
  bool focusNextPrevChild(bool) override { return false; }
  // Brackets a call into the toolkit that may destroy this record; EndReport
  // is false when it was destroyed meanwhile (it is deleted later).
  void BeginReport() { ++reporting_; }
  bool EndReport();

 private:
  friend class QtRecordHold;
  void ReportMouse(PlatformInputType type, QMouseEvent* event);
  void Detach();

  QPoint clientOffset_;
  QRegion needsPaint_;     // areas owed an Expose report
  bool presenting_ = false;
  int reporting_ = 0;      // depth of Report calls on the stack
  bool doomed_ = false;    // destroyed while reporting
};

// Keeps a record from being deleted while something further up the stack
// still uses it (a Qt event of a child, a box it owns): destroying it
// meanwhile only detaches and hides it, and it is deleted once the last hold
// ends. A record that is not live is not held.
class QtRecordHold {
 public:
  explicit QtRecordHold(PlatformWindowRecord* record);
  ~QtRecordHold();
  QtRecordHold(const QtRecordHold&) = delete;
  QtRecordHold& operator=(const QtRecordHold&) = delete;
  // False once the record was destroyed during the hold.
  bool Alive() const;

 private:
  PlatformWindowRecord* record_;
};

// Every live record, for lookups from raw pointers.
bool QtWindowIsLive(const PlatformWindowRecord* record);
// Top-level records, topmost first (shown or raised last comes first).
std::vector<PlatformWindowRecord*>& QtWindowZOrder();
// The live record whose buffer is pixels, or nullptr.
PlatformWindowRecord* QtWindowOfBuffer(const uint32_t* pixels);
// The record holding the capture, or nullptr.
PlatformWindowRecord* QtWindowCaptureRecord();

// The platform's modifier bits (kPlatformMod...) of a Qt event's modifiers.
uint32_t QtModifiersOf(Qt::KeyboardModifiers modifiers);
