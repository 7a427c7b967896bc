#include "fuzz/support/client_reading.h"

#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "core/memory.h"
#include "core/text.h"
#include "fuzz/support/building_check.h"
#include "lobby/room.h"
#include "fuzz/support/fuzz_check.h"
#include "protocol/messages.h"

namespace {

struct Freer {
  void operator()(void* p) const { MemFree(p); }
};

// LF, CR and CR LF all became CR LF: no line end stands alone.
void CheckCrLf(const char* text) {
  for (size_t i = 0; text[i]; ++i) {
    if (text[i] == '\r') FUZZ_CHECK(text[i + 1] == '\n');
    if (text[i] == '\n') FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
  }
}

void ReadText(const MessageField& f, const uint8_t* body, uint32_t length, bool display) {
  // As large as the field, as the client's records hold them, or as the
  // body for a text that runs to its end.
  const size_t size = f.size ? f.size : length + 1;
  std::vector<char> out(size, 'x');
  MessageCopyText(out.data(), out.size(), body, length, f.offset, f.size);
  FUZZ_CHECK(std::memchr(out.data(), 0, out.size()) != nullptr);
  if (f.size) FUZZ_CHECK(std::strlen(out.data()) < f.size);
  if (!display) return;
  std::unique_ptr<char, Freer> shown(TextToCrLf(out.data()));
  FUZZ_CHECK(shown != nullptr);
  CheckCrLf(shown.get());
}

// A room made from a RoomInfo in host order: its texts end inside their
// fields, and an image file name taken as plain cannot leave the data folder.
void MakeRoom(const uint8_t* body, uint32_t length) {
  Room* room = RoomNewFromInfo(body, length);
  FUZZ_CHECK(room);
  FUZZ_CHECK(std::memchr(room->name, 0, sizeof room->name) != nullptr);
  FUZZ_CHECK(std::memchr(room->imageFile, 0, sizeof room->imageFile) != nullptr);
  if (RoomImageFileNameIsPlain(room->imageFile)) {
    const std::string_view name(room->imageFile);
    FUZZ_CHECK(!name.empty() && name.size() < sizeof room->imageFile);
    FUZZ_CHECK(name.find_first_of("/\\:") == std::string_view::npos);
    FUZZ_CHECK(name.find("..") == std::string_view::npos);
  }
  RoomFree(room->id, room);
}

// The texts the client shows in a box or a text control.
bool Displayed(uint32_t type) {
  return type == kMessageWelcomeText || type == kMessageDisclaimer || type == kMessageServerAlert;
}

}  // namespace

void ReadLikeClient(uint32_t type, uint8_t* body, uint32_t length) {
  if (!MessageBodyCheck(type, body, length)) return;  // dropped like an unknown type
  const MessageLayout* layout = MessageLayoutOf(type, body, length);
  const std::vector<uint8_t> wire(body, body + length);
  FUZZ_CHECK(MessageConvert(type, body, length, kToHost) == 0);
  if (layout) {
    FUZZ_CHECK(length >= layout->minLength);
    for (uint32_t i = 0; i < layout->fieldCount; ++i) {
      const MessageField& f = layout->fields[i];
      if (f.kind == FieldKind::kText) {
        ReadText(f, body, length, Displayed(type));
        continue;
      }
      // A number the checked body does not hold would be read past its end.
      FUZZ_CHECK(uint64_t{f.offset} + f.size <= length);
      uint32_t value = 0;
      std::memcpy(&value, body + f.offset, f.size);
      (void)value;
    }
  }
  if (type == kMessageRoomInfo) MakeRoom(body, length);
  // The building image set behind the room id stays in wire order; the room
  // converts and builds it.
  if (type == kMessageGameImage) BuildLikeRoom({body + 4, length - 4});
  FUZZ_CHECK(MessageConvert(type, body, length, kToWire) == 0);
  FUZZ_CHECK(length == 0 || std::memcmp(wire.data(), body, length) == 0);
}
