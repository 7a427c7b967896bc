#pragma once
// The alert box: the program's own message window, a read-only text above an
// "OK" button, titled "Salvind". It is modal while shown but does not block:
// AlertBoxShow returns at once and the box lives on until "OK" is pressed.

#include "core/rect.h"
#include "core/types.h"

struct Window;

// Opens an alert box showing a copy of text (CR LF line ends; nullptr: empty)
// over parent (nullptr: none), centred. rect gives the box's drawing-area
// size; nullptr sizes it from the text (240 to 540 by 100 to 400 pixels, the
// text scrolling when it does not fit). Enter presses "OK", which hides the
// box and deletes it on the next posted-event tick. 0, or the error of the
// part that could not be made (nothing stays on screen then).
ErrorCode AlertBoxShow(const char* text, const Rect* rect, Window* parent);

// Runs then once no alert box is open: at once when none is, else when the
// last open one has been closed with "OK" and deleted. A later call before
// it ran takes its place.
void AlertBoxAfterAll(void (*then)());
