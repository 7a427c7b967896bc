#pragma once
// The environment the program was started with. The backend changes its own
// environment for Qt's sake (scaling, platform theme); programs it starts
// must not inherit those changes.

// Copies the current environment; called once, before the backend changes it.
void QtStartEnvironmentCapture();
// The copy, NUL-terminated like environ; environ itself before any capture.
// Only read after the capture, so it is safe between fork and exec.
char* const* QtStartEnvironment();
