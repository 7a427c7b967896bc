#include "tests/toolkit/button_standin.h"

#include "toolkit/window.h"

void ButtonPress(Button* button) { ++button->presses; }
