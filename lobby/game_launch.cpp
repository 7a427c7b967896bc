#include "lobby/game_launch.h"

#include <cstdio>
#include <cstring>

#include "core/memory.h"
#include "lobby/building.h"
#include "lobby/gate.h"
#include "lobby/login_details.h"
#include "lobby/room.h"
#include "media/game_image_file.h"
#include "media/image.h"
#include "net/message_send.h"
#include "shell/data_path.h"
#include "shell/os_services.h"
#include "toolkit/alert.h"
#include "toolkit/window.h"
#include "windows/info_box.h"

namespace {

constexpr uint16_t kLaunchBoxWidth = 200;
// The alerts quote the name: 15 characters at most, plus the text.
constexpr size_t kAlertSize = 128;

void AlertWithName(const char* format, const char* name) {
  char text[kAlertSize];
  std::snprintf(text, sizeof text, format, name);
  Alert(text, nullptr);
}

// Reads the set behind the header of an open file and gives it to the room.
// false when the file is damaged, or the set it holds is.
bool UseFile(Room* room, std::FILE* file) {
  uint8_t* set = nullptr;
  uint32_t length = 0;
  if (GameImageFileRead(file, &set, &length) != 0) return false;
  const bool built = RoomSetImageSet(room, std::span<uint8_t>(set, length));
  MemFree(set);
  return built;
}

}  // namespace

GameImageLookup RoomLookAtImageFile(Room* room, Connection* connection) {
  bool usable = false;
  if (RoomImageFileNameIsPlain(room->imageFile)) {
    // The path buffer is shared; the path is kept apart for later calls.
    char path[kDataPathCapacity];
    std::snprintf(path, sizeof path, "%s", ProgramDataPath(room->imageFile));
    std::FILE* file = std::fopen(path, "rb");
    if (file) {
      bool stale = ImageReadVersion(path) < room->imageVersion;
      if (!stale) {
        usable = UseFile(room, file);
        if (!usable) {
          AlertWithName("Unable to load game image file %s.", room->imageFile);
          stale = true;
        }
      }
      std::fclose(file);
      // Only the player's own copy is deleted: a file the program came with
      // stays, and the fresh one written to the player's folder hides it.
      if (stale && std::strcmp(path, ProgramDataWritePath(room->imageFile)) == 0 && std::remove(path) != 0) {
        AlertWithName("Unable to delete game image file %s.", room->imageFile);
      }
    }
  }
  if (usable) return GameImageLookup::kUsed;
  if (connection) GameImageRequestSend(connection, room->id);
  return GameImageLookup::kRequested;
}

void RoomTakeImageSet(Room* room, std::span<const uint8_t> set) {
  if (!room) return;
  // The set is converted where it lies; the file keeps the order it came in.
  auto* copy = static_cast<uint8_t*>(MemAlloc(set.empty() ? 1 : set.size()));
  if (!copy) return;
  if (!set.empty()) std::memcpy(copy, set.data(), set.size());
  const bool built = RoomSetImageSet(room, std::span<uint8_t>(copy, set.size()));
  MemFree(copy);
  if (!built) return;
  if (RoomImageFileNameIsPlain(room->imageFile)) {
    GameImageFileWrite(ProgramDataWritePath(room->imageFile), room->imageVersion, set);
  }
  RoomRedraw(room);
}

void GameLaunchCommandLine(const Room* room, const char* userName, char* out, size_t size) {
  std::snprintf(out, size, "%s %lu %hu", userName, static_cast<unsigned long>(room->address),
                static_cast<unsigned short>(room->port));
}

void GameLaunch(Animation*, uint16_t frame, UserData data) {
  if (frame != 0) return;
  auto* room = reinterpret_cast<Room*>(data);
  room->entering = 0;
  // A room that is not open shows its closed picture again; that needs a
  // drawing section, which nobody else has open here.
  RoomRedraw(room);

  Window* lobby = g_gate.window;
  if (!GameProgramExists(room->name)) {
    Alert("Cannot launch the game because it is not available on your local machine.", lobby);
    return;
  }
  char commandLine[96];
  GameLaunchCommandLine(room, g_loginDetails.userName, commandLine, sizeof commandLine);
  InfoBox* box = InfoBoxNew();
  if (box && InfoBoxInit(box, lobby, "Launching game ...", kLaunchBoxWidth, 0, 0) == 0) InfoBoxShow(box);
  // The name is copied: an alert's loop may let a message remove the room.
  char name[kRoomNameSize];
  std::memcpy(name, room->name, sizeof name);
  if (RunGameProgram(name, commandLine) != 0) Alert("Failed to launch the game.", lobby);
  InfoBoxDelete(box);
}
