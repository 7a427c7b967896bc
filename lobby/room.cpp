#include "lobby/room.h"

#include <cctype>
#include <cstring>
#include <string_view>

#include "core/memory.h"
#include "media/animation.h"
#include "media/image.h"
#include "protocol/messages.h"

namespace {

List* g_roomList = nullptr;

// RoomInfo offsets (host order after RoomInfoConvert).
constexpr uint32_t kInfoId = 0;
constexpr uint32_t kInfoAddress = 4;
constexpr uint32_t kInfoPort = 8;
constexpr uint32_t kInfoSpare = 10;
constexpr uint32_t kInfoName = 12;
constexpr uint32_t kInfoImageFile = 44;
constexpr uint32_t kInfoImageVersion = 60;

uint32_t HostU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

uint16_t HostU16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

bool IsDeviceName(std::string_view name) {
  // The part before the first dot decides: "nul.txt" is the device too.
  const std::string_view stem = name.substr(0, name.find('.'));
  char upper[8] = {};
  if (stem.size() >= sizeof upper) return false;
  for (size_t i = 0; i < stem.size(); ++i) {
    upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(stem[i])));
  }
  const std::string_view s(upper, stem.size());
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"}) {
    if (s == device) return true;
  }
  return s.size() == 4 && (s.starts_with("COM") || s.starts_with("LPT")) &&
         std::isdigit(static_cast<unsigned char>(s[3]));
}

}  // namespace

Room* RoomNewFromInfo(const uint8_t* body, uint32_t length) {
  if (!body || length < kRoomInfoLength) return nullptr;
  auto* room = static_cast<Room*>(MemAllocZero(1, sizeof(Room)));
  if (!room) return nullptr;
  room->id = HostU32(body + kInfoId);
  room->address = HostU32(body + kInfoAddress);
  room->port = HostU16(body + kInfoPort);
  room->spare = HostU16(body + kInfoSpare);
  MessageCopyText(room->name, sizeof room->name, body, length, kInfoName, kRoomNameSize);
  MessageCopyText(room->imageFile, sizeof room->imageFile, body, length, kInfoImageFile, kRoomImageFileSize);
  room->imageVersion = HostU32(body + kInfoImageVersion);
  return room;
}

void RoomFree(ListKey, void* data) {
  auto* room = static_cast<Room*>(data);
  if (!room) return;
  AnimationDelete(room->idle);
  AnimationDelete(room->enter);
  ImageDelete(room->closed);
  MemFree(room);
}

List* RoomListNew() {
  if (!g_roomList) g_roomList = ListNew(&RoomFree);
  return g_roomList;
}

void RoomListDelete() {
  List* list = g_roomList;
  g_roomList = nullptr;
  if (list) ListDelete(list);
}

List* RoomListGet() { return g_roomList; }

Room* RoomListFind(uint32_t id) {
  if (!g_roomList) return nullptr;
  // Compared by hand: the list's search takes 0xFFFFFFFF for "any room", and
  // that id is the server's to choose.
  for (ListNode* node = g_roomList->head; node; node = node->next) {
    auto* room = static_cast<Room*>(node->data);
    if (room->id == id) return room;
  }
  return nullptr;
}

bool RoomListAppend(Room* room) {
  if (!g_roomList) return false;
  return ListInsert(g_roomList, nullptr, room->id, room, kListInsertEnd) != nullptr;
}

void RoomListRemove(Room* room) {
  if (!g_roomList) return;
  for (ListNode* node = g_roomList->head; node; node = node->next) {
    if (node->data == room) {
      ListRemove(g_roomList, node);
      return;
    }
  }
}

bool RoomImageFileNameIsPlain(const char* name) {
  if (!name) return false;
  const size_t length = strnlen(name, kRoomImageFileSize);
  if (length == 0 || length >= kRoomImageFileSize) return false;
  const std::string_view text(name, length);
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E) return false;
    if (std::strchr("/\\:*?\"<>|", c)) return false;
  }
  if (text == "." || text.find("..") != std::string_view::npos) return false;
  if (text.back() == '.' || text.back() == ' ') return false;
  return !IsDeviceName(text);
}
