#pragma once
// One password check per account at a time. Were checks of one account to
// run side by side, every guess already in flight when the account locks
// would still be checked, and the right one would be told apart by its
// answer. So a log-in waits for the check before it; when its turn comes
// the lock-out is read again, and a locked account is refused without a
// check. The queue of one account is capped.

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>

class CheckTurns {
 public:
  using Start = std::function<void()>;
  enum class Turn { kNow, kWaiting, kRefused };

  explicit CheckTurns(size_t maxWaiting) : maxWaiting_(maxWaiting) {}
  // kNow: no check of account runs, the caller starts its own. kWaiting:
  // start is kept and called when the turn comes. kRefused: too many wait.
  Turn Enter(const std::string& account, Start start);
  // The running check of account ended: the next one waiting is started.
  void Leave(const std::string& account);

 private:
  size_t maxWaiting_;
  // The account's waiting checks; present while one runs.
  std::unordered_map<std::string, std::deque<Start>> running_;
};
