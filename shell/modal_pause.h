#pragma once
// Things that must hold still while a modal box runs its own loop: layers
// above the shell (the socket layer) register a switch here, and the boxes,
// which sit lower, pause every registered switch around their loop.

// Adds a switch; registering one twice keeps one entry. While a pause is on,
// a switch registered now is turned off at once. False when the table is full.
bool ModalPauseRegister(void (*setEnabled)(int enabled));
// Removes a switch; during a pause it is turned back on first, so it is left
// as it was before the pause.
void ModalPauseUnregister(void (*setEnabled)(int enabled));

// Calls every switch with 0 on the outermost begin and with 1 on the
// matching end; nested pauses (a box opened from inside a box) only count.
void ModalPauseBegin();
void ModalPauseEnd();

// Begin and end of a pause as a scope.
class ModalPause {
 public:
  ModalPause() { ModalPauseBegin(); }
  ~ModalPause() { ModalPauseEnd(); }
  ModalPause(const ModalPause&) = delete;
  ModalPause& operator=(const ModalPause&) = delete;
};
