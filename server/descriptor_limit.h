#pragma once
// The open-file limit and the connections it leaves room for. Every
// connection is a descriptor; when they run out, accepting fails for the
// clients and the admin socket alike. So the soft limit is raised as far as
// the hard one allows, and the connections are capped below what remains,
// keeping descriptors for the server's own files, the admin socket and the
// refusal of one connection too many.

#include <cstdint>

// Descriptors kept beside the connections.
inline constexpr uint64_t kDescriptorReserve = 32;

// Raises the soft limit to the hard one. The limit before and after
// (equal when there was nothing to raise or raising failed).
void DescriptorLimitRaise(uint64_t* before, uint64_t* after);
// The soft limit now.
uint64_t DescriptorLimit();
// maxConnections, or fewer when limit leaves room for fewer (at least 1).
uint32_t DescriptorConnectionCap(uint64_t limit, uint32_t maxConnections);
