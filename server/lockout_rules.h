#pragma once
// When wrong passwords lock, and for how long. The same rules serve every
// account store, which keeps the counts (LockoutCount) and applies these
// inside one transaction.
//
// Two counts per account: one per source address (AddressKey), which locks
// that address out of that account, and one over all sources together,
// with a much larger limit, which locks the account itself. Locks are
// temporary; each further lock of the same address and account lasts twice
// as long as the one before, up to a day. The administrator's lock is the
// account's own flag and lasts until unlocked.
//
// A count is forgotten after a day of quiet (LockoutStale): old failures
// no longer add up, a lock's doubling starts again, and the stores delete
// such counts now and then (LockoutForget), so that wrong passwords from
// ever new addresses do not fill the store.

#include <cstdint>

inline constexpr int64_t kLockoutMaxMs = 24 * 3600 * 1000LL;

struct LockoutRule {
  uint32_t failures = 0;  // wrong passwords that lock; 0: never
  int64_t lockMs = 0;     // the first lock's length
  bool doubling = false;  // each further lock twice as long, up to kLockoutMaxMs
};

struct LockoutRules {
  LockoutRule address;  // per account and source address
  LockoutRule account;  // per account over every source
};

struct LockoutCount {
  uint32_t failures = 0;      // since the last lock (or success)
  uint32_t locks = 0;         // locks so far, for the doubling
  int64_t lockedUntilMs = 0;  // 0: never locked
  int64_t lastFailureMs = 0;  // 0: long ago
};

// A count is stale at nowMs when its last failure and the end of its lock
// both lie before this; a stale count reads as an empty one.
inline int64_t LockoutStaleBefore(int64_t nowMs) { return nowMs - kLockoutMaxMs; }
bool LockoutStale(const LockoutCount& count, int64_t nowMs);

// How often a server deletes stale counts, and how many at most per pass.
inline constexpr int64_t kLockoutForgetEveryMs = 5 * 60 * 1000LL;
inline constexpr uint32_t kLockoutForgetBatch = 5000;

// Whether the count is locked at nowMs.
bool LockoutActive(const LockoutCount& count, int64_t nowMs);
// Counts one more wrong password at nowMs; true when this one locks.
bool LockoutCountFailure(LockoutCount* count, const LockoutRule& rule, int64_t nowMs);
// Milliseconds since the epoch, the clock the counts are kept in.
int64_t LockoutNowMs();
