#pragma once
// Telling a TLS client from a plain one on the shared port. A TLS record
// starts with its content type, 0x16 for a handshake; every message a plain
// client may send first (AccessRequest, Echo) has a small 32-bit big-endian
// type, so its first byte is 0.

#include <cstdint>

enum class FirstByteKind : uint8_t { kTls, kPlain, kNeither };

FirstByteKind FirstByteClassify(uint8_t first);
