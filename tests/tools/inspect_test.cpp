// orva-inspect file, run as a program: its JSON and its PNG output.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct Inspect : ::testing::Test {
  void SetUp() override {
    dir = fs::temp_directory_path() / ("salvind-inspect-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string P(const char* name) const { return (dir / name).string(); }

  static QString Run(const char* program, const QStringList& args, int* exitCode) {
    QProcess p;
    p.start(QString::fromUtf8(program), args);
    EXPECT_TRUE(p.waitForFinished(20000));
    *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
  }
  static QStringList Args(std::initializer_list<std::string> list) {
    QStringList out;
    for (const std::string& s : list) out << QString::fromStdString(s);
    return out;
  }
  fs::path dir;
};

TEST_F(Inspect, DescribesResourceAndImageFilesAndWritesPngs) {
  QImage png(6, 2, QImage::Format_ARGB32);
  png.fill(qRgba(0, 0, 0, 255));
  png.setPixel(0, 0, qRgba(255, 255, 255, 0));
  ASSERT_TRUE(png.save(QString::fromStdString(P("p.png")), "PNG"));
  std::ofstream(P("r.txt")) << "1 1 2 3 4";
  std::ofstream(P("m.txt")) << "4 image p.png\n2 rects r.txt\n";
  int rc = -1;
  Run(SALVIND_PACK, Args({"image", P("p.oim"), P("p.png")}), &rc);
  ASSERT_EQ(rc, 0);
  Run(SALVIND_PACK, Args({"resource", P("p.ors"), P("m.txt")}), &rc);
  ASSERT_EQ(rc, 0);

  QString out = Run(SALVIND_INSPECT, Args({"file", P("p.oim"), "--json"}), &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(out.toStdString(), R"({"kind":"image","version":1,"width":6,"height":2,"colors":0,"mask":true})");

  out = Run(SALVIND_INSPECT, Args({"file", P("p.ors"), "--json"}), &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_TRUE(out.startsWith(R"({"kind":"resource","items":[{"id":4,"tag":"OIMG","offset":52,)")) << out.toStdString();
  EXPECT_TRUE(out.contains(R"("tag":"OTXT")")) << out.toStdString();
  EXPECT_TRUE(out.contains(R"("text":"1 1 2 3 4","rects":[[1,2,3,4]])")) << out.toStdString();

  for (const auto& args : {Args({"file", P("p.oim"), "--png", P("o1.png")}),
                           Args({"file", P("p.ors"), "--item", "4", "--png", P("o2.png")})}) {
    Run(SALVIND_INSPECT, args, &rc);
    EXPECT_EQ(rc, 0);
  }
  for (const char* name : {"o1.png", "o2.png"}) {
    QImage back(QString::fromStdString(P(name)));
    ASSERT_EQ(back.size(), png.size()) << name;
    EXPECT_EQ(qAlpha(back.pixel(0, 0)), 0);
    EXPECT_EQ(back.pixel(5, 1), qRgba(0, 0, 0, 255));
  }

  std::ofstream(P("junk"), std::ios::binary) << "FORS is not at offset 4";
  out = Run(SALVIND_INSPECT, Args({"file", P("junk"), "--json"}), &rc);
  EXPECT_NE(rc, 0);
  EXPECT_TRUE(out.contains(R"("error":)")) << out.toStdString();
}

}  // namespace
