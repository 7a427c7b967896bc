#pragma once
// The manifest of a resource file: one item a line, "<id> <kind> <file>",
// with # comments and blank lines.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ManifestKind { kImage, kText, kRects };

struct ManifestLine {
  uint32_t id;
  ManifestKind kind;
  std::string file;
  int line;  // 1-based, for messages
};

// Parses text; false with a message naming the line on the first bad one.
bool ManifestParse(std::string_view text, std::vector<ManifestLine>* out, std::string* error);

// True when text is a well-formed rectangle list: a count of 0 or more,
// exactly that many groups of four 16-bit numbers, nothing else but white
// space.
bool RectListIsValid(std::string_view text);
