#include "core/byte_reader.h"

bool ByteReader::Fits(size_t n) {
  if (failed_ || n > bytes_.size() - offset_) {
    failed_ = true;
    return false;
  }
  return true;
}

bool ByteReader::Bytes(void* out, size_t n) {
  if (!Fits(n)) return false;
  if (n) std::memcpy(out, bytes_.data() + offset_, n);
  offset_ += n;
  return true;
}

bool ByteReader::Skip(size_t n) {
  if (!Fits(n)) return false;
  offset_ += n;
  return true;
}

bool ByteReader::Seek(size_t offset) {
  if (failed_ || offset > bytes_.size()) {
    failed_ = true;
    return false;
  }
  offset_ = offset;
  return true;
}
