#include "tools/art/building_set.h"

#include <QDir>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>

#include "tools/art/building_plots.h"
#include "tools/art/houses.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

using namespace town;

namespace {

// The gate pillar between the card tavern and the dice house. Both
// pictures carry it, pixel for pixel, so whichever of the two animations
// draws last the pillar looks the same; pointing at it finds the room the
// lobby announced first.
void SharedPillarDraw(QImage* img, QPoint origin) {
  const QRect r = kSharedPillar.translated(-origin);
  PixelPainter p(img);
  OutlinedRect(p, r.adjusted(0, 4, 0, 0), kStoneLight, kStoneDark);
  p.fillRect(QRect(r.right() - 2, r.top() + 5, 2, r.height() - 6), QColor::fromRgb(kStone));
  for (int y = r.top() + 10; y < r.bottom(); y += 6)
    p.fillRect(QRect(r.left() + 1, y, r.width() - 2, 1), QColor::fromRgb(kStone));
  OutlinedRect(p, QRect(r.left(), r.top(), r.width(), 5), kStone, kStoneDark);
  p.fillRect(QRect(r.left() + 1, r.top() + 1, r.width() - 3, 1), QColor::fromRgb(kStoneLight));
}

bool SameSilhouette(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if ((qAlpha(a.pixel(x, y)) >= 128) != (qAlpha(b.pixel(x, y)) >= 128)) return false;
  return true;
}

bool WriteText(const QString& path, const QByteArray& text) {
  QSaveFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(text) == text.size() && f.commit();
}

// Writes the frames, reusing the file of an earlier identical frame (the
// packer makes one image per distinct file), and lists the file of each
// frame in order.
bool WriteFrames(const std::vector<QImage>& frames, const char* stem, const QDir& dir,
                 std::vector<QString>* written, std::vector<QImage>* writtenImages,
                 std::vector<QString>* files) {
  for (size_t i = 0; i < frames.size(); ++i) {
    QString name;
    for (size_t k = 0; k < writtenImages->size(); ++k)
      if ((*writtenImages)[k] == frames[i]) name = (*written)[k];
    if (name.isEmpty()) {
      name = QString("%1-%2.png").arg(stem).arg(i + 1);
      if (!frames[i].save(dir.filePath(name), "PNG")) return false;
      written->push_back(name);
      writtenImages->push_back(frames[i]);
    }
    files->push_back(name);
  }
  return true;
}

QByteArray AnimText(const char* game, const char* what, int duration,
                    const std::vector<QString>& files, bool loop) {
  QByteArray t = QString("# %1: %2\nduration %3\n").arg(game, what).arg(duration).toLatin1();
  for (size_t i = 0; i < files.size(); ++i) {
    t += "frame " + files[i].toLatin1();
    if (loop && i + 1 == files.size()) t += " next 1";
    t += "\n";
  }
  return t;
}

// The frames over the piece of map they stand on, idle on the first row,
// enter on the second and the closed picture at the end of the first.
QImage ContactSheet(const QImage& map, const QRect& rect, const std::vector<QImage>& idle,
                    const std::vector<QImage>& enter, const QImage& closed) {
  const int gap = 4;
  const int cols = int(std::max(idle.size() + 1, enter.size()));
  QImage sheet(cols * (rect.width() + gap) + gap, 2 * (rect.height() + gap) + gap,
               QImage::Format_RGB32);
  sheet.fill(kStoneDark);
  QPainter p(&sheet);
  auto put = [&](const QImage& frame, int col, int row) {
    const QPoint at(gap + col * (rect.width() + gap), gap + row * (rect.height() + gap));
    p.drawImage(at, map.copy(rect));
    p.drawImage(at, frame);
  };
  for (size_t i = 0; i < idle.size(); ++i) put(idle[i], int(i), 0);
  put(closed, int(idle.size()), 0);
  for (size_t i = 0; i < enter.size(); ++i) put(enter[i], int(i), 1);
  return sheet;
}

}  // namespace

const std::vector<Look>& EnterLooks() {
  static const std::vector<Look> looks = {
      {0, Door::Shut, 0, 0, false}, {0, Door::Ajar, 1, 0, false}, {0, Door::Open, 2, 0, false},
      {0, Door::Open, 2, 1, false}, {0, Door::Open, 2, 2, false}, {0, Door::Open, 2, 3, false},
      {0, Door::Open, 2, -1, false}, {0, Door::Ajar, 1, -1, false}};
  return looks;
}

QRect BuildingRect(const BuildingArt& art) {
  for (const Plot& plot : kPlots)
    if (QString(plot.game) == art.game) return plot.rect;
  return QRect();
}

QImage BuildingPicture(const BuildingArt& art, const Look& look) {
  const QRect rect = BuildingRect(art);
  QImage img(rect.size(), QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  CastShadowDraw(&img, art.shadow);
  ApronDraw(&img, art.door, art.apronHalfWidth);
  QImage structure(rect.size(), QImage::Format_ARGB32);
  structure.fill(Qt::transparent);
  art.structure(&structure, look);
  OutlineSilhouette(&structure);
  Overlay(&img, structure);
  LightSpillDraw(&img, art.door, look.spill);
  FigureDraw(&img, art.door, look.figure);
  if (rect.intersects(kSharedPillar)) SharedPillarDraw(&img, rect.topLeft());
  // One bit of transparency, like every picture the packer takes.
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qAlpha(img.pixel(x, y)) < 128) img.setPixel(x, y, 0);
  return img;
}

bool BuildingWrite(const BuildingArt& art, const QString& outDir, const QString& previewDir,
                   const QImage& map) {
  const QRect rect = BuildingRect(art);
  std::vector<QImage> idle, enter;
  for (int i = 0; i < art.idleFrames; ++i) idle.push_back(BuildingPicture(art, Look{i}));
  for (const Look& look : EnterLooks()) enter.push_back(BuildingPicture(art, look));
  Look shut;
  shut.closed = true;
  const QImage closed = BuildingPicture(art, shut);

  // One silhouette for every picture, so the shared mask fits each frame
  // and the hit test never flickers.
  std::vector<const QImage*> all = {&closed};
  for (const QImage& f : idle) all.push_back(&f);
  for (const QImage& f : enter) all.push_back(&f);
  for (const QImage* f : all) {
    if (!SameSilhouette(*f, closed)) {
      std::fprintf(stderr, "orva-art: %s: the frames do not share one silhouette\n", art.game);
      return false;
    }
    for (int y = 0; y < f->height(); ++y)
      for (int x = 0; x < f->width(); ++x)
        if (qAlpha(f->pixel(x, y)) == 255 && !IsTableColour(f->pixel(x, y))) {
          std::fprintf(stderr, "orva-art: %s has a colour outside the table at %d,%d\n", art.game,
                       x, y);
          return false;
        }
  }

  const QDir dir(QDir(outDir).filePath(QString("buildings/%1").arg(art.game)));
  if (!QDir().mkpath(dir.path())) {
    std::fprintf(stderr, "orva-art: cannot make %s\n", qPrintable(dir.path()));
    return false;
  }
  std::vector<QString> written, idleFiles, enterFiles;
  std::vector<QImage> writtenImages;
  const QByteArray set = QString("rect %1 %2 %3 %4\nidle idle.anim\nenter enter.anim\nclosed closed.png\n")
                             .arg(rect.left())
                             .arg(rect.top())
                             .arg(rect.left() + rect.width())
                             .arg(rect.top() + rect.height())
                             .toLatin1();
  const bool ok =
      WriteFrames(idle, "idle", dir, &written, &writtenImages, &idleFiles) &&
      WriteFrames(enter, "enter", dir, &written, &writtenImages, &enterFiles) &&
      closed.save(dir.filePath("closed.png"), "PNG") &&
      WriteText(dir.filePath("idle.anim"),
                AnimText(art.game, "idle, loops", art.idleDuration, idleFiles, true)) &&
      WriteText(dir.filePath("enter.anim"),
                AnimText(art.game, "enter, played once", kEnterDuration, enterFiles, false)) &&
      WriteText(dir.filePath("set.txt"), set);
  if (!ok) {
    std::fprintf(stderr, "orva-art: cannot write %s\n", qPrintable(dir.path()));
    return false;
  }
  if (!previewDir.isEmpty()) {
    const QImage sheet = ContactSheet(map, rect, idle, enter, closed);
    sheet.save(QDir(previewDir).filePath(QString("%1-sheet-1x.png").arg(art.game)), "PNG");
    Enlarged(sheet, 3).save(QDir(previewDir).filePath(QString("%1-sheet-3x.png").arg(art.game)),
                            "PNG");
  }
  return true;
}

const std::vector<BuildingArt>& Buildings() {
  static const std::vector<BuildingArt> all = {ChessHall(), CardTavern(), DiceHouse(), GoPavilion(), BackgammonInn(),
                                                 GamesLibrary()};
  return all;
}
