#pragma once
// Game launch and the rooms' game image files: the look at a room's file
// when the room is announced, the file written when the server sends the
// set, and the start of the room's game when its enter animation ends.

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/types.h"

struct Animation;
struct Connection;
struct Room;

// What the look at a room's game image file found.
enum class GameImageLookup : uint8_t {
  kUsed,       // a current or newer file gave the room its set
  kRequested,  // no usable file: the set was asked for
};

// Looks at the room's game image file (data/Salvind/<image file name>): a
// file whose version is not below the room's gives the room its set; a
// stale, short, foreign or damaged one is deleted ("Unable to load game
// image file %s.", "Unable to delete game image file %s." where they apply)
// and the set is requested on connection, as it is when there is no file.
// A name that could leave the data directory is never used as a path: the
// set is only requested.
GameImageLookup RoomLookAtImageFile(Room* room, Connection* connection);

// The set of a GameImage message (file order, the bytes after the room id)
// for room: builds the room's graphics from it and, when they could be
// built and the name is a plain file name, keeps a copy in the room's game
// image file. A malformed set builds nothing and writes nothing. Draws the
// room afterwards.
void RoomTakeImageSet(Room* room, std::span<const uint8_t> set);

// "%s %lu %hu": the user name, the room's address and port in decimal.
void GameLaunchCommandLine(const Room* room, const char* userName, char* out, size_t size);

// The frame callback of every enter animation (user data: the room): when
// the animation has ended (frame 0) the building is drawn again and the
// room's game is started, or raised when it already runs.
void GameLaunch(Animation* animation, uint16_t frame, UserData room);
