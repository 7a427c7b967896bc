#include "server/address_key.h"

std::string AddressKey(const asio::ip::address& address) {
  if (address.is_v4()) return address.to_v4().to_string();
  const asio::ip::address_v6 v6 = address.to_v6();
  if (v6.is_v4_mapped()) return asio::ip::make_address_v4(asio::ip::v4_mapped, v6).to_string();
  asio::ip::address_v6::bytes_type bytes = v6.to_bytes();
  for (size_t i = 8; i < bytes.size(); ++i) bytes[i] = 0;
  return asio::ip::address_v6(bytes).to_string() + "/64";
}
