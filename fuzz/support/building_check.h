#pragma once
// What the client does with a room's building image set once it has one
// (from a GameImage message or its game image file): the conversion to host
// order, the set taken apart, both animations made and played through to
// their end, and the closed picture built and drawn.

#include <cstdint>
#include <span>

// set is in file order, as the server sent it; it is not changed.
void BuildLikeRoom(std::span<const uint8_t> set);
