// The source that per-address limits and lock-outs count.

#include "server/address_key.h"

#include <gtest/gtest.h>

namespace {

TEST(AddressKey, IPv4CountsAsItselfAndIPv6ByItsSlash64) {
  const std::pair<const char*, const char*> cases[] = {
      {"192.0.2.7", "192.0.2.7"},
      {"::ffff:192.0.2.7", "192.0.2.7"},  // a mapped IPv4 address is that address
      {"2001:db8:1:2:aaaa:bbbb:cccc:dddd", "2001:db8:1:2::/64"},
      {"2001:db8:1:2::1", "2001:db8:1:2::/64"},  // the same end site
      {"2001:db8:1:3::1", "2001:db8:1:3::/64"},  // the next one
      {"::1", "::/64"},
  };
  for (const auto& [address, key] : cases) EXPECT_EQ(AddressKey(asio::ip::make_address(address)), key) << address;
}

}  // namespace
