// The desktop's wish for less animation. The backend runs without the
// desktop's platform theme (so every desktop shows the same program), so it
// asks the desktop itself: the settings portal's "enable-animations" of the
// session, which the common desktops publish. Asked once; a session without
// a bus or without the portal has no such setting.

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>

#include <optional>

#include "platform/system.h"

namespace {

// The portal answers at once or not at all; the lobby must not wait long.
constexpr int kPortalTimeoutMs = 300;

bool AskPortal() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusInterface settings(QStringLiteral("org.freedesktop.portal.Desktop"),
                          QStringLiteral("/org/freedesktop/portal/desktop"),
                          QStringLiteral("org.freedesktop.portal.Settings"), bus);
  if (!settings.isValid()) return false;
  settings.setTimeout(kPortalTimeoutMs);
  const QDBusReply<QDBusVariant> reply =
      settings.call(QStringLiteral("Read"), QStringLiteral("org.gnome.desktop.interface"),
                    QStringLiteral("enable-animations"));
  if (!reply.isValid()) return false;
  // The value comes wrapped once more on some portal versions.
  QVariant value = reply.value().variant();
  if (value.canConvert<QDBusVariant>()) value = value.value<QDBusVariant>().variant();
  return value.typeId() == QMetaType::Bool && !value.toBool();
}

}  // namespace

bool PlatformDesktopReducesMotion() {
  static std::optional<bool> reduces;
  if (!reduces) reduces = AskPortal();
  return *reduces;
}
