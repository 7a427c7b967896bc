#pragma once
// Qt's accessibility for the backend's windows: a window's title is its
// name, and the items the program describes (platform/access.h) are its
// accessible children after its widgets, reached over AT-SPI on Linux.

#include <QRect>
#include <QString>

#include <vector>

struct QtAccessItem {
  QRect rect;  // drawing-area coordinates
  QString name;
  bool button = false;
};

struct QtAccessState {
  std::vector<QtAccessItem> items;
  int focus = -1;
  std::vector<unsigned> ids;  // the registered interface of each item, 0 until asked for
};

// Puts the backend's windows under Qt's accessibility; after the
// application object exists.
void QtAccessInstall();
