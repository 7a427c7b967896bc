#pragma once
// The server's TLS settings: its certificate chain and key from PEM files,
// TLS 1.2 and 1.3 only, otherwise the library's defaults.

#include <asio/ssl/context.hpp>
#include <memory>
#include <string>

// nullptr with error set (naming the key) when a file cannot be read, is not
// PEM, or the key does not belong to the certificate.
std::unique_ptr<asio::ssl::context> TlsContextMake(const std::string& certFile, const std::string& keyFile,
                                                   std::string* error);
