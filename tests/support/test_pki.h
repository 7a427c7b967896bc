#pragma once
// A throw-away certificate authority for the TLS tests, made with the openssl
// command in a folder of the test's: the CA, and server certificates it (or
// another CA) signs for chosen names and dates. Every path is absolute.

#include <string>
#include <vector>

struct TestCertificate {
  std::string cert;  // PEM
  std::string key;   // PEM, unencrypted
  std::string pin;   // SHA-256 of the public key (DER), 64 lower-case hex digits
};

class TestPki {
 public:
  // Makes the CA in folder (which must exist). Ok() tells whether it worked.
  explicit TestPki(std::string folder, const std::string& caName = "Salvind Test CA");
  bool Ok() const { return ok_; }
  const std::string& CaCert() const { return ca_.cert; }

  // A server certificate named name in the folder, for names (each
  // "DNS:..." or "IP:..."), signed by this CA; expired: valid only in 2020.
  // An empty cert on failure.
  TestCertificate Issue(const std::string& name, const std::vector<std::string>& names, bool expired = false);

  // The openssl command with args; its output (standard output and error)
  // goes to *output. True when it exits with 0.
  static bool Run(const std::vector<std::string>& args, std::string* output = nullptr);
  // SHA-256 of the DER public key in the PEM key file, hex; empty on failure.
  static std::string PinOf(const std::string& keyFile);

 private:
  std::string folder_;
  TestCertificate ca_;
  bool ok_ = false;
};
