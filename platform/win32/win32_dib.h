#pragma once
// 32-bit top-down DIBs in the layout of the program's buffers: 0x00RRGGBB in
// memory is the DIB's blue, green, red and unused byte, rows from the top.

#include <windows.h>

#include <cstdint>

BITMAPINFO Win32BufferInfo(int32_t width, int32_t height);
// A DIB section of that layout and its pixels; nullptr when GDI refuses.
HBITMAP Win32BufferSection(int32_t width, int32_t height, uint32_t** pixels);
