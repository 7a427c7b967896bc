#pragma once
// The whole-number scale of a dense screen. The program's world is logical
// pixels; on a screen of twice the density every window is twice its size,
// the program's pictures are enlarged by whole pixels and Qt draws text and
// controls at twice their size. Nothing above the backend sees the factor.

// The variable that fixes the factor: 1 to 4; anything else is ignored.
inline constexpr char kScaleVariable[] = "SALVIND_SCALE";

// Sets Qt up for the factor before the application object is made:
// SALVIND_SCALE when it holds 1 to 4, else the largest whole factor not
// above each screen's density (96 dots per inch being 1).
void QtScaleConfigure();
