#include "platform/qt/posix_tls.h"

#include <openssl/err.h>
#include <openssl/sha.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <arpa/inet.h>
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

// A server that accepts the connection but never finishes the handshake
// (one that waits for the protocol's first message, say) is given up on.
constexpr int kHandshakeLimitMs = 20000;

bool IsAddress(const char* name) {
  in_addr v4;
  in6_addr v6;
  return inet_pton(AF_INET, name, &v4) == 1 || inet_pton(AF_INET6, name, &v6) == 1;
}

SSL_CTX* MakeContext(const PlatformTlsCheck& check) {
  SSL_CTX* context = SSL_CTX_new(TLS_client_method());
  if (!context) return nullptr;
  bool ok = SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) == 1;
  SSL_CTX_set_options(context, SSL_OP_NO_RENEGOTIATION | SSL_OP_NO_COMPRESSION);
  // The socket layer moves its unsent tail to the front of its buffer and
  // offers it again, possibly with more behind it.
  SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  if (check.pin) {
    // The pin stands in for the chain (VerifyPinned), so no trust store.
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
  } else {
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    ok = ok && SSL_CTX_set_default_verify_paths(context) == 1;
    if (check.extraCaFile && *check.extraCaFile) {
      ok = ok && SSL_CTX_load_verify_locations(context, check.extraCaFile, nullptr) == 1;
    }
  }
  if (!ok) {
    SSL_CTX_free(context);
    return nullptr;
  }
  return context;
}

bool NameMatches(X509* cert, const char* name) {
  if (IsAddress(name)) return X509_check_ip_asc(cert, name, 0) == 1;
  return X509_check_host(cert, name, std::strlen(name), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS, nullptr) == 1;
}

bool PinMatches(X509* cert, const uint8_t* pin) {
  unsigned char* der = nullptr;
  const int length = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(cert), &der);
  if (length <= 0) return false;
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(der, static_cast<size_t>(length), digest);
  OPENSSL_free(der);
  return CRYPTO_memcmp(digest, pin, sizeof digest) == 0;
}

// With a pin, the server's own certificate decides: its name and its key's
// hash, whatever the chain above it. Checked inside the handshake, so a
// server that fails gets no more than the client's first flight.
int VerifyPinned(int, X509_STORE_CTX* store) {
  if (X509_STORE_CTX_get_error_depth(store) != 0) return 1;
  auto* tls = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
  const auto* check = tls ? static_cast<const PlatformTlsCheck*>(SSL_get_app_data(tls)) : nullptr;
  X509* cert = X509_STORE_CTX_get_current_cert(store);
  const bool ok = check && cert && NameMatches(cert, check->hostName) && PinMatches(cert, check->pin);
  if (ok) X509_STORE_CTX_set_error(store, X509_V_OK);
  return ok ? 1 : 0;
}

// Runs the handshake on the non-blocking socket, waiting in poll for what
// the library asks for, until the limit.
bool Handshake(SSL* tls, int fd) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHandshakeLimitMs);
  for (;;) {
    const int result = SSL_connect(tls);
    if (result == 1) return true;
    const int error = SSL_get_error(tls, result);
    short events;
    if (error == SSL_ERROR_WANT_READ) {
      events = POLLIN;
    } else if (error == SSL_ERROR_WANT_WRITE) {
      events = POLLOUT;
    } else {
      return false;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
    pollfd p = {fd, events, 0};
    if (left <= 0) return false;
    const int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno != EINTR) return false;
  }
}

}  // namespace

SSL* PosixTlsHandshake(int fd, const PlatformTlsCheck& check, PlatformTlsFault* fault) {
  *fault = PlatformTlsFault::kIdentity;
  if (!check.hostName || !*check.hostName) return nullptr;
  SSL_CTX* context = MakeContext(check);
  if (!context) {
    ERR_clear_error();
    return nullptr;
  }
  SSL* tls = SSL_new(context);
  // The session holds its own reference to the context.
  SSL_CTX_free(context);
  if (!tls) return nullptr;
  const bool address = IsAddress(check.hostName);
  bool ok = SSL_set_fd(tls, fd) == 1;
  if (!address) ok = ok && SSL_set_tlsext_host_name(tls, check.hostName) == 1;
  if (check.pin) {
    SSL_set_app_data(tls, const_cast<PlatformTlsCheck*>(&check));
    SSL_set_verify(tls, SSL_VERIFY_PEER, &VerifyPinned);
  } else {
    // The library checks the name with the chain.
    ok = ok && (address ? X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(tls), check.hostName) == 1
                        : SSL_set1_host(tls, check.hostName) == 1);
  }
  ok = ok && Handshake(tls, fd);
  // The check lives no longer than this call.
  SSL_set_app_data(tls, nullptr);
  ERR_clear_error();
  if (!ok) {
    SSL_free(tls);
    return nullptr;
  }
  *fault = PlatformTlsFault::kNone;
  return tls;
}

PosixTlsState PosixTlsPeek(SSL* tls) {
  char byte;
  const int n = SSL_peek(tls, &byte, 1);
  if (n > 0) return PosixTlsState::kData;
  const int error = SSL_get_error(tls, n);
  ERR_clear_error();
  if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) return PosixTlsState::kNothing;
  if (error == SSL_ERROR_SYSCALL && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
    return PosixTlsState::kNothing;
  }
  // The closing alert, a peer that left without it, or a broken stream.
  return PosixTlsState::kEnd;
}

bool PosixTlsPending(SSL* tls) { return SSL_pending(tls) > 0; }

namespace {

// SSL_read's and SSL_write's result in the seam's terms: bytes moved, 0 for
// "not now", -1 for the end or an error.
int32_t SeamResult(SSL* tls, int n) {
  if (n > 0) return n;
  const int error = SSL_get_error(tls, n);
  ERR_clear_error();
  return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE ? 0 : -1;
}

int Clamp(uint32_t count) { return static_cast<int>(count > 0x40000000u ? 0x40000000u : count); }

}  // namespace

int32_t PosixTlsRead(SSL* tls, void* buffer, uint32_t count) {
  return count == 0 ? 0 : SeamResult(tls, SSL_read(tls, buffer, Clamp(count)));
}

int32_t PosixTlsWrite(SSL* tls, const void* bytes, uint32_t count) {
  return count == 0 ? 0 : SeamResult(tls, SSL_write(tls, bytes, Clamp(count)));
}

void PosixTlsFree(SSL* tls) {
  if (!tls) return;
  SSL_shutdown(tls);
  ERR_clear_error();
  SSL_free(tls);
}
