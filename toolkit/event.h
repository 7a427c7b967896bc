#pragma once
// The event record that the toolkit hands to event procedures.

#include <cstdint>

#include "core/rect.h"
#include "core/types.h"

enum EventType : uint16_t {
  EventQuit = 1,
  EventIdle = 128,
  EventActivate = 129,
  EventDeactivate = 130,
  EventClose = 131,
  EventPaint = 132,
  EventButtonDown = 135,
  EventButtonUp = 136,
  EventDoubleClick = 137,
  EventChar = 138,
  // A key that moves rather than types (arrows, PageUp, PageDown, Home,
  // End) in a window without a control holding the keyboard: its kKey code
  // in bits 0-7 of key, the modifier bits above.
  EventKey = 139,
};

// Modifier bits of Event::key.
enum : uint32_t {
  kKeyShift = 0x01000000u,
  kKeyControl = 0x02000000u,
  kKeyAlt = 0x04000000u,
  kKeyCharMask = 0x000000FFu,
};

// Codes of EventKey.
enum : uint32_t {
  kKeyPageUp = 0x21,
  kKeyPageDown = 0x22,
  kKeyEnd = 0x23,
  kKeyHome = 0x24,
  kKeyLeft = 0x25,
  kKeyUp = 0x26,
  kKeyRight = 0x27,
  kKeyDown = 0x28,
};

struct Event {
  void* source;      // the window or object the event is for; nullptr for a program event
  uint16_t type;     // EventType
  Point point;       // drawing-area coordinates, or (0, 0)
  Rect rect;         // or all 0
  uint32_t key;      // character in bits 0-7, modifier bits above
  uint32_t data1;    // 0 in toolkit events; free for posted events
  uint32_t data2;
  UserData userData; // the source window's user data, or the poster's
};

// Returns 1 when it handled the event, else 0.
using EventProc = uint16_t (*)(void* source, Event* event);

// Builds the event (a missing point gives (0, 0), a missing rect all zeros)
// and returns proc's result; 0 without calling anything when proc is nullptr.
uint16_t EventSend(void* source, EventProc proc, uint16_t type, const Point* point, const Rect* rect,
                   uint32_t key, uint32_t data1, uint32_t data2, UserData userData);
// Queues the event; one queued event is delivered per tick, first in first
// out, from the toolkit's periodic procedure. An event without a source goes
// to the program's handler, one with a source and no proc is dropped.
void EventPost(void* source, EventProc proc, uint16_t type, const Point* point, const Rect* rect,
               uint32_t key, uint32_t data1, uint32_t data2, UserData userData);
// Drops every queued event whose source is source: a window being deleted
// takes what was posted to it along, so nothing reaches it afterwards.
void EventCancelPosted(const void* source);
// Installs the program's handler of posted events without a source.
void EventSetProgramHandler(EventProc handler);
// Number of posted events not yet delivered.
int32_t EventQueuedCount();
