// One received body of one message type: the first byte picks the type from
// the catalogue (or one it does not know), the rest is the body.

#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/support/client_reading.h"
#include "protocol/messages.h"

namespace {

constexpr uint32_t kTypes[] = {
    kMessageWelcomeText, kMessageAccessDenied, kMessageDisclaimer,        kMessageAccessGranted,
    kMessageRoomInfo,    kMessageRoomStatus,   kMessageGameImage,         kMessageEntryList,
    kMessageServerAlert, kMessageAccessRequest, kMessageGameImageRequest, kMessageDisclaimerRequest,
    kMessageEcho,        2,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 20)) return 0;
  const uint32_t type = kTypes[data[0] % std::size(kTypes)];
  // Exactly the body's bytes on the heap, so a read one past it is seen.
  const uint32_t length = static_cast<uint32_t>(size - 1);
  std::vector<uint8_t> body(data + 1, data + size);
  body.shrink_to_fit();
  ReadLikeClient(type, body.empty() ? nullptr : body.data(), length);
  return 0;
}
