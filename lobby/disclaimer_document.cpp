#include "lobby/disclaimer_document.h"

#include "core/error_codes.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/byte_reader.h"
#include "core/memory.h"
#include "platform/file.h"
#include "shell/data_path.h"

DisclaimerState g_disclaimer;

namespace {

constexpr long kAcceptedOffset = 12;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct BufferFree {
  void operator()(void* p) const { MemFree(p); }
};

// Binary mode everywhere: the document is a byte format, and a text-mode
// file would turn line ends and byte 26 of the text into something else.
File Open(const char* path, const char* mode) { return File(path ? std::fopen(path, mode) : nullptr); }

bool ReadHeader(std::FILE* f, DisclaimerHeader* h) {
  uint8_t bytes[kDisclaimerMinimumSize];
  if (std::fread(bytes, 1, sizeof bytes, f) != sizeof bytes) return false;
  ByteReader r(bytes);
  return r.U32(&h->version) && r.U32(&h->magic) && r.U32(&h->length) && r.U32(&h->accepted);
}

// A copy of a path from the shared path buffer, which the next call reuses:
// the document to read (the player's, else the one the program came with),
// to write, or to change in place (the player's, copied first when missing).
struct DocumentPath {
  explicit DocumentPath(const char* path) { std::snprintf(text, sizeof text, "%s", path); }
  char text[kDataPathCapacity];
};
DocumentPath ReadPath() { return DocumentPath(ProgramDataPath(kDisclaimerFileName)); }
DocumentPath WritePath() { return DocumentPath(ProgramDataWritePath(kDisclaimerFileName)); }
DocumentPath ChangePath() { return DocumentPath(ProgramDataChangePath(kDisclaimerFileName)); }

}  // namespace

ErrorCode DisclaimerFileReadHeader(const char* path, DisclaimerHeader* header) {
  File f = Open(path, "rb");
  DisclaimerHeader h{};
  if (!f || !ReadHeader(f.get(), &h)) return kErrorFileNotFound;
  *header = h;
  return 0;
}

ErrorCode DisclaimerFileStore(const char* path, const char* text, uint32_t version) {
  if (!path || !text) return kErrorBadParameter;
  const size_t n = std::strlen(text);
  if (n > UINT32_MAX - 4) return kErrorBadParameter;
  // The text and its NUL, padded to the 20 bytes every reader needs.
  size_t size = kDisclaimerHeaderSize + n + 1;
  if (size < kDisclaimerMinimumSize) size = kDisclaimerMinimumSize;
  std::unique_ptr<uint8_t, BufferFree> doc(static_cast<uint8_t*>(MemAllocZero(1, size)));
  if (!doc) return kErrorOutOfMemory;
  uint8_t* p = doc.get();
  StoreBe32(p + 0, version);
  StoreBe32(p + 4, kDisclaimerMagic);
  StoreBe32(p + 8, static_cast<uint32_t>(n) + 4);
  StoreBe32(p + 12, 0);
  std::memcpy(p + kDisclaimerHeaderSize, text, n);
  return PlatformFileReplace(path, p, size) == 0 ? 0 : kErrorFileWrite;
}

// In place is safe here: the file keeps its length, and between 0 and 1 only
// byte 15 differs, so an interrupted write leaves either the old or the new
// flag, never a short or mixed document.
ErrorCode DisclaimerFileSetAccepted(const char* path, uint32_t accepted) {
  File f = Open(path, "r+b");
  DisclaimerHeader h{};
  if (!f || !ReadHeader(f.get(), &h)) return kErrorFileNotFound;
  uint8_t word[4];
  StoreBe32(word, accepted);
  if (std::fseek(f.get(), kAcceptedOffset, SEEK_SET) != 0) return kErrorFileWrite;
  if (std::fwrite(word, 1, sizeof word, f.get()) != sizeof word) return kErrorFileWrite;
  if (std::fflush(f.get()) != 0) return kErrorFileWrite;
  return std::fclose(f.release()) == 0 ? 0 : kErrorFileWrite;
}

char* DisclaimerFileReadText(const char* path) {
  File f = Open(path, "rb");
  DisclaimerHeader h{};
  if (!f || !ReadHeader(f.get(), &h)) return nullptr;
  // The length field is only an upper bound: what the file holds after the
  // header is the other one.
  if (std::fseek(f.get(), 0, SEEK_END) != 0) return nullptr;
  const long end = std::ftell(f.get());
  if (end < static_cast<long>(kDisclaimerMinimumSize)) return nullptr;
  size_t want = static_cast<size_t>(end) - kDisclaimerHeaderSize;
  if (h.length < want) want = h.length;
  if (std::fseek(f.get(), kDisclaimerHeaderSize, SEEK_SET) != 0) return nullptr;
  auto* text = static_cast<char*>(MemAlloc(want + 1));
  if (!text) return nullptr;
  const size_t got = std::fread(text, 1, want, f.get());
  text[got] = '\0';
  return text;
}

void DisclaimerReadState() {
  const DocumentPath path = ReadPath();
  DisclaimerHeader h{};
  if (DisclaimerFileReadHeader(path.text, &h) == 0) {
    g_disclaimer = {h.version, h.accepted};
  } else {
    g_disclaimer = {0, 0};
  }
}

void DisclaimerStore(const char* text, uint32_t version) {
  const DocumentPath path = WritePath();
  DisclaimerFileStore(path.text, text, version);
}

void DisclaimerClearAccepted() {
  const DocumentPath path = ChangePath();
  DisclaimerFileSetAccepted(path.text, 0);
}

void DisclaimerMarkAccepted() {
  const DocumentPath path = ChangePath();
  DisclaimerFileSetAccepted(path.text, 1);
}

char* DisclaimerReadText() {
  const DocumentPath path = ReadPath();
  return DisclaimerFileReadText(path.text);
}
