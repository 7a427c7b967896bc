#pragma once
// The message catalogue: every application message's type, layout and
// conversion between host order and wire order. Bodies are byte buffers;
// offsets are from the start of the body.
//
// A received body is checked with MessageBodyCheck before any field of it is
// read; texts are taken with MessageCopyText, which never reads past the
// field or the body.

#include <cstddef>
#include <cstdint>

#include "core/types.h"
#include "protocol/frame.h"

enum : uint32_t {
  kMessageWelcomeText = 1,
  kMessageAccessRequest = 16,
  kMessageAccessDenied = 17,
  kMessageDisclaimerRequest = 18,
  kMessageDisclaimer = 19,
  kMessageAccessGranted = 64,
  kMessageRoomInfo = 65,
  kMessageRoomStatus = 66,
  kMessageGameImageRequest = 67,
  kMessageGameImage = 68,
  kMessageEntryList = 97,
};

enum class FieldKind : uint8_t { kU16, kU32, kText };

// One field of a layout. A number is converted by the layout's conversion
// routine; a field without a name is converted but means nothing to the
// client. A text of size 0 runs to the end of the body.
struct MessageField {
  const char* name;
  FieldKind kind;
  uint32_t offset;
  uint32_t size;
};

struct MessageLayout {
  uint32_t type;
  const char* name;
  uint32_t minLength;  // the body is never shorter
  const MessageField* fields;
  uint32_t fieldCount;
};

// The layout of type (nullptr for a type the catalogue does not know). For an
// AccessRequest whose wire-order body asks for a new user, the longer layout
// with the new user's fields; body may be nullptr for the short one.
const MessageLayout* MessageLayoutOf(uint32_t type, const uint8_t* body = nullptr, uint32_t length = 0);
// The message's name, "Echo" and "ServerAlert" included; nullptr if unknown.
const char* MessageName(uint32_t type);

enum MessageDirection : int { kToWire = 0, kToHost = 1 };

// Whether a wire-order body of type holds its whole layout: at least the
// layout's length and, for an EntryList, all of its entries. Unknown types
// pass (there is nothing to read in them).
bool MessageBodyCheck(uint32_t type, const uint8_t* body, uint32_t length);

// Conversion routines: each swaps exactly its layout's numbers in place and
// serves both directions. 0, or 15 (nothing touched) when length is shorter
// than the layout.
ErrorCode WelcomeTextConvert(uint8_t* body, uint32_t length);
ErrorCode AccessRequestConvert(uint8_t* body, uint32_t length);
ErrorCode AccessDeniedConvert(uint8_t* body, uint32_t length);
ErrorCode DisclaimerConvert(uint8_t* body, uint32_t length);
ErrorCode AccessGrantedConvert(uint8_t* body, uint32_t length);
ErrorCode RoomInfoConvert(uint8_t* body, uint32_t length);
ErrorCode RoomStatusConvert(uint8_t* body, uint32_t length);
ErrorCode GameImageRequestConvert(uint8_t* body, uint32_t length);
// The room id only: the building image set stays in wire order.
ErrorCode GameImageConvert(uint8_t* body, uint32_t length);
ErrorCode ServerAlertConvert(uint8_t* body, uint32_t length);
// The count decides how far the entries go, so the direction matters: to
// host order the head first, then the entries; to wire order the reverse.
// 15 when the count's entries do not fit in length.
ErrorCode EntryListConvert(uint8_t* body, uint32_t length, MessageDirection direction);
// The conversion routine of type; 0 for a type without numbers.
ErrorCode MessageConvert(uint32_t type, uint8_t* body, uint32_t length, MessageDirection direction);

// Copies the text at offset, at most fieldSize bytes (0: to the end of the
// body) and never past length, into out, which always ends in a NUL. Returns
// false when the text had no terminator inside its field and the body (out
// then holds what was there).
bool MessageCopyText(char* out, size_t outSize, const uint8_t* body, uint32_t length, uint32_t offset,
                     uint32_t fieldSize);

// Sizes of the fixed layouts.
inline constexpr uint32_t kAccessRequestLogInLength = 80;
inline constexpr uint32_t kAccessRequestNewUserLength = 336;  // plus the personal information
inline constexpr uint32_t kRoomInfoLength = 64;
inline constexpr uint32_t kEntryListHeadLength = 8;
inline constexpr uint32_t kEntryLength = 72;
