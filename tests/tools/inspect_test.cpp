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

// A building of two idle frames (one transparent column each, in different
// places) and three enter frames over two pictures, packed and described.
TEST_F(Inspect, DescribesSetsAndGameImageFilesAndDrawsContactSheets) {
  for (int k = 0; k < 3; ++k) {
    QImage frame(5, 3, QImage::Format_ARGB32);
    frame.fill(qRgba(51 * k, 102, 153, 255));
    if (k < 2) frame.setPixel(k, 0, qRgba(0, 0, 0, 0));
    ASSERT_TRUE(frame.save(QString::fromStdString(P(("f" + std::to_string(k) + ".png").c_str())), "PNG"));
  }
  std::ofstream(P("idle.anim")) << "duration 4\nframe f0.png\nframe f1.png next 1\n";
  std::ofstream(P("enter.anim")) << "duration 30\nframe f2.png\nframe f0.png\nframe f2.png next 9\n";
  std::ofstream(P("set.txt")) << "rect 10 20 15 23\nidle idle.anim\nenter enter.anim\nclosed f2.png\n";
  int rc = -1;
  Run(SALVIND_PACK, Args({"set", P("b.set"), P("set.txt")}), &rc);
  ASSERT_EQ(rc, 0);
  Run(SALVIND_PACK, Args({"game-image", P("b.ogi"), P("b.set"), "3"}), &rc);
  ASSERT_EQ(rc, 0);
  const auto setLength = std::to_string(fs::file_size(P("b.set")));

  const std::string described =
      R"("set":{"rect":[10,20,15,23],)"
      R"("idle":{"frames":2,"duration":4,"interval":20,"images":2,"attachments":0,"shared_mask":true,"frame_table":[[1,0],[2,1]]},)"
      R"("enter":{"frames":3,"duration":30,"interval":100,"images":2,"attachments":0,"shared_mask":true,"frame_table":[[1,0],[2,0],[1,9]]},)"
      R"("closed":{"width":5,"height":3}}})";
  QString out = Run(SALVIND_INSPECT, Args({"file", P("b.ogi"), "--json"}), &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(out.toStdString(), R"({"kind":"game-image","version":3,"length":)" + setLength + "," + described);
  out = Run(SALVIND_INSPECT, Args({"file", P("b.set"), "--json"}), &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(out.toStdString(), R"({"kind":"set","length":)" + setLength + "," + described);

  // Two rows of frames and the closed picture: 8 + 3 x (5 + 6) - 6 + 8 wide.
  Run(SALVIND_INSPECT, Args({"file", P("b.ogi"), "--png", P("sheet.png")}), &rc);
  ASSERT_EQ(rc, 0);
  QImage sheet(QString::fromStdString(P("sheet.png")));
  ASSERT_EQ(sheet.width(), 8 + 3 * 11 - 6 + 8);
  ASSERT_EQ(sheet.height(), 8 + 3 * (3 + 8));
  EXPECT_EQ(sheet.pixel(8 + 2, 8 + 1), qRgb(0, 102, 153));
  // The shared mask is the union: the idle frames' clear columns are opaque.
  EXPECT_EQ(sheet.pixel(8, 8), qRgb(0, 0, 0));
  EXPECT_EQ(sheet.pixel(8 + 11 + 1, 8), qRgb(0, 0, 0));

  // A length beyond the data and a set whose offsets lead out of it.
  std::vector<char> bytes(fs::file_size(P("b.ogi")));
  std::ifstream(P("b.ogi"), std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::ofstream(P("short.ogi"), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size() - 1));
  bytes[12 + 12] = 0x7F;  // the idle offset
  std::ofstream(P("bad.ogi"), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  for (const char* name : {"short.ogi", "bad.ogi"}) {
    out = Run(SALVIND_INSPECT, Args({"file", P(name), "--json"}), &rc);
    EXPECT_EQ(rc, 1) << name;
    EXPECT_TRUE(out.startsWith(R"({"kind":"game-image","error":)")) << out.toStdString();
  }
}

}  // namespace
