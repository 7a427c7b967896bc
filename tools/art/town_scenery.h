// Pieces of the town that more than one picture shows: the late-afternoon
// sky, hills, houses, trees and stone walls. Light comes from the upper
// left, so lit faces are on the left and shadows fall to the lower right.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>

// Sky ramp from deep blue at the top to gold at the horizon line.
void SkyFill(QImage* img, const QRect& r);

// A low sun with a dithered halo that fades into the sky.
void SunDraw(QImage* img, QPoint centre, int radius, int haloRadius);

// A flat cloud of a few overlapping puffs, lit from above.
void CloudDraw(QImage* img, QPoint at, int width);

// A rolling hill line between x0 and x1 whose crest wanders around crestY
// with the given amplitude; filled down to the bottom of r.
void HillsFill(QImage* img, const QRect& r, int crestY, int amplitude, double waves, double phase,
               QRgb fill, QRgb crest);

enum class Roof { Gable, Hip };

// A house standing on baseY with its left edge at x: body w x h, a clay roof
// on top, door and windows, shaded right side. Lit windows glow.
void HouseDraw(QImage* img, int x, int baseY, int w, int h, Roof roof, QRgb roofColour,
               bool lit);

// A round tree rooted at (x, baseY) with a crown of the given radius and its
// shadow on the ground to the lower right.
void TreeDraw(QImage* img, int x, int baseY, int radius);

// Coursed stone: staggered blocks with mortar lines, lit along the top.
void StoneWallFill(QImage* img, const QRect& r, int blockW, int blockH);

// A row of merlons on top of a wall whose top edge is at topY.
void BattlementDraw(QImage* img, int x0, int x1, int topY, int merlonW, int merlonH);

// A few flowers scattered in the rectangle, deterministic from the seed.
void FlowersScatter(QImage* img, const QRect& r, int count, unsigned seed);

// A low bush sitting on baseY, centred on x, lit on its upper left.
void BushDraw(QImage* img, int x, int baseY, int width);
