#include "server/tls_context.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

namespace {

std::string LastSslError(const asio::error_code& ec) {
  const unsigned long code = ERR_peek_last_error();
  std::string text = ec.message();
  if (code != 0) {
    char buffer[256];
    ERR_error_string_n(code, buffer, sizeof buffer);
    text = buffer;
  }
  ERR_clear_error();
  return text;
}

}  // namespace

std::unique_ptr<asio::ssl::context> TlsContextMake(const std::string& certFile, const std::string& keyFile,
                                                   std::string* error) {
  auto context = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
  SSL_CTX* native = context->native_handle();
  if (SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION) != 1) {
    *error = "tls: this OpenSSL does not offer TLS 1.2";
    return nullptr;
  }
  // No renegotiation, no compression; a client cannot make the server
  // repeat handshakes on one connection.
  SSL_CTX_set_options(native, SSL_OP_NO_RENEGOTIATION | SSL_OP_NO_COMPRESSION | SSL_OP_CIPHER_SERVER_PREFERENCE);
  asio::error_code ec;
  context->use_certificate_chain_file(certFile, ec);
  if (ec) {
    *error = "tls.cert: " + certFile + ": " + LastSslError(ec);
    return nullptr;
  }
  context->use_private_key_file(keyFile, asio::ssl::context::pem, ec);
  if (ec) {
    *error = "tls.key: " + keyFile + ": " + LastSslError(ec);
    return nullptr;
  }
  if (SSL_CTX_check_private_key(native) != 1) {
    ERR_clear_error();
    *error = "tls.key: " + keyFile + " does not belong to the certificate in tls.cert";
    return nullptr;
  }
  return context;
}
