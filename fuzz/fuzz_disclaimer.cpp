// The stored disclaimer document: its header and text as the start-up and
// the disclaimer window read them, the accepted flag written in place, and
// a store of the text read back.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/memory.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/scratch_file.h"
#include "lobby/disclaimer_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  const char* written = ScratchFileWrite(data, size);
  FUZZ_CHECK(written);
  const std::string path = written;

  DisclaimerHeader header{};
  const ErrorCode read = DisclaimerFileReadHeader(path.c_str(), &header);
  FUZZ_CHECK((read == 0) == (size >= kDisclaimerMinimumSize));
  char* text = DisclaimerFileReadText(path.c_str());
  FUZZ_CHECK((text != nullptr) == (read == 0));
  if (!text) return 0;
  // Never more than the header allows nor more than the file holds.
  const size_t length = std::strlen(text);
  FUZZ_CHECK(length <= header.length);
  FUZZ_CHECK(length <= size - kDisclaimerHeaderSize);

  // Accepting changes bytes 12 to 15 and nothing else.
  FUZZ_CHECK(DisclaimerFileSetAccepted(path.c_str(), 1) == 0);
  DisclaimerHeader after{};
  FUZZ_CHECK(DisclaimerFileReadHeader(path.c_str(), &after) == 0);
  FUZZ_CHECK(after.accepted == 1 && after.version == header.version && after.length == header.length);

  // What is stored is what is read back, and the new document is not accepted.
  FUZZ_CHECK(DisclaimerFileStore(path.c_str(), text, header.version) == 0);
  char* again = DisclaimerFileReadText(path.c_str());
  FUZZ_CHECK(again && std::strcmp(again, text) == 0);
  FUZZ_CHECK(DisclaimerFileReadHeader(path.c_str(), &after) == 0 && after.accepted == 0);
  MemFree(again);
  MemFree(text);
  return 0;
}
