// Reads a rectangle list (the count, then left top right bottom per
// rectangle, white-space separated) so pictures can be drawn to fit it.
#pragma once

#include <QRect>
#include <QString>

#include <vector>

// The rectangles in file order, or an empty list when the file cannot be
// read or is malformed. QRect is built from left/top and the exclusive
// right/bottom of the list.
std::vector<QRect> LayoutRead(const QString& path);
