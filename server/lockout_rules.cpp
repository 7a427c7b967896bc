#include "server/lockout_rules.h"

#include <algorithm>
#include <chrono>

bool LockoutActive(const LockoutCount& count, int64_t nowMs) { return count.lockedUntilMs > nowMs; }

bool LockoutStale(const LockoutCount& count, int64_t nowMs) {
  return std::max(count.lastFailureMs, count.lockedUntilMs) < LockoutStaleBefore(nowMs);
}

bool LockoutCountFailure(LockoutCount* count, const LockoutRule& rule, int64_t nowMs) {
  // After a day of quiet nothing of the count is left, the locks too.
  if (LockoutStale(*count, nowMs)) *count = LockoutCount{};
  // A lock that has run out starts a fresh count; its number stays for the
  // doubling.
  if (count->lockedUntilMs != 0 && count->lockedUntilMs <= nowMs) {
    count->failures = 0;
    count->lockedUntilMs = 0;
  }
  ++count->failures;
  count->lastFailureMs = nowMs;
  if (rule.failures == 0 || count->failures < rule.failures) return false;
  int64_t length = std::min(rule.lockMs, kLockoutMaxMs);
  if (rule.doubling) {
    for (uint32_t i = 0; i < count->locks && length < kLockoutMaxMs; ++i) length = std::min(length * 2, kLockoutMaxMs);
  }
  ++count->locks;
  count->failures = 0;
  count->lockedUntilMs = nowMs + std::max<int64_t>(length, 1);
  return true;
}

int64_t LockoutNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}
