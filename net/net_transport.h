#pragma once
// How the socket layer reaches the lobby server: TLS with the certificate
// checks, or plain. Built-in values (the build's SALVIND_SERVER_TLS and
// SALVIND_SERVER_PIN) that the environment may override:
//   SALVIND_SERVER_TLS=off  plain, as servers without TLS need; any other
//                           value keeps TLS (there is no fall-back to plain)
//   SALVIND_SERVER_CA=FILE  one more trusted PEM certificate (a private or
//                           demo server's own)
//   SALVIND_SERVER_PIN=HEX  the SHA-256 of the server's public key, 64 hex
//                           digits; it then stands in for the trusted
//                           certificates. A pin that is not 64 hex digits
//                           matches no server.

#include <cstdint>
#include <string>

inline constexpr char kServerTlsVariable[] = "SALVIND_SERVER_TLS";
inline constexpr char kServerCaVariable[] = "SALVIND_SERVER_CA";
inline constexpr char kServerPinVariable[] = "SALVIND_SERVER_PIN";

struct NetTransport {
  bool tls = true;
  std::string extraCaFile;  // empty: none
  bool pinned = false;
  uint8_t pin[32] = {};     // all zero for a pin that did not parse: no key hashes to it
};

NetTransport NetTransportGet();
// 64 hex digits (either case) into 32 bytes; false for anything else.
bool NetPinParse(const char* text, uint8_t pin[32]);
