// One function per picture of the program. Each returns the finished
// picture in table colours (see town_palette.h).
#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

// The splash: the "Orva" wordmark over a small emblem, 400 x 240, framed.
QImage SplashDraw();

// The splash's emblem, an arched gate with a die in its light, standing on
// bottom around cx; about 52 x 66.
void EmblemDraw(QImage* img, int cx, int bottom);

// The program's icon, size x size: the emblem on a rounded tile of sky and
// lawn, transparent outside the tile. Not in table colours: it is scaled.
QImage ProgramIconDraw(int size);
// The icon as a Windows icon file (16 to 48 pixels as bitmaps, 256 as PNG).
bool ProgramIconWriteIco(const QString& path);

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
