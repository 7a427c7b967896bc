#include "protocol/access_request.h"

#include <cstring>

#include "core/byte_reader.h"
#include "protocol/messages.h"

namespace {

// Offsets come from the catalogue, so the layout is written down once.
const MessageField* FieldOf(const MessageLayout* layout, const char* name) {
  for (uint32_t i = 0; i < layout->fieldCount; ++i) {
    const MessageField& f = layout->fields[i];
    if (f.name && std::strcmp(f.name, name) == 0) return &f;
  }
  return nullptr;
}

bool Text(const MessageLayout* layout, const char* name, const uint8_t* body, uint32_t length, char* out,
          size_t outSize) {
  const MessageField* f = FieldOf(layout, name);
  return f && MessageCopyText(out, outSize, body, length, f->offset, f->size);
}

uint32_t Number(const MessageLayout* layout, const char* name, const uint8_t* body) {
  const MessageField* f = FieldOf(layout, name);
  if (!f) return 0;
  return f->kind == FieldKind::kU32 ? LoadBe32(body + f->offset) : LoadBe16(body + f->offset);
}

}  // namespace

AccessRequestParseResult AccessRequestParse(const uint8_t* body, uint32_t length, AccessRequestFields* out) {
  std::memset(out, 0, sizeof *out);
  if (!body || !MessageBodyCheck(kMessageAccessRequest, body, length)) return kAccessRequestShort;
  const MessageLayout* layout = MessageLayoutOf(kMessageAccessRequest, body, length);
  AccessRequestFields f = {};
  f.signature = Number(layout, "signature", body);
  f.version = Number(layout, "version", body);
  f.clientKind = static_cast<uint16_t>(Number(layout, "client_kind", body));
  f.osKind = static_cast<uint16_t>(Number(layout, "os_kind", body));
  f.newUser = static_cast<uint16_t>(Number(layout, "new_user", body));
  bool ended = Text(layout, "user_name", body, length, f.userName, sizeof f.userName) &&
               Text(layout, "password", body, length, f.password, sizeof f.password);
  if (ended && f.newUser == 1) {
    ended = Text(layout, "full_name", body, length, f.fullName, sizeof f.fullName) &&
            Text(layout, "email", body, length, f.email, sizeof f.email) &&
            Text(layout, "personal_info", body, length, f.personalInfo, sizeof f.personalInfo);
    // A full copy may have been cut: the text is too long unless its
    // terminator sits right after the 1023rd character.
    const MessageField* info = FieldOf(layout, "personal_info");
    const size_t copied = std::strlen(f.personalInfo);
    if (ended && info && copied == sizeof f.personalInfo - 1 && body[info->offset + copied] != 0) {
      return kAccessRequestTooLong;
    }
  }
  if (!ended) return kAccessRequestUnterminated;
  *out = f;
  return kAccessRequestOk;
}
