// A building as the lobby packs it: the frames of its idle and enter
// animations and its closed picture, all the size of its plot's rectangle
// and all with one silhouette, written as a folder of PNG frames with the
// description files the packer reads (idle.anim, enter.anim, set.txt).
#pragma once

#include <QImage>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <vector>

#include "tools/art/building_parts.h"

struct BuildingArt {
  const char* game;       // the plot (building_plots.h) it stands on
  int idleFrames;         // 4 to 8, looping
  int idleDuration;       // tenths of a second for one pass of the idle frames
  QRect door;             // the door opening, in the picture
  int apronHalfWidth;     // of the step and paving before the door
  QPolygon shadow;        // the long shadow on the plot, in the picture
  void (*structure)(QImage* img, const Look& look);  // walls, roofs, details
};

// The enter animation is the same story for every house: the visitor
// stands before the door, it opens, light spills out, the visitor walks in
// and the door swings to.
const std::vector<Look>& EnterLooks();

// Tenths of a second for one pass of the enter frames.
inline constexpr int kEnterDuration = 14;

// One picture of the building: its plot's size, transparent round the
// silhouette, every colour from the default table.
QImage BuildingPicture(const BuildingArt& art, const Look& look);

// The map rectangle of the building's plot.
QRect BuildingRect(const BuildingArt& art);

// Draws every frame and the closed picture, checks that they share one
// silhouette and keep to the table, and writes DIR/buildings/<game>/.
// With a preview directory it also writes a contact sheet of the frames
// over the map at 1x and 3x. False with a message on stderr on failure.
bool BuildingWrite(const BuildingArt& art, const QString& outDir, const QString& previewDir,
                   const QImage& map);

// The six buildings of the demo lobby, in plot order.
const std::vector<BuildingArt>& Buildings();
