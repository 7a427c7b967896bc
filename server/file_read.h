#pragma once
// Whole small files into memory, with a size cap.

#include <string>
#include <vector>

// Reads the file at path into out. False with error set when it cannot be
// read or is above maxBytes.
bool FileReadAll(const std::string& path, size_t maxBytes, std::vector<uint8_t>* out, std::string* error);
