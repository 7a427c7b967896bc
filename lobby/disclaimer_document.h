#pragma once
// The disclaimer document, disclaim.otx in the program's data directory: a
// 16-byte big-endian header (version, "OTXT", text length + 4, accepted)
// followed by the text and its NUL, at least 20 bytes in all. Readers need
// the first 20 bytes; anything shorter is no document.

#include <cstdint>

#include "core/types.h"

inline constexpr char kDisclaimerFileName[] = "disclaim.otx";
inline constexpr uint32_t kDisclaimerHeaderSize = 16;
inline constexpr uint32_t kDisclaimerMinimumSize = 20;
inline constexpr uint32_t kDisclaimerMagic = 0x4F545854;  // "OTXT"

struct DisclaimerHeader {
  uint32_t version;   // larger is newer
  uint32_t magic;     // written, never checked
  uint32_t length;    // the text's length + 4: how much a reader takes at most
  uint32_t accepted;  // 1 when this version was accepted
};

// What DisclaimerReadState last read; both 0 when there was no document.
struct DisclaimerState {
  uint32_t localVersion;
  uint32_t accepted;
};
extern DisclaimerState g_disclaimer;

// The document at path. Results: 0; 14 when it is missing or shorter than 20
// bytes; 9 when it cannot be written; 15 for a null text; 2 when memory is
// short.
ErrorCode DisclaimerFileReadHeader(const char* path, DisclaimerHeader* header);
// Replaces the document as a whole (see PlatformFileReplace): a failure
// leaves the old one intact. Accepted is 0 in the new one.
ErrorCode DisclaimerFileStore(const char* path, const char* text, uint32_t version);
// Writes accepted (bytes 12 to 15) in place; nothing else in the file moves.
ErrorCode DisclaimerFileSetAccepted(const char* path, uint32_t accepted);
// The text as a new NUL-terminated buffer (MemFree), at most length bytes
// and never past the end of the file; nullptr when there is no document.
char* DisclaimerFileReadText(const char* path);

// The same on data/Salvind/disclaim.otx, as the screens and the message
// handling use them. Failures are silent: the window that needs the text
// says so when DisclaimerReadText gives nullptr.
void DisclaimerReadState();
void DisclaimerStore(const char* text, uint32_t version);
void DisclaimerClearAccepted();
void DisclaimerMarkAccepted();
char* DisclaimerReadText();
