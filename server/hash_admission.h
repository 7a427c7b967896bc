#pragma once
// How many password hashes may be queued or running at once, in total and
// per source address. A hash costs tens of milliseconds and 64 MiB, and
// anyone who can reach the port can ask for one, so the work one source
// can put on the server is capped, and so is the whole backlog.

#include <cstdint>
#include <string>
#include <unordered_map>

struct HashLimits {
  uint32_t total = 64;
  uint32_t perAddress = 4;
};

// Not thread-safe: the hash pool keeps it under its own lock.
class HashAdmission {
 public:
  explicit HashAdmission(HashLimits limits) : limits_(limits) {}
  // Takes one place for address; false when it or the whole pool is full.
  bool Take(const std::string& address);
  // Gives back a place Take gave.
  void Give(const std::string& address);
  uint32_t Pending() const { return pending_; }

 private:
  HashLimits limits_;
  uint32_t pending_ = 0;
  std::unordered_map<std::string, uint32_t> perAddress_;
};
