#include "server/password_hash.h"

#include <sodium.h>

bool PasswordHashInit() { return sodium_init() >= 0; }

std::string PasswordHashMake(const std::string& password, HashStrength strength) {
  const bool fast = strength == HashStrength::kFast;
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(out, password.data(), password.size(),
                        fast ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        fast ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    return {};
  }
  return out;
}

bool PasswordHashVerify(const std::string& hash, const std::string& password) {
  if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES) return false;
  return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}
