#pragma once
// The alert box: a small non-modal window that shows a text.

#include "core/rect.h"
#include "core/types.h"

struct Window;

// Shows text in a new alert box at rect (nullptr: centred on the screen) over
// parent (nullptr: none). The box keeps its own copy of text and the call
// returns at once.
ErrorCode AlertBoxShow(const char* text, const Rect* rect, Window* parent);
