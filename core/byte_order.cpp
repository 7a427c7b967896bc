#include "core/byte_order.h"

#include <cstring>

void Swap32(uint32_t* value) {
  *value = __builtin_bswap32(*value);
}

void Swap32(int32_t* value) {
  *value = static_cast<int32_t>(__builtin_bswap32(static_cast<uint32_t>(*value)));
}

void Swap16(uint16_t* value) {
  *value = __builtin_bswap16(*value);
}

void Swap16(int16_t* value) {
  *value = static_cast<int16_t>(__builtin_bswap16(static_cast<uint16_t>(*value)));
}

void Swap32At(uint8_t* field) {
  uint32_t v;
  std::memcpy(&v, field, 4);
  Swap32(&v);
  std::memcpy(field, &v, 4);
}

void Swap16At(uint8_t* field) {
  uint16_t v;
  std::memcpy(&v, field, 2);
  Swap16(&v);
  std::memcpy(field, &v, 2);
}
