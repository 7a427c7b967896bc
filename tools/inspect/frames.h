#pragma once
// orva-inspect frames: a captured byte stream of framed messages, decoded
// with the client's own message catalogue.

#include <cstdint>
#include <span>
#include <string>

// One line per message, or with json a JSON array of one object per message
// (offset, type, name, padded, length, fields and, for a message that breaks
// the rules, error). *clean tells whether no message broke the rules.
std::string FramesDescribe(std::span<const uint8_t> stream, bool json, bool* clean);
