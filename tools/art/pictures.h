// One function per picture of the program. Each returns the finished
// picture in table colours (see town_palette.h).
#pragma once

#include <QImage>
#include <QRect>

#include <vector>

// The splash: the "Orva" wordmark over a small emblem, 400 x 240, framed.
QImage SplashDraw();

// The gate: 640 x 400, the door centred on (281, 163) for the zoom.
QImage GateDraw();

// The login window's picture, the size of layout[0], with calm wells behind
// the fields (layout[1], [2]) and buttons (layout[3..5]).
QImage LoginDraw(const std::vector<QRect>& layout);

// The welcome icon: a rolled letter, 32 x 32, transparent around it.
QImage WelcomeIconDraw();

// The lobby map: 640 x 400, the town square with its six paved plots (see
// building_plots.h); the welcome icon's corner at (580, 360) stays clear.
QImage MapDraw();
