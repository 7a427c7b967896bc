#pragma once
// Hooks between the files of the Qt backend.

// The application object now exists: start what needs an event loop.
void QtClockAppStarted();
// The application object is about to go: stop timers that belong to it.
void QtClockAppStopping();
