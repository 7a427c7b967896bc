#include "fuzz/support/tls_identity.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

bool TlsIdentityWrite(const std::string& certPath, const std::string& keyPath) {
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), &EVP_PKEY_free);
  std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), &X509_free);
  if (!key || !cert) return false;
  X509_NAME* name = X509_get_subject_name(cert.get());
  const bool made = X509_set_version(cert.get(), 2) == 1 && ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1) == 1 &&
                    X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0) && X509_gmtime_adj(X509_getm_notAfter(cert.get()), 86400) &&
                    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                               reinterpret_cast<const unsigned char*>("fuzz"), -1, -1, 0) == 1 &&
                    X509_set_issuer_name(cert.get(), name) == 1 && X509_set_pubkey(cert.get(), key.get()) == 1 &&
                    X509_sign(cert.get(), key.get(), EVP_sha256()) > 0;
  if (!made) return false;
  File certFile(std::fopen(certPath.c_str(), "wb"));
  File keyFile(std::fopen(keyPath.c_str(), "wb"));
  return certFile && keyFile && PEM_write_X509(certFile.get(), cert.get()) == 1 &&
         PEM_write_PrivateKey(keyFile.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1;
}
