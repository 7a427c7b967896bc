#pragma once
// Reduced motion: a player who asks for less movement gets still pictures.
// Idle animations rest on their first frame, the gate's zoom is skipped and
// entering a room starts its game at once.

// The variable that decides it: "1" reduces motion, "0" does not, whatever
// the desktop says; unset or anything else leaves it to the desktop.
inline constexpr char kReducedMotionVariable[] = "SALVIND_REDUCED_MOTION";

// Whether motion is reduced now (the variable, else the desktop's setting).
bool MotionReduced();
