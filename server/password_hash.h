#pragma once
// Password hashes: libsodium's crypto_pwhash_str (Argon2id), with the
// strength the configuration chose. Both calls take long on purpose and run
// on the hash workers, never on the event loop.

#include <string>

#include "server/config.h"

// Initialises libsodium; false when it cannot start.
bool PasswordHashInit();
// The hash string of password, or an empty string when hashing failed.
std::string PasswordHashMake(const std::string& password, HashStrength strength);
// Whether password matches the stored hash string.
bool PasswordHashVerify(const std::string& hash, const std::string& password);
