#pragma once
// Where accounts live. The server talks to this interface only, so another
// store (one shared by several server processes) can take SQLite's place.
// Every change is one transaction, durable when the call returns.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/lockout_rules.h"

struct Account {
  std::string name;  // as registered; names are unique in any letter case
  std::string passwordHash;
  std::string fullName;
  std::string email;
  std::string personalInfo;
  bool locked = false;  // by the administrator, until unlocked
};

enum class StoreResult { kOk, kNotFound, kExists, kFailed };

// What one wrong password did.
enum class LockoutOutcome { kCounted, kAddressLocked, kAccountLocked };

// What the two counts of one wrong password did; the account's lock says more.
inline LockoutOutcome LockoutOutcomeOf(bool addressLocked, bool accountLocked) {
  if (accountLocked) return LockoutOutcome::kAccountLocked;
  return addressLocked ? LockoutOutcome::kAddressLocked : LockoutOutcome::kCounted;
}

class AccountStore {
 public:
  virtual ~AccountStore() = default;
  // Finds an account by name in any letter case.
  virtual StoreResult Find(const std::string& name, Account* out) = 0;
  // Adds an account; kExists when the name is taken in any letter case.
  virtual StoreResult Create(const Account& account) = 0;
  // Locks or unlocks; unlocking clears every count of wrong passwords of
  // the account too.
  virtual StoreResult SetLocked(const std::string& name, bool locked) = 0;

  // The lock-out counts (lockout_rules.h), kept per account and source
  // address and per account; name is the account's name in any case.
  // Whether the source is locked out of the account at nowMs, by its own
  // count, the account's or the administrator.
  virtual StoreResult LockoutCheck(const std::string& name, const std::string& source, int64_t nowMs,
                                   bool* locked) = 0;
  // Counts one wrong password from source at nowMs, both counts in one
  // transaction; *outcome says whether this one locked.
  virtual StoreResult LockoutFailure(const std::string& name, const std::string& source, int64_t nowMs,
                                     const LockoutRules& rules, LockoutOutcome* outcome) = 0;
  // The right password from source: that source's count starts again.
  virtual StoreResult LockoutSuccess(const std::string& name, const std::string& source) = 0;
  // Deletes up to limit counts that are stale at nowMs (LockoutStale),
  // oldest first; *forgotten says how many went.
  virtual StoreResult LockoutForget(int64_t nowMs, uint32_t limit, uint32_t* forgotten) = 0;

  // Writes something and takes it back: kFailed when the store cannot be
  // written (a read-only file or directory, a full disk), which would leave
  // wrong passwords uncounted.
  virtual StoreResult CheckWritable(std::string* error) = 0;
};

// The SQLite store in the file at path (made when missing), or nullptr with
// error set.
std::unique_ptr<AccountStore> SqliteAccountStoreOpen(const std::string& path, std::string* error);
// The PostgreSQL store at url (a libpq connection string or URI; passfile
// may be empty), its schema made or upgraded, or nullptr with error set.
std::unique_ptr<AccountStore> PostgresAccountStoreOpen(const std::string& url, const std::string& passfile,
                                                       std::string* error);

struct ServerConfig;
// The store the configuration names.
std::unique_ptr<AccountStore> AccountStoreOpen(const ServerConfig& config, std::string* error);
