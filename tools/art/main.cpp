// orva-art: draws the program's pictures and writes its disclaimer
// document. Run by the build; anyone can run it again by hand:
//   orva-art --out DIR --layouts DIR --disclaimer FILE [--preview DIR]
// With --preview it also writes each picture enlarged 3x for looking at.

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdio>
#include <cstring>

#include "tools/art/building_set.h"
#include "tools/art/disclaimer_doc.h"
#include "tools/art/layout_file.h"
#include "tools/art/pictures.h"
#include "tools/art/pixel_paint.h"
#include "tools/art/town_palette.h"

namespace {

struct Options {
  QString out, layouts, disclaimer, preview;
};

int Usage() {
  std::fputs("usage: orva-art --out DIR --layouts DIR --disclaimer FILE [--preview DIR]\n", stderr);
  return 2;
}

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    if (i + 1 >= argc) return false;
    QString value = QString::fromLocal8Bit(argv[i + 1]);
    if (std::strcmp(argv[i], "--out") == 0) o->out = value;
    else if (std::strcmp(argv[i], "--layouts") == 0) o->layouts = value;
    else if (std::strcmp(argv[i], "--disclaimer") == 0) o->disclaimer = value;
    else if (std::strcmp(argv[i], "--preview") == 0) o->preview = value;
    else return false;
    ++i;
  }
  return !o->out.isEmpty() && !o->layouts.isEmpty() && !o->disclaimer.isEmpty();
}

bool Save(const Options& o, const QImage& img, const char* name) {
  for (int x = 0; x < img.width(); ++x)
    for (int y = 0; y < img.height(); ++y)
      if (qAlpha(img.pixel(x, y)) == 255 && !IsTableColour(img.pixel(x, y))) {
        std::fprintf(stderr, "orva-art: %s has a colour outside the table at %d,%d\n", name, x, y);
        return false;
      }
  if (!img.save(QDir(o.out).filePath(name), "PNG")) {
    std::fprintf(stderr, "orva-art: cannot write %s\n", name);
    return false;
  }
  if (!o.preview.isEmpty()) {
    QString base = QFileInfo(name).completeBaseName();
    img.save(QDir(o.preview).filePath(base + "-1x.png"), "PNG");
    Enlarged(img, 3).save(QDir(o.preview).filePath(base + "-3x.png"), "PNG");
  }
  return true;
}

// The gate as the zoom shows it at a few of its steps: the source rectangle
// stretched over the whole picture, nearest neighbour.
void SaveZoomPreviews(const Options& o, const QImage& gate) {
  struct Step {
    int n;
    QRect source;
  };
  static const Step kSteps[] = {{6, QRect(QPoint(207, 120), QPoint(362, 219))},
                                {10, QRect(QPoint(250, 144), QPoint(313, 183))},
                                {15, QRect(QPoint(269, 157), QPoint(292, 168))}};
  for (const Step& s : kSteps)
    gate.copy(s.source)
        .scaled(gate.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(QDir(o.preview).filePath(QString("gate-zoom%1.png").arg(s.n)), "PNG");
}

// The whole lobby as a player would see it: every building on its plot,
// once closed and once open (first idle frame), and the welcome icon.
void SaveLobbyPreviews(const Options& o, const QImage& map, const QImage& welcome) {
  for (const char* state : {"closed", "open"}) {
    QImage lobby = map.copy();
    QPainter p(&lobby);
    for (const BuildingArt& b : Buildings()) {
      Look look;
      look.closed = std::strcmp(state, "closed") == 0;
      p.drawImage(BuildingRect(b).topLeft(), BuildingPicture(b, look));
    }
    p.drawImage(QPoint(580 - welcome.width(), 360 - welcome.height()), welcome);
    p.end();
    lobby.save(QDir(o.preview).filePath(QString("lobby-%1-1x.png").arg(state)), "PNG");
    Enlarged(lobby, 3).save(QDir(o.preview).filePath(QString("lobby-%1-3x.png").arg(state)), "PNG");
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A build step has no display; text rendering needs only the font database.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  Options o;
  if (!ParseOptions(argc, argv, &o)) return Usage();
  if (!QDir().mkpath(o.out) || (!o.preview.isEmpty() && !QDir().mkpath(o.preview))) {
    std::fputs("orva-art: cannot make the output directory\n", stderr);
    return 1;
  }
  for (QRgb c : town::kAll)
    if (!IsTableColour(c)) {
      std::fprintf(stderr, "orva-art: town colour %06x is not in the table\n", c & 0xFFFFFF);
      return 1;
    }
  const std::vector<QRect> login = LayoutRead(QDir(o.layouts).filePath("login.rects"));
  if (login.size() != 6) {
    std::fputs("orva-art: login.rects must hold 6 rectangles\n", stderr);
    return 1;
  }
  const QImage gate = GateDraw();
  if (!o.preview.isEmpty()) SaveZoomPreviews(o, gate);
  const QImage map = MapDraw();
  const QImage welcome = WelcomeIconDraw();
  bool ok = Save(o, SplashDraw(), "splash.png") && Save(o, gate, "gate.png") &&
            Save(o, LoginDraw(login), "login.png") && Save(o, welcome, "welcome.png") &&
            Save(o, map, "map.png");
  for (const BuildingArt& b : Buildings()) ok = ok && BuildingWrite(b, o.out, o.preview, map);
  if (ok && !o.preview.isEmpty()) SaveLobbyPreviews(o, map, welcome);
  // The desktop's icon sizes, as icon-<size>.png.
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString name = QStringLiteral("icon-%1.png").arg(size);
    if (ok && !ProgramIconDraw(size).save(QDir(o.out).filePath(name), "PNG")) {
      std::fprintf(stderr, "orva-art: cannot write %s\n", qPrintable(name));
      ok = false;
    }
  }
  if (ok && !ProgramIconWriteIco(QDir(o.out).filePath("salvind.ico"))) {
    std::fputs("orva-art: cannot write salvind.ico\n", stderr);
    ok = false;
  }
  if (ok && !DisclaimerWrite(o.disclaimer, QDir(o.out).filePath("disclaim.otx"), 1)) {
    std::fputs("orva-art: cannot write disclaim.otx\n", stderr);
    ok = false;
  }
  return ok ? 0 : 1;
}
