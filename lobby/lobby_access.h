#pragma once
// The lobby for screen readers: each building of an open or full room is an
// item named by its game and status line ("chess, 3 players"), the welcome
// icon a button, in the order the keys walk them; the reader's focus is
// the keys' current building.

// Tells the platform the lobby's items and the focused one when they
// differ from what it was told last.
void LobbyAccessRefresh();
// Forgets what the platform was told (the lobby goes).
void LobbyAccessReset();
