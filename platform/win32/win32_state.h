#pragma once
// Hooks between the files of the Win32 backend.

#include <windows.h>

#include <cstdint>

#include "platform/handles.h"

// The program's instance, for window classes and windows.
HINSTANCE Win32Instance();

// Clock: true in the tests' manual mode; the manual uptime grows by ms.
bool Win32ClockIsManual();
void Win32ClockAddMs(uint32_t milliseconds);
// Makes the hidden timer window once the platform starts, destroys it at
// shutdown; the tick timer runs on it while a handler is installed.
bool Win32ClockStart();
void Win32ClockStop();
// Asks the program's thread to run the quit request handler (safe from any
// thread: console control events arrive on one of their own).
void Win32PostQuitRequest();
// A marker behind the messages pending now (PlatformPumpOnce stops at it).
bool Win32PostPumpMarker();
bool Win32IsPumpMarker(const MSG& message);
// Asks the timer window to run the calls a callback hold kept back; false
// when there is no timer window yet.
bool Win32PostDeferredRun();
// Runs the quit request handler, or quits with 0 without one.
void Win32RunQuitRequest();

// Sockets and lookups: the hidden network window, made on first use.
void Win32NetShutdown();

// The GDI font of a platform font; the default GUI font for nullptr.
HFONT Win32FontOf(PlatformFont font);
// The same font at the screen's scale, for controls (the system draws their
// text in device pixels).
HFONT Win32ControlFontOf(PlatformFont font);

// Modifier bits pretended by simulated input, or -1 for the real keyboard.
extern int64_t g_win32TestModifiers;
