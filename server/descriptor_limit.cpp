#include "server/descriptor_limit.h"

#include <sys/resource.h>

#include <algorithm>

void DescriptorLimitRaise(uint64_t* before, uint64_t* after) {
  rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
    *before = *after = 0;
    return;
  }
  *before = *after = limit.rlim_cur;
  // Nothing is called when there is nothing to raise: a service manager may
  // forbid setrlimit altogether once it has set both limits itself.
  if (limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  if (setrlimit(RLIMIT_NOFILE, &limit) == 0) *after = limit.rlim_cur;
}

uint64_t DescriptorLimit() {
  rlimit limit;
  return getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : 0;
}

uint32_t DescriptorConnectionCap(uint64_t limit, uint32_t maxConnections) {
  if (limit == 0 || limit == RLIM_INFINITY) return maxConnections;
  const uint64_t room = limit > kDescriptorReserve ? limit - kDescriptorReserve : 1;
  return static_cast<uint32_t>(std::max<uint64_t>(1, std::min<uint64_t>(room, maxConnections)));
}
