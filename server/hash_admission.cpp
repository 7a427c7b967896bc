#include "server/hash_admission.h"

bool HashAdmission::Take(const std::string& address) {
  if (pending_ >= limits_.total) return false;
  uint32_t& mine = perAddress_[address];
  if (mine >= limits_.perAddress) return false;
  ++mine;
  ++pending_;
  return true;
}

void HashAdmission::Give(const std::string& address) {
  auto it = perAddress_.find(address);
  if (it == perAddress_.end()) return;
  if (--it->second == 0) perAddress_.erase(it);
  --pending_;
}
