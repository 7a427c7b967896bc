#pragma once
// Parsers that read files by name get the input through one scratch file per
// process, in a private folder on a memory file system where there is one
// (the disclaimer is flushed to disk on every store). The folder goes when
// the process ends normally.

#include <cstddef>
#include <cstdint>

// The private folder, made on first use; nullptr when it cannot be made.
const char* ScratchFolder();
// Replaces the scratch file's contents with the input and returns its path;
// nullptr when it cannot be written.
const char* ScratchFileWrite(const uint8_t* data, size_t size);
