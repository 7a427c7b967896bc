#include "platform/qt/qt_access.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include <algorithm>

#include "platform/access.h"
#include "platform/qt/qt_window_record.h"

namespace {

PlatformWindowRecord* Live(PlatformWindow window) {
  return QtWindowIsLive(window) ? static_cast<PlatformWindowRecord*>(window) : nullptr;
}

// One item of a window; it reads the item from the window each time, so it
// stays right while the items change under the same index.
class ItemInterface : public QAccessibleInterface {
 public:
  ItemInterface(PlatformWindowRecord* window, int index) : window_(window), index_(index) {}

  bool isValid() const override { return Item() != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return window_ ? window_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return window_ ? QAccessible::queryAccessibleInterface(window_) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QString text(QAccessible::Text t) const override {
    const QtAccessItem* item = Item();
    return item && t == QAccessible::Name ? item->name : QString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    const QtAccessItem* item = Item();
    if (!item) return {};
    return QRect(window_->mapToGlobal(item->rect.topLeft()), item->rect.size());
  }
  QAccessible::Role role() const override {
    const QtAccessItem* item = Item();
    return item && item->button ? QAccessible::Button : QAccessible::ListItem;
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.focusable = true;
    s.selectable = true;
    const bool current = window_ && window_->access.focus == index_;
    s.focused = current && window_->hasFocus();
    s.selected = current;
    return s;
  }

 private:
  const QtAccessItem* Item() const {
    if (!window_ || !QtWindowIsLive(window_)) return nullptr;
    const auto& items = window_->access.items;
    return index_ < static_cast<int>(items.size()) ? &items[static_cast<size_t>(index_)] : nullptr;
  }
  QPointer<PlatformWindowRecord> window_;
  int index_;
};

QAccessibleInterface* ItemAt(PlatformWindowRecord* record, int index) {
  QtAccessState& access = record->access;
  if (index < 0 || index >= static_cast<int>(access.items.size())) return nullptr;
  if (access.ids.size() < access.items.size()) access.ids.resize(access.items.size(), 0);
  unsigned& id = access.ids[static_cast<size_t>(index)];
  if (id == 0) id = QAccessible::registerAccessibleInterface(new ItemInterface(record, index));
  return QAccessible::accessibleInterface(id);
}

// A window of the backend: its widgets, then its items; its title names it.
class WindowInterface : public QAccessibleWidget {
 public:
  explicit WindowInterface(PlatformWindowRecord* record)
      : QAccessibleWidget(record, record->isWindow() ? QAccessible::Window : QAccessible::Pane) {}

  int childCount() const override {
    return QAccessibleWidget::childCount() + static_cast<int>(Record()->access.items.size());
  }
  QAccessibleInterface* child(int index) const override {
    const int widgets = QAccessibleWidget::childCount();
    if (index < widgets) return QAccessibleWidget::child(index);
    return ItemAt(Record(), index - widgets);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const int widgets = QAccessibleWidget::childCount();
    const auto& ids = Record()->access.ids;
    for (size_t i = 0; i < ids.size(); ++i) {
      if (ids[i] != 0 && QAccessible::accessibleInterface(ids[i]) == child) return widgets + static_cast<int>(i);
    }
    return QAccessibleWidget::indexOfChild(child);
  }
  QAccessibleInterface* focusChild() const override {
    if (Record()->access.focus >= 0 && Record()->hasFocus()) return ItemAt(Record(), Record()->access.focus);
    return QAccessibleWidget::focusChild();
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && Record()->isWindow() && Record()->accessibleName().isEmpty()) {
      return Record()->windowTitle();
    }
    return QAccessibleWidget::text(t);
  }

 private:
  PlatformWindowRecord* Record() const { return static_cast<PlatformWindowRecord*>(widget()); }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  auto* record = qobject_cast<QWidget*>(object) ? dynamic_cast<PlatformWindowRecord*>(object) : nullptr;
  return record ? new WindowInterface(record) : nullptr;
}

void TellFocus(PlatformWindowRecord* record) {
  if (!QAccessible::isActive() || !record->hasFocus()) return;
  QAccessibleInterface* item = ItemAt(record, record->access.focus);
  if (!item) return;
  QAccessibleEvent event(item, QAccessible::Focus);
  QAccessible::updateAccessibility(&event);
}

}  // namespace

void QtAccessInstall() { QAccessible::installFactory(&Factory); }

void PlatformWindowSetAccessItems(PlatformWindow window, const PlatformAccessItem* items, int32_t count) {
  PlatformWindowRecord* record = Live(window);
  if (!record) return;
  QtAccessState& access = record->access;
  std::vector<QtAccessItem> next;
  for (int32_t i = 0; items && i < count; ++i) {
    const PlatformRect& r = items[i].rect;
    next.push_back({QRect(r.left, r.top, r.right - r.left, r.bottom - r.top),
                    QString::fromLatin1(items[i].name ? items[i].name : ""), items[i].role == kPlatformAccessButton});
  }
  // Items past the new end are gone for readers too.
  for (size_t i = next.size(); i < access.ids.size(); ++i) {
    if (access.ids[i] != 0) QAccessible::deleteAccessibleInterface(access.ids[i]);
  }
  if (access.ids.size() > next.size()) access.ids.resize(next.size());
  const bool namesChanged = next.size() != access.items.size() ||
                            !std::equal(next.begin(), next.end(), access.items.begin(),
                                        [](const QtAccessItem& a, const QtAccessItem& b) { return a.name == b.name; });
  access.items = std::move(next);
  if (access.focus >= static_cast<int>(access.items.size())) access.focus = -1;
  if (namesChanged && QAccessible::isActive()) {
    QAccessibleEvent event(record, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
  }
}

void PlatformWindowSetAccessFocus(PlatformWindow window, int32_t index) {
  PlatformWindowRecord* record = Live(window);
  if (!record) return;
  record->access.focus = index;
  TellFocus(record);
}
