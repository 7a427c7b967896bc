#pragma once
// Game image files: a room's building image set kept on disk in file order
// behind the 12-byte image-family header (version, "FOGI", the set's
// length), so a set the server sent once is read from disk on later runs.

#include <cstdint>
#include <cstdio>
#include <span>

#include "core/types.h"

// Sets longer than this are not game image files: the largest message body
// the connection accepts is 4 MiB.
inline constexpr uint32_t kGameImageMaxLength = 4u * 1024 * 1024;

// The header in host order.
struct GameImageFileHeader {
  uint32_t version;
  uint32_t magic;   // kMagicGameImageFile
  uint32_t length;  // bytes of the set behind the header
};

// Writes fileName with version and the set (file order) as it stands. The
// bytes go to a new file beside it that replaces fileName only when it was
// written whole, so a failure or a crash leaves the old file or none.
// 0, or kErrorFileWrite.
ErrorCode GameImageFileWrite(const char* fileName, uint32_t version, std::span<const uint8_t> set);

// Rewinds file and reads its header: 0; kErrorFileRead when it is shorter
// than 12 bytes; kErrorUnknownFile when the magic is not "FOGI".
ErrorCode GameImageFileCheck(std::FILE* file, GameImageFileHeader* header);

// Reads the set behind the header into a new buffer (MemAlloc; the caller
// MemFrees it) and its length: 0; the result of GameImageFileCheck;
// kErrorFileRead when the file holds fewer bytes than the length says, or
// the length is above kGameImageMaxLength or 0; kErrorOutOfMemory. Nothing
// is allocated for a length the file cannot hold.
ErrorCode GameImageFileRead(std::FILE* file, uint8_t** set, uint32_t* length);
