// Pieces the six lobby buildings are drawn from: wall faces, roofs,
// windows, doors, the "closed" board, chimney smoke, the little figure of
// the enter animation. Every building is drawn into an image the size of
// its map rectangle; light comes from the upper left like on the map.
#pragma once

#include <QImage>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRgb>

enum class Door { Shut, Ajar, Open };

enum class Pane { Lit, Bright, Dim, Shuttered };

// What one picture of a building shows. The idle animation varies phase,
// the enter animation the door, the light and the figure; the closed
// picture is shut and dark.
struct Look {
  int phase = 0;         // idle step, 0 .. frames - 1
  Door door = Door::Shut;
  int spill = 0;         // light falling out of the door: 0 none, 1, 2 full
  int figure = -1;       // the visitor's step toward the door, -1 when absent
  bool closed = false;   // shutters closed, no light, the "closed" board up
};

// The pane of a window for a look: shuttered when closed, else lit with a
// gentle flicker that follows the phase (the seed staggers windows).
Pane PaneFor(const Look& look, int seed);

// Stone courses on a wall face, lit along the top of each block; the right
// side strip in shade gives the house its depth.
void StoneFace(QImage* img, const QRect& face, int shadeWidth);

// Pale plaster between timber posts and beams.
void TimberFace(QImage* img, const QRect& face, int postStep, int shadeWidth);

// A tiled roof filling the polygon, rows of tiles every three pixels; to
// the right of splitX the slope turns away from the light.
void TiledRoof(QImage* img, const QPolygon& shape, int splitX, QRgb light, QRgb shade);

// A window with its frame and sill; shutters stand open beside it unless
// the pane is shuttered, when they cover it.
void WindowDraw(QImage* img, const QRect& r, Pane pane, bool shutters);

// A round-topped window (halls and the library).
void ArchedWindowDraw(QImage* img, const QRect& r, Pane pane);

// The door in its frame: shut planks, ajar with a slit of light, or open
// onto the warm light inside. An arched door has a round top.
void DoorDraw(QImage* img, const QRect& r, Door door, bool arched);

// The small board reading "closed", hung by two strings, centred on cx.
void ClosedBoardDraw(QImage* img, int cx, int top);

// A chimney standing on a roof, its top at (x, y).
void ChimneyDraw(QImage* img, int x, int y, int w, int h);

// Puffs of smoke rising from (x, y) up and to the right, at the given
// step of a loop of steps. Only pixels that are already part of the
// building are painted, so the silhouette never changes.
void SmokeDraw(QImage* img, QPoint from, int step, int steps);

// A lantern on a bracket; its glass follows the flicker of the phase.
void LanternDraw(QImage* img, int x, int y, int phase, bool lit);

// The ground of a building's picture: a stone step before the door and a
// paved apron down to the bottom edge, and the long shadow to the lower
// right of the walls. The map's plot pad lies under all of it.
void ApronDraw(QImage* img, const QRect& door, int halfWidth);
void CastShadowDraw(QImage* img, const QPolygon& area);

// Darkens the pavement under the door by the light that spills out.
void LightSpillDraw(QImage* img, const QRect& door, int level);

// The visitor walking to the door: step 0 on the apron, 3 in the doorway.
void FigureDraw(QImage* img, const QRect& door, int step);

// Turns every opaque pixel next to a transparent one (or the picture's
// edge) into the outline colour: the one-pixel darker edge that makes a
// building stand off the map.
void OutlineSilhouette(QImage* img);

// Puts `layer` over `img` where the layer is opaque.
void Overlay(QImage* img, const QImage& layer);
