#include "net/net_transport.h"

#include <cstdlib>
#include <cstring>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

const char* Variable(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

}  // namespace

bool NetPinParse(const char* text, uint8_t pin[32]) {
  if (!text || std::strlen(text) != 64) return false;
  uint8_t bytes[32];
  for (int i = 0; i < 32; ++i) {
    const int high = HexDigit(text[2 * i]);
    const int low = HexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<uint8_t>(high << 4 | low);
  }
  std::memcpy(pin, bytes, sizeof bytes);
  return true;
}

NetTransport NetTransportGet() {
  NetTransport t;
  const char* tls = Variable(kServerTlsVariable);
  t.tls = tls ? std::strcmp(tls, "off") != 0 : SALVIND_SERVER_TLS_DEFAULT != 0;
  if (const char* ca = Variable(kServerCaVariable)) t.extraCaFile = ca;
  const char* pin = Variable(kServerPinVariable);
  if (!pin && *SALVIND_SERVER_PIN_DEFAULT) pin = SALVIND_SERVER_PIN_DEFAULT;
  if (pin) {
    t.pinned = true;
    if (!NetPinParse(pin, t.pin)) std::memset(t.pin, 0, sizeof t.pin);
  }
  return t;
}
