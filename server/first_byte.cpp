#include "server/first_byte.h"

namespace {
constexpr uint8_t kTlsHandshakeRecord = 0x16;
}  // namespace

FirstByteKind FirstByteClassify(uint8_t first) {
  if (first == kTlsHandshakeRecord) return FirstByteKind::kTls;
  if (first == 0) return FirstByteKind::kPlain;
  return FirstByteKind::kNeither;
}
