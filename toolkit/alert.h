#pragma once
// The program's modal message boxes. They live with the windows because a box
// is owned by a Window's platform window; socket events (a layer above) are
// held back around them through shell/modal_pause.h.

struct Window;

// A modal box with text, the title "Salvind" and an OK button, owned by
// owner's platform window (nullptr: no owner). Returns when it is dismissed;
// the owner is active again then.
void Alert(const char* text, Window* owner);

// The same for a failure of the platform that the user cannot act on:
// titled "Salvind: System Failure" and owned by the program's main window
// (WindowSetDefaultParent).
void SystemFailureAlert(const char* text);
