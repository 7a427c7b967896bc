#pragma once
// The source that per-address limits and lock-outs count. An IPv4 address
// counts as itself (an IPv4 address mapped into IPv6 too); an IPv6 address
// counts by its /64, since one end site is given a whole /64 and could
// otherwise walk through more addresses than any table holds.

#include <asio/ip/address.hpp>
#include <string>

std::string AddressKey(const asio::ip::address& address);
