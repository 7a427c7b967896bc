#pragma once
// Where accounts live. The server talks to this interface only, so another
// store (one shared by several server processes) can take SQLite's place.
// Every change is one transaction, durable when the call returns.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Account {
  std::string name;  // as registered; names are unique in any letter case
  std::string passwordHash;
  std::string fullName;
  std::string email;
  std::string personalInfo;
  uint32_t failures = 0;  // wrong passwords in a row
  bool locked = false;
};

enum class StoreResult { kOk, kNotFound, kExists, kFailed };

class AccountStore {
 public:
  virtual ~AccountStore() = default;
  // Finds an account by name in any letter case.
  virtual StoreResult Find(const std::string& name, Account* out) = 0;
  // Adds an account; kExists when the name is taken in any letter case.
  virtual StoreResult Create(const Account& account) = 0;
  // Counts one more wrong password; locks the account when the count reaches
  // lockAt (0: never). Stores whether it is locked now in *locked.
  virtual StoreResult RecordFailure(const std::string& name, uint32_t lockAt, bool* locked) = 0;
  // Clears the count of wrong passwords.
  virtual StoreResult ResetFailures(const std::string& name) = 0;
  // Locks or unlocks; unlocking clears the count of wrong passwords too.
  virtual StoreResult SetLocked(const std::string& name, bool locked) = 0;
};

// The SQLite store in the file at path (made when missing), or nullptr with
// error set.
std::unique_ptr<AccountStore> SqliteAccountStoreOpen(const std::string& path, std::string* error);
