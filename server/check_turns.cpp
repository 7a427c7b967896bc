#include "server/check_turns.h"

CheckTurns::Turn CheckTurns::Enter(const std::string& account, Start start) {
  auto it = running_.find(account);
  if (it == running_.end()) {
    running_.emplace(account, std::deque<Start>());
    return Turn::kNow;
  }
  if (it->second.size() >= maxWaiting_) return Turn::kRefused;
  it->second.push_back(std::move(start));
  return Turn::kWaiting;
}

void CheckTurns::Leave(const std::string& account) {
  auto it = running_.find(account);
  if (it == running_.end()) return;
  if (it->second.empty()) {
    running_.erase(it);
    return;
  }
  Start next = std::move(it->second.front());
  it->second.pop_front();
  // The next one now runs; it calls Leave itself when it ends (also when it
  // ends at once, its client gone or its account locked).
  next();
}
