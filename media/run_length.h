#pragma once
// The run-length code of packed image rows. A control byte c below 0x80 is
// followed by c literal bytes; c from 0x80 up is followed by one value byte
// that is repeated c - 0x80 times.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Decodes the operations in src into dst and returns the bytes written.
// Never writes past dst and never reads past src: output that does not fit
// is dropped, and an operation cut short by the end of src writes what it
// has.
size_t RunLengthDecode(std::span<const uint8_t> src, std::span<uint8_t> dst);

// Appends the code of row to out: runs where they save bytes, literals
// elsewhere. Decoding the appended bytes gives row back.
void RunLengthEncode(std::span<const uint8_t> row, std::vector<uint8_t>* out);
