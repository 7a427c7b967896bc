// Until the backend has windows of its own, no handle names a widget.

#include <QWidget>

#include "platform/qt/qt_state.h"

QWidget* QtWidgetOf(PlatformWindow) { return nullptr; }

void QtActivateAfterModal(QWidget* owner) {
  if (owner) owner->activateWindow();
}
