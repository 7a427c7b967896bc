// Host lookup on Qt: QHostInfo answers on the program's thread.

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QTimer>

#include "platform/qt/qt_callback_hold.h"
#include "platform/socket.h"
#include "platform/testing.h"

namespace {

PlatformLookupHook g_lookupHook = nullptr;

uint32_t FirstIpv4(const QHostInfo& info) {
  if (info.error() != QHostInfo::NoError) return 0;
  for (const QHostAddress& address : info.addresses()) {
    bool ok = false;
    const uint32_t v4 = address.toIPv4Address(&ok);
    if (ok && v4 != 0) return v4;
  }
  return 0;
}

}  // namespace

void PlatformSetLookupHook(PlatformLookupHook hook) { g_lookupHook = hook; }

bool PlatformLookupStart(const char* name, PlatformLookupCallback callback, uintptr_t userData) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!name || !*name || !callback || !app) return false;
  if (g_lookupHook) {
    const uint32_t address = g_lookupHook(name);
    QTimer::singleShot(0, app, [callback, userData, address] {
      QtCallOrDefer([callback, userData, address] { callback(address, userData); });
    });
    return true;
  }
  QHostInfo::lookupHost(QString::fromLatin1(name), app, [callback, userData](const QHostInfo& info) {
    const uint32_t address = FirstIpv4(info);
    QtCallOrDefer([callback, userData, address] { callback(address, userData); });
  });
  return true;
}

bool PlatformLookupNow(const char* name, uint32_t* address) {
  if (!name || !*name) return false;
  const uint32_t found = g_lookupHook ? g_lookupHook(name) : FirstIpv4(QHostInfo::fromName(QString::fromLatin1(name)));
  if (found == 0) return false;
  *address = found;
  return true;
}
