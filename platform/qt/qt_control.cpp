// Native controls on Qt: the seam's control operations over
// PlatformControlRecord.

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/control.h"
#include "platform/qt/qt_control_record.h"
#include "platform/qt/qt_state.h"

namespace {

QRect ToQRect(const PlatformRect& r) {
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

PlatformControlRecord* Make(PlatformWindow parent, const PlatformRect& rect, uint16_t id,
                            uintptr_t data) {
  if (!QApplication::instance() || !QtWindowIsLive(parent)) return nullptr;
  auto* record = new (std::nothrow) PlatformControlRecord(parent, id, data);
  if (record) record->Place(ToQRect(rect));
  return record;
}

}  // namespace

PlatformWindow PlatformEditCreate(PlatformWindow parent, const PlatformRect& rect, uint32_t flags,
                                  const char* text, uint16_t id, uintptr_t data) {
  PlatformControlRecord* record = Make(parent, rect, id, data);
  if (!record) return nullptr;
  record->MakeEdit(flags);
  if (text) record->SetText(QString::fromLatin1(text));
  record->show();
  return record;
}

PlatformWindow PlatformButtonCreate(PlatformWindow parent, const PlatformRect& rect,
                                    const char* title, bool visible, bool enabled, uint16_t id,
                                    uintptr_t data) {
  PlatformControlRecord* record = Make(parent, rect, id, data);
  if (!record) return nullptr;
  record->MakeButton();
  record->button->setText(QString::fromLatin1(title ? title : ""));
  record->button->setEnabled(enabled);
  if (visible) record->show();
  return record;
}

void PlatformEditSetText(PlatformWindow edit, const char* text) {
  if (PlatformControlRecord* record = QtControlOf(edit)) {
    record->SetText(QString::fromLatin1(text ? text : ""));
  }
}

int32_t PlatformEditTextLength(PlatformWindow edit) {
  PlatformControlRecord* record = QtControlOf(edit);
  return record ? static_cast<int32_t>(record->Text().size()) : 0;
}

int32_t PlatformEditGetText(PlatformWindow edit, char* buffer, int32_t capacity) {
  if (!buffer || capacity <= 0) return 0;
  PlatformControlRecord* record = QtControlOf(edit);
  const QByteArray text = record ? record->Text().toLatin1() : QByteArray();
  const int32_t n = static_cast<int32_t>(std::min<qsizetype>(text.size(), capacity - 1));
  if (n > 0) std::memcpy(buffer, text.constData(), static_cast<size_t>(n));
  buffer[n] = '\0';
  return n;
}

void PlatformEditGetSelection(PlatformWindow edit, int32_t* start, int32_t* end) {
  *start = 0;
  *end = 0;
  if (PlatformControlRecord* record = QtControlOf(edit)) record->Selection(start, end);
}

void PlatformEditSetSelection(PlatformWindow edit, int32_t start, int32_t end) {
  if (PlatformControlRecord* record = QtControlOf(edit)) record->Select(start, end);
}

void PlatformEditReplaceSelection(PlatformWindow edit, const char* text) {
  if (PlatformControlRecord* record = QtControlOf(edit)) {
    record->ReplaceSelection(QString::fromLatin1(text ? text : ""));
  }
}

void PlatformEditSetReadOnly(PlatformWindow edit, bool readOnly) {
  PlatformControlRecord* record = QtControlOf(edit);
  if (!record) return;
  if (record->line) record->line->setReadOnly(readOnly);
  if (record->multi) record->multi->setReadOnly(readOnly);
}

void PlatformControlSetFont(PlatformWindow control, PlatformFont font) {
  PlatformControlRecord* record = QtControlOf(control);
  if (record && record->Control()) record->Control()->setFont(QtFontOf(font));
}

void PlatformButtonSetTitle(PlatformWindow button, const char* title) {
  PlatformControlRecord* record = QtControlOf(button);
  if (record && record->button) record->button->setText(QString::fromLatin1(title ? title : ""));
}

void PlatformButtonSetEnabled(PlatformWindow button, bool enabled) {
  PlatformControlRecord* record = QtControlOf(button);
  if (record && record->button) record->button->setEnabled(enabled);
}

void PlatformButtonSetDefaultLook(PlatformWindow button, bool isDefault) {
  PlatformControlRecord* record = QtControlOf(button);
  if (record && record->button) record->button->setDefault(isDefault);
}
