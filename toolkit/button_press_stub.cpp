// Until the controls exist there is no button to press. This file holds
// ButtonPress alone, so a definition elsewhere (the controls, a test's
// stand-in) takes its place and this one is never linked.

#include "toolkit/window.h"

void ButtonPress(Button*) {}
