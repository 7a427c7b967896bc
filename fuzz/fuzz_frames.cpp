// The connection's stream reader fed a byte stream in read events of varying
// sizes. Input: a flags byte, a count n, n chunk sizes (one byte each, used
// in turn; 0 is a read event with nothing waiting), then the stream. Every
// queued message is taken and read as the client's handler would.

#include <cstdint>
#include <cstring>

#include "core/byte_reader.h"
#include "core/memory.h"
#include "fuzz/support/client_reading.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/socket_stand_in.h"
#include "net/connection.h"
#include "protocol/frame.h"

namespace {

enum : uint8_t {
  kDestroyOnFirstMessage = 1,  // the handler ends the connection (AccessDenied does)
  kPeekFirst = 2,              // look at each message before taking it
};

struct Run {
  Connection* connection = nullptr;
  uint8_t flags = 0;
  int messages = 0;
  bool closedEvent = false;
};
Run g_run;

void OnEvent(Connection* c, int16_t event) {
  FUZZ_CHECK(c == g_run.connection);
  if (event == kConnectionClosed) {
    g_run.closedEvent = true;
    return;
  }
  FUZZ_CHECK(event == kConnectionMessageQueued);
  ++g_run.messages;
  uint32_t type = 0, length = 0;
  if (g_run.flags & kPeekFirst) {
    uint32_t peekType = 0, peekLength = 0;
    uint8_t* peeked = ConnectionGetMessage(c, &peekType, &peekLength, kGetMessagePeek);
    FUZZ_CHECK(!peeked || peeked[peekLength] == 0);
  }
  uint8_t* body = ConnectionGetMessage(c, &type, &length, 0);
  FUZZ_CHECK(!MessageIsSystem(type));
  FUZZ_CHECK(length <= kFrameMaxPadded);
  if (body) {
    FUZZ_CHECK(body[length] == 0);  // the terminator behind every body
    ReadLikeClient(type, body, length);
    MemFree(body);
  } else {
    FUZZ_CHECK(length == 0);
  }
  if (g_run.flags & kDestroyOnFirstMessage) {
    ConnectionDestroy(c);
    g_run.connection = nullptr;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0];
  const size_t chunkCount = data[1];
  if (size < 2 + chunkCount) return 0;
  const uint8_t* chunks = data + 2;
  const uint8_t* stream = chunks + chunkCount;
  const size_t streamSize = size - 2 - chunkCount;

  SocketFeed& feed = Feed();
  feed = SocketFeed{};
  feed.data = stream;
  feed.size = streamSize;
  g_run = Run{};
  g_run.flags = flags;
  g_run.connection = ConnectionNew();
  FUZZ_CHECK(g_run.connection);
  FUZZ_CHECK(ConnectionOpen(g_run.connection, nullptr, 0x7F000001u, 2000, &OnEvent) == 0);
  NetSocket* socket = g_run.connection->socket;

  size_t next = 0;
  while (g_run.connection && feed.waiting < feed.size) {
    const size_t chunk = chunkCount ? chunks[next++ % chunkCount] : feed.size;
    feed.waiting = std::min(feed.size, feed.waiting + chunk);
    if (chunk == 0) {
      // Nothing waiting: the reader must not lose its place.
      ConnectionOnRead(socket, reinterpret_cast<UserData>(g_run.connection));
      if (next > 4 * feed.size + 1024) break;  // only empty events left
      continue;
    }
    // The socket layer reports a read event for as long as bytes wait; every
    // event moves the reader on by at least one byte.
    while (g_run.connection && feed.position < feed.waiting) {
      const size_t before = feed.position;
      ConnectionOnRead(socket, reinterpret_cast<UserData>(g_run.connection));
      FUZZ_CHECK(feed.position > before);
    }
  }
  if (g_run.connection) {
    ConnectionOnClose(socket, reinterpret_cast<UserData>(g_run.connection));
    FUZZ_CHECK(g_run.closedEvent);
    FUZZ_CHECK(g_run.connection->socket == nullptr);
    ConnectionDestroy(g_run.connection);
  }
  FUZZ_CHECK(feed.openSockets == 0);

  // The client only ever answered echoes: 12-byte frames, type and zeros.
  FUZZ_CHECK(feed.written.size() % kFrameHeaderSize == 0);
  for (size_t i = 0; i < feed.written.size(); i += kFrameHeaderSize) {
    FUZZ_CHECK(LoadBe32(&feed.written[i]) == kMessageEcho);
    FUZZ_CHECK(LoadBe32(&feed.written[i + 4]) == 0 && LoadBe32(&feed.written[i + 8]) == 0);
  }
  for (const std::string& text : feed.alertTexts) {
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
    }
  }
  return 0;
}
