// Where the six demo rooms' buildings stand on the lobby map. The map draws
// a paved plot under each rectangle and the buildings are drawn to fill
// exactly their rectangle, so both read this one table.
#pragma once

#include <QRect>

#include <array>

struct Plot {
  const char* game;  // the room's name: the game program and the folder name
  QRect rect;        // on the 640 x 400 map
};

// The rooms in the order the demo lobby announces them. The card tavern and
// the dice house share a gate pillar: their rectangles overlap by its width.
inline constexpr std::array<Plot, 6> kPlots = {{
    {"chess", QRect(52, 30, 108, 130)},
    {"cards", QRect(40, 222, 108, 108)},
    {"dice", QRect(142, 238, 84, 92)},
    {"go", QRect(462, 48, 106, 102)},
    {"backgammon", QRect(404, 228, 114, 104)},
    {"puzzles", QRect(260, 36, 120, 112)},
}};

// The shared pillar, in map coordinates: inside both the tavern's and the
// dice house's rectangle.
inline constexpr QRect kSharedPillar(142, 284, 6, 46);

// The welcome icon's rectangle (its bottom-right corner at (580, 360)) with
// a margin that no building or busy detail may enter.
inline constexpr QRect kWelcomeClearing(528, 308, 72, 72);
