#pragma once
// What the client's message handling does with a received body before it
// acts on it: the length check, the conversion to host order and the reads
// of every field of the layout, texts included, a RoomInfo made into a room,
// and a GameImage's building image set built as the room builds it. The properties every body
// must keep are checked on the way (see FUZZ_CHECK).

#include <cstdint>

// body holds length bytes in wire order; it is converted in place (and back
// again, to check that the conversion is its own inverse).
void ReadLikeClient(uint32_t type, uint8_t* body, uint32_t length);
