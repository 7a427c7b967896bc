#include "protocol/messages.h"

#include <cstring>
#include <span>

#include "core/byte_order.h"
#include "core/byte_reader.h"
#include "core/error_codes.h"

namespace {

using K = FieldKind;

constexpr MessageField kWelcomeText[] = {{nullptr, K::kU16, 0, 2}, {"text", K::kText, 4, 0}};
constexpr MessageField kAccessRequest[] = {
    {"signature", K::kU32, 0, 4},     {"version", K::kU32, 4, 4},       {"user_name", K::kText, 8, 32},
    {"password", K::kText, 40, 32},   {"client_kind", K::kU16, 72, 2},  {"os_kind", K::kU16, 74, 2},
    {"new_user", K::kU16, 76, 2},     {"full_name", K::kText, 78, 128}, {"email", K::kText, 206, 128},
    {"personal_info", K::kText, 334, 0},
};
constexpr uint32_t kAccessRequestLogInFields = 7;
constexpr MessageField kAccessDenied[] = {{"reason", K::kU16, 0, 2}};
constexpr MessageField kDisclaimer[] = {
    {"version", K::kU32, 0, 4}, {nullptr, K::kU32, 4, 4}, {"text", K::kText, 8, 0}};
constexpr MessageField kAccessGranted[] = {
    {nullptr, K::kU32, 0, 4}, {"newest_client_version", K::kU32, 4, 4}, {"disclaimer_version", K::kU32, 8, 4}};
constexpr MessageField kRoomInfo[] = {
    {"room_id", K::kU32, 0, 4},        {"address", K::kU32, 4, 4},         {"port", K::kU16, 8, 2},
    {"spare", K::kU16, 10, 2},         {"game_name", K::kText, 12, 31},    {"image_file", K::kText, 44, 16},
    {"image_version", K::kU32, 60, 4},
};
constexpr MessageField kRoomStatus[] = {
    {"room_id", K::kU32, 0, 4}, {"players", K::kU32, 4, 4}, {"state", K::kU16, 8, 2}};
constexpr MessageField kRoomId[] = {{"room_id", K::kU32, 0, 4}};
constexpr MessageField kEntryList[] = {{nullptr, K::kU32, 0, 4}, {"count", K::kU32, 4, 4}};
constexpr MessageField kServerAlert[] = {{nullptr, K::kU16, 0, 2}, {"text", K::kText, 2, 0}};

template <size_t N>
constexpr MessageLayout Layout(uint32_t type, const char* name, uint32_t minLength, const MessageField (&f)[N]) {
  return {type, name, minLength, f, N};
}

constexpr MessageLayout kLayouts[] = {
    Layout(kMessageWelcomeText, "WelcomeText", 4, kWelcomeText),
    {kMessageAccessRequest, "AccessRequest", kAccessRequestLogInLength, kAccessRequest, kAccessRequestLogInFields},
    Layout(kMessageAccessDenied, "AccessDenied", 2, kAccessDenied),
    {kMessageDisclaimerRequest, "DisclaimerRequest", 0, nullptr, 0},
    Layout(kMessageDisclaimer, "Disclaimer", 8, kDisclaimer),
    Layout(kMessageAccessGranted, "AccessGranted", 12, kAccessGranted),
    Layout(kMessageRoomInfo, "RoomInfo", kRoomInfoLength, kRoomInfo),
    Layout(kMessageRoomStatus, "RoomStatus", 10, kRoomStatus),
    Layout(kMessageGameImageRequest, "GameImageRequest", 4, kRoomId),
    Layout(kMessageGameImage, "GameImage", 4, kRoomId),
    Layout(kMessageEntryList, "EntryList", kEntryListHeadLength, kEntryList),
    {kMessageEcho, "Echo", 0, nullptr, 0},
    Layout(kMessageServerAlert, "ServerAlert", 2, kServerAlert),
};
constexpr MessageLayout kAccessRequestNewUser =
    Layout(kMessageAccessRequest, "AccessRequest", kAccessRequestNewUserLength, kAccessRequest);

const MessageLayout* Find(uint32_t type) {
  for (const MessageLayout& layout : kLayouts) {
    if (layout.type == type) return &layout;
  }
  return nullptr;
}

ErrorCode ConvertLayout(uint32_t type, uint8_t* body, uint32_t length) {
  const MessageLayout* layout = Find(type);
  if (!layout || length < layout->minLength) return kErrorBadParameter;
  for (uint32_t i = 0; i < layout->fieldCount; ++i) {
    const MessageField& f = layout->fields[i];
    if (f.kind == K::kU32) Swap32At(body + f.offset);
    if (f.kind == K::kU16) Swap16At(body + f.offset);
  }
  return kErrorNone;
}

// The bytes the entries of count take after the head, if they fit in length.
bool EntriesFit(uint32_t count, uint32_t length) {
  return length >= kEntryListHeadLength &&
         uint64_t{count} * kEntryLength <= uint64_t{length} - kEntryListHeadLength;
}

}  // namespace

const MessageLayout* MessageLayoutOf(uint32_t type, const uint8_t* body, uint32_t length) {
  if (type == kMessageAccessRequest && body && length >= 78 && LoadBe16(body + 76) == 1) {
    return &kAccessRequestNewUser;
  }
  return Find(type);
}

const char* MessageName(uint32_t type) {
  const MessageLayout* layout = Find(type);
  return layout ? layout->name : nullptr;
}

bool MessageBodyCheck(uint32_t type, const uint8_t* body, uint32_t length) {
  const MessageLayout* layout = MessageLayoutOf(type, body, length);
  if (!layout) return true;
  if (length < layout->minLength) return false;
  if (type == kMessageEntryList) return EntriesFit(LoadBe32(body + 4), length);
  return true;
}

ErrorCode WelcomeTextConvert(uint8_t* body, uint32_t length) { return ConvertLayout(kMessageWelcomeText, body, length); }
ErrorCode AccessRequestConvert(uint8_t* body, uint32_t length) { return ConvertLayout(kMessageAccessRequest, body, length); }
ErrorCode AccessDeniedConvert(uint8_t* body, uint32_t length) { return ConvertLayout(kMessageAccessDenied, body, length); }
ErrorCode DisclaimerConvert(uint8_t* body, uint32_t length) { return ConvertLayout(kMessageDisclaimer, body, length); }
ErrorCode AccessGrantedConvert(uint8_t* body, uint32_t length) { return ConvertLayout(kMessageAccessGranted, body, length); }
ErrorCode RoomInfoConvert(uint8_t* body, uint32_t length) { return ConvertLayout(kMessageRoomInfo, body, length); }
ErrorCode RoomStatusConvert(uint8_t* body, uint32_t length) { return ConvertLayout(kMessageRoomStatus, body, length); }
ErrorCode GameImageRequestConvert(uint8_t* body, uint32_t length) { return ConvertLayout(kMessageGameImageRequest, body, length); }
ErrorCode GameImageConvert(uint8_t* body, uint32_t length) { return ConvertLayout(kMessageGameImage, body, length); }
ErrorCode ServerAlertConvert(uint8_t* body, uint32_t length) { return ConvertLayout(kMessageServerAlert, body, length); }

ErrorCode EntryListConvert(uint8_t* body, uint32_t length, MessageDirection direction) {
  if (length < kEntryListHeadLength) return kErrorBadParameter;
  uint32_t count;
  std::memcpy(&count, body + 4, 4);
  if (direction == kToHost) Swap32(&count);
  if (!EntriesFit(count, length)) return kErrorBadParameter;
  auto entries = [&] {
    for (uint32_t i = 0; i < count; ++i) {
      uint8_t* entry = body + kEntryListHeadLength + i * kEntryLength;
      Swap32At(entry);
      Swap16At(entry + 68);
      Swap16At(entry + 70);
    }
  };
  if (direction == kToWire) entries();
  ConvertLayout(kMessageEntryList, body, length);
  if (direction == kToHost) entries();
  return kErrorNone;
}

ErrorCode MessageConvert(uint32_t type, uint8_t* body, uint32_t length, MessageDirection direction) {
  if (type == kMessageEntryList) return EntryListConvert(body, length, direction);
  if (!Find(type)) return kErrorNone;
  return ConvertLayout(type, body, length);
}

bool MessageCopyText(char* out, size_t outSize, const uint8_t* body, uint32_t length, uint32_t offset,
                     uint32_t fieldSize) {
  if (outSize == 0) return false;
  out[0] = '\0';
  if (!body || offset >= length) return false;
  uint32_t available = length - offset;
  if (fieldSize != 0 && fieldSize < available) available = fieldSize;
  const std::span<const uint8_t> field(body + offset, available);
  const std::string_view text = FieldText(field);
  const size_t n = text.size() < outSize - 1 ? text.size() : outSize - 1;
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return text.size() < available;
}
