#include "net/connection.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/byte_order.h"
#include "core/byte_reader.h"
#include "core/memory.h"
#include "core/text.h"
#include "net/error_text.h"
#include "protocol/frame.h"
#include "toolkit/alert.h"
#include "windows/alert_box.h"

namespace {

enum : uint16_t {
  kReadIdle = 0,
  kReadType = 1,
  kReadPadded = 2,
  kReadLength = 3,
  kReadBody = 4,
  kReadComplete = 5,
  kReadSkip = 6,  // a broken frame's body, thrown away as it arrives
};

void MessageDelete(Message* message) {
  if (!message) return;
  MemFree(message->body);
  MemFree(message);
}

void QueueDelete(ListKey, void* data) { MessageDelete(static_cast<Message*>(data)); }

void ShowServerAlert(const Message* message) {
  if (message->length < 2) return;
  // The text ends at its NUL or at the end of the body, whichever is first.
  const std::string text(FieldText({message->body + 2, message->length - 2}));
  if (char* display = TextToCrLf(text.c_str())) {
    AlertBoxShow(display, nullptr, nullptr);
    MemFree(display);
  }
}

// Reads into the current header field; true once it is full.
bool ReadField(Connection* c) {
  while (c->stageCount < 4) {
    const uint32_t n = NetRead(c->socket, c->field + c->stageCount, 4 - c->stageCount);
    if (n == 0) return false;
    c->stageCount += n;
  }
  c->stageCount = 0;
  return true;
}

// Both lengths are known: make room for the body, or skip a body that breaks
// the framing (or that memory cannot hold) so the stream stays in step.
void BeginBody(Connection* c) {
  Message* m = c->message;
  if (FrameCheck(m->paddedLength, m->length) == kFrameOk && m->paddedLength > 0) {
    m->body = static_cast<uint8_t*>(MemAlloc(m->paddedLength + 1));
    if (m->body) {
      c->readState = kReadBody;
      return;
    }
  } else if (FrameCheck(m->paddedLength, m->length) == kFrameOk) {
    c->readState = kReadComplete;
    return;
  }
  c->skip = m->paddedLength;
  MessageDelete(m);
  c->message = nullptr;
  c->readState = kReadSkip;
}

void Dispatch(Connection* c, Message* m) {
  if (!MessageIsSystem(m->type)) {
    if (!ListInsert(c->queue, nullptr, m->type, m, kListInsertEnd)) {
      MessageDelete(m);
      return;
    }
    c->eventCallback(c, kConnectionMessageQueued);
    return;
  }
  if (m->type == kMessageEcho) {
    MessageDelete(m);
    ConnectionSend(c, kMessageEcho, nullptr, 0);
    return;
  }
  if (m->type == kMessageServerAlert) ShowServerAlert(m);
  MessageDelete(m);
}

}  // namespace

Connection* ConnectionNew() {
  return static_cast<Connection*>(MemAllocZero(1, sizeof(Connection)));
}

ErrorCode ConnectionOpen(Connection* c, const char* hostName, uint32_t address, uint16_t port,
                         ConnectionEventCallback callback) {
  c->eventCallback = callback;
  c->queue = ListNew(&QueueDelete);
  if (!c->queue) return kErrorOutOfMemory;
  c->socket = NetOpen(hostName, address, port, &ConnectionOnRead, &ConnectionOnClose,
                      reinterpret_cast<UserData>(c));
  if (!c->socket) return kErrorLocalNetwork;
  return kErrorNone;
}

void ConnectionDestroy(Connection* c) {
  if (!c) return;
  if (c->socket) NetClose(c->socket);
  ListDelete(c->queue);
  MessageDelete(c->message);
  MemFree(c);
}

ErrorCode ConnectionSend(Connection* c, uint32_t type, const void* data, uint32_t length) {
  if (!c->socket) return kErrorLocalNetwork;
  if (length > kFrameMaxPadded) return kErrorBadParameter;
  const uint32_t padded = FramePadded(length);
  // One write of the whole message, so a failure leaves nothing half queued.
  uint8_t stack[256];
  const uint32_t total = kFrameHeaderSize + padded;
  uint8_t* frame = total <= sizeof stack ? stack : static_cast<uint8_t*>(MemAlloc(total));
  if (!frame) return kErrorOutOfMemory;
  FrameHeaderStore(frame, type, length);
  if (length) std::memcpy(frame + kFrameHeaderSize, data, length);
  std::memset(frame + kFrameHeaderSize + length, 0, padded - length);
  const ErrorCode result = NetWrite(c->socket, frame, total);
  if (frame != stack) MemFree(frame);
  return result;
}

uint8_t* ConnectionGetMessage(Connection* c, uint32_t* type, uint32_t* length, uint16_t flags) {
  if (!c->queue) return nullptr;
  const ListKey key = (flags & kGetMessageOfType) ? *type : ListAnyKey;
  ListNode* node = ListFirst(c->queue, key);
  if (!node) return nullptr;
  auto* m = static_cast<Message*>(node->data);
  *type = m->type;
  *length = m->length;
  uint8_t* body = m->body;
  if (!(flags & kGetMessagePeek)) {
    // The caller owns the body now; the record goes with the node.
    m->body = nullptr;
    ListRemove(c->queue, node);
  }
  return body;
}

void ConnectionOnRead(NetSocket*, UserData user) {
  auto* c = reinterpret_cast<Connection*>(user);
  if (c->readState == kReadIdle) {
    c->message = static_cast<Message*>(MemAllocZero(1, sizeof(Message)));
    if (!c->message) {
      // The bytes stay waiting; the next read event tries again.
      SystemFailureAlert(ErrorText(kErrorOutOfMemory));
      return;
    }
    c->readState = kReadType;
    c->stageCount = 0;
  }
  Message* m = c->message;
  for (;;) {
    switch (c->readState) {
      case kReadType:
        if (!ReadField(c)) return;
        m->type = LoadBe32(c->field);
        c->readState = kReadPadded;
        break;
      case kReadPadded:
        if (!ReadField(c)) return;
        m->paddedLength = LoadBe32(c->field);
        c->readState = kReadLength;
        break;
      case kReadLength:
        if (!ReadField(c)) return;
        m->length = LoadBe32(c->field);
        BeginBody(c);
        m = c->message;
        break;
      case kReadBody: {
        const uint32_t n = NetRead(c->socket, m->body + c->stageCount, m->paddedLength - c->stageCount);
        if (n == 0) return;
        c->stageCount += n;
        if (c->stageCount == m->paddedLength) c->readState = kReadComplete;
        break;
      }
      case kReadSkip: {
        uint8_t scratch[512];
        while (c->skip > 0) {
          const uint32_t n = NetRead(c->socket, scratch, std::min<uint32_t>(c->skip, sizeof scratch));
          if (n == 0) return;
          c->skip -= n;
        }
        // The broken message counts as this call's one message.
        c->readState = kReadIdle;
        c->stageCount = 0;
        return;
      }
      case kReadComplete: {
        if (m->body) m->body[m->length] = 0;
        // Reset before acting: the event callback may destroy the connection.
        c->readState = kReadIdle;
        c->stageCount = 0;
        c->message = nullptr;
        Dispatch(c, m);
        return;
      }
      default:
        c->readState = kReadIdle;
        return;
    }
  }
}

void ConnectionOnClose(NetSocket*, UserData user) {
  auto* c = reinterpret_cast<Connection*>(user);
  if (c->socket) {
    NetClose(c->socket);
    c->socket = nullptr;
  }
  c->eventCallback(c, kConnectionClosed);
}
