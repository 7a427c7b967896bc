#pragma once
// Byte order. Every number in the protocol and in the program's files is
// big-endian; these turn a field between wire order and host order in place
// (the same operation serves both directions).

#include <cstdint>

void Swap32(uint32_t* value);
void Swap32(int32_t* value);
void Swap16(uint16_t* value);
void Swap16(int16_t* value);

// The same, for a field at an address inside a byte buffer (no alignment
// needed).
void Swap32At(uint8_t* field);
void Swap16At(uint8_t* field);
