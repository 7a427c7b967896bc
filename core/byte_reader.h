#pragma once
// Bounds-checked reading and writing of big-endian fields in a byte buffer.
// Everything from the network or a file goes through these: a read past the
// end fails instead of touching memory that is not there.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  // Each getter reads at the cursor and advances it; on a short buffer it
  // returns false, leaves the output untouched and marks the reader failed.
  bool U8(uint8_t* out) { return Get(out, 1); }
  bool U16(uint16_t* out) { return Get(out, 2); }
  bool I16(int16_t* out) { return Get(out, 2); }
  bool U32(uint32_t* out) { return Get(out, 4); }
  bool I32(int32_t* out) { return Get(out, 4); }
  // Copies n raw bytes.
  bool Bytes(void* out, size_t n);
  bool Skip(size_t n);
  bool Seek(size_t offset);

  size_t Offset() const { return offset_; }
  size_t Remaining() const { return bytes_.size() - offset_; }
  bool Failed() const { return failed_; }
  std::span<const uint8_t> Rest() const { return bytes_.subspan(offset_); }

 private:
  template <typename T>
  bool Get(T* out, size_t n) {
    if (!Fits(n)) return false;
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v = (v << 8) | bytes_[offset_ + i];
    *out = static_cast<T>(v);
    offset_ += n;
    return true;
  }
  bool Fits(size_t n);

  std::span<const uint8_t> bytes_;
  size_t offset_ = 0;
  bool failed_ = false;
};

// Big-endian loads and stores at a fixed offset; the caller has checked the
// size (these are for code that already validated a record's length).
inline uint16_t LoadBe16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t LoadBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline void StoreBe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}
inline void StoreBe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

// The text in a fixed-size field: up to its first NUL, never past the field.
inline std::string_view FieldText(std::span<const uint8_t> field) {
  const void* nul = std::memchr(field.data(), 0, field.size());
  size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - field.data()) : field.size();
  return {reinterpret_cast<const char*>(field.data()), n};
}
