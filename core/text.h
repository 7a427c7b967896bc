#pragma once
// Line-end conversion for texts shown in multi-line controls.

// A new NUL-terminated copy of text in which LF, CR and CR LF each become
// CR LF; free it with MemFree. nullptr when memory is exhausted. Any length.
char* TextToCrLf(const char* text);
