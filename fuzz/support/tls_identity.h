#pragma once
// A throw-away certificate and key for a fuzzed server that offers TLS, made
// in process (P-256, self-signed, valid for a day).

#include <string>

// Writes the PEM certificate and key; false on any failure.
bool TlsIdentityWrite(const std::string& certPath, const std::string& keyPath);
