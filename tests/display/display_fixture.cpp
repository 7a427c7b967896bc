#include "tests/display/display_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <utility>

namespace fs = std::filesystem;

namespace {

std::string TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return name;
}

}  // namespace

std::string DocsScreenshotPath(const std::string& name) {
  const char* dir = std::getenv("SALVIND_SCREENSHOT_DIR");
  if (!dir || !*dir) return {};
  return std::string(dir) + "/" + name;
}

void DisplayScenario::SetUp() {
  runDir_ = std::string(SALVIND_DISPLAY_RUNS) + "/" + TestName();
  std::error_code error;
  fs::remove_all(runDir_, error);
  fs::create_directories(runDir_ + "/shots");
  stageDir_ = runDir_ + "/stage";
  fs::copy(SALVIND_STAGE_DIR, stageDir_, fs::copy_options::recursive, error);
  ASSERT_FALSE(error) << "cannot copy the staged tree " << SALVIND_STAGE_DIR << ": " << error.message();
}

void DisplayScenario::TearDown() {
  client_.Stop();
  if (HasFailure()) {
    Shot("at-failure");
    std::printf("display scenario failed: screenshots and logs kept in %s\n", runDir_.c_str());
    return;
  }
  const char* keep = std::getenv("SALVIND_DISPLAY_KEEP");
  if (!keep || std::string(keep) != "1") {
    std::error_code error;
    fs::remove_all(runDir_, error);
  }
}

void DisplayScenario::StartX(WindowManager manager, const std::string& screen) {
  const std::string failure = x_.Start(manager, runDir_, screen);
  ASSERT_TRUE(failure.empty()) << failure;
}

void DisplayScenario::StartClient(const std::map<std::string, std::string>& environment) {
  StartClientAt(stageDir_ + "/salvind", stageDir_, environment);
}

void DisplayScenario::StartClientAt(const std::string& program, const std::string& directory,
                                    const std::map<std::string, std::string>& environment) {
  std::map<std::string, std::string> overrides = environment;
  // The scripted peers speak plain; the demo server's scenarios ask for TLS.
  overrides.emplace("SALVIND_SERVER_TLS", "off");
  overrides["DISPLAY"] = x_.display();
  overrides["QT_QPA_PLATFORM"] = "xcb";
  overrides["XDG_RUNTIME_DIR"] = runDir_;
  ASSERT_TRUE(client_.Start({program}, EnvironmentWith(overrides), directory, runDir_ + "/client.log"))
      << "cannot start " << program;
}

QImage DisplayScenario::Decoded(const std::string& dataFile, int item) {
  const std::string out = runDir_ + "/expected-" + fs::path(dataFile).filename().string() + ".png";
  // Relative to the tree, as the program opens its files.
  std::vector<std::string> argv{SALVIND_INSPECT, "file", dataFile, "--png", out};
  if (item >= 0) {
    argv.push_back("--item");
    argv.push_back(std::to_string(item));
  }
  ChildProcess inspect;
  if (!inspect.Start(argv, EnvironmentWith({{"QT_QPA_PLATFORM", "offscreen"}}), stageDir_,
                     runDir_ + "/inspect.log")) {
    return {};
  }
  const std::optional<int> code = inspect.WaitExit(20s);
  if (code != 0) return {};
  return QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_RGB32);
}

QImage DisplayScenario::Shot(const std::string& label) {
  char name[32];
  std::snprintf(name, sizeof name, "%02d-", ++shots_);
  QImage shot = x_.Screenshot();
  if (!shot.isNull()) shot.save(QString::fromStdString(runDir_ + "/shots/" + name + label + ".png"), "PNG");
  return shot;
}

std::string DisplayScenario::WaitForPicture(XWindowId window, const QImage& logical,
                                            std::chrono::milliseconds timeout) {
  if (logical.isNull()) return "no picture to compare with";
  // Each logical pixel a scale_ x scale_ block.
  const QImage picture = scale_ == 1 ? logical.convertToFormat(QImage::Format_RGB32)
                                     : logical.convertToFormat(QImage::Format_RGB32)
                                           .scaled(logical.size() * scale_, Qt::IgnoreAspectRatio,
                                                   Qt::FastTransformation);
  const auto end = std::chrono::steady_clock::now() + timeout;
  std::string difference;
  for (;;) {
    const QRect area = x_.Area(window);
    const QImage screen = x_.Screenshot();
    if (area.size() != picture.size()) {
      difference = "the window is " + std::to_string(area.width()) + " x " + std::to_string(area.height()) +
                   ", the picture " + std::to_string(picture.width()) + " x " + std::to_string(picture.height());
    } else if (!QRect(QPoint(0, 0), screen.size()).contains(area)) {
      difference = "the window is not wholly on the screen";
    } else {
      long wrong = 0;
      QPoint first;
      for (int y = 0; y < area.height(); ++y) {
        const auto* seen = reinterpret_cast<const uint32_t*>(screen.constScanLine(area.top() + y)) + area.left();
        const auto* want = reinterpret_cast<const uint32_t*>(picture.constScanLine(y));
        for (int x = 0; x < area.width(); ++x) {
          if ((seen[x] & 0xFFFFFFu) != (want[x] & 0xFFFFFFu) && wrong++ == 0) first = QPoint(x, y);
        }
      }
      if (wrong == 0) return {};
      char text[160];
      std::snprintf(text, sizeof text, "%ld of %d pixels differ, the first at (%d, %d)", wrong,
                    area.width() * area.height(), first.x(), first.y());
      difference = text;
    }
    if (std::chrono::steady_clock::now() >= end) {
      Shot("picture-differs");
      return difference;
    }
    std::this_thread::sleep_for(50ms);
  }
}

QImage DisplayScenario::Part(XWindowId window, const QRect& part) {
  return x_.Screenshot().copy(part.translated(x_.Area(window).topLeft()));
}

QImage DisplayScenario::SettledPart(XWindowId window, const QRect& part, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  QImage last = Part(window, part);
  int alike = 0;
  for (;;) {
    std::this_thread::sleep_for(120ms);
    QImage now = Part(window, part);
    alike = now == last ? alike + 1 : 0;
    if (alike == 2 || std::chrono::steady_clock::now() >= end) return now;
    last = std::move(now);
  }
}

std::string DisplayScenario::WaitForPart(XWindowId window, const QRect& part, const QImage& picture,
                                         std::chrono::milliseconds timeout) {
  if (picture.isNull()) return "no picture to compare with";
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const QImage seen = Part(window, part);
    if (seen == picture) return {};
    if (std::chrono::steady_clock::now() >= end) {
      Shot("part-differs");
      if (seen.size() != picture.size()) return "the part is not wholly on the screen";
      long wrong = 0;
      for (int y = 0; y < seen.height(); ++y) {
        for (int x = 0; x < seen.width(); ++x) wrong += seen.pixel(x, y) != picture.pixel(x, y);
      }
      return std::to_string(wrong) + " of " + std::to_string(seen.width() * seen.height()) + " pixels differ";
    }
    std::this_thread::sleep_for(50ms);
  }
}

XWindowId DisplayScenario::Window(const std::string& title, std::chrono::milliseconds timeout) {
  const XWindowId window = x_.WaitForWindow(title, timeout);
  EXPECT_NE(window, 0u) << "no window \"" << title << "\" within " << timeout.count() << " ms";
  return window;
}

void DisplayScenario::ClickIn(XWindowId window, int x, int y, unsigned button) {
  const QRect area = x_.Area(window);
  x_.Click(area.left() + x * scale_ + scale_ / 2, area.top() + y * scale_ + scale_ / 2, button);
}

void DisplayScenario::DocsShot(const std::string& name, const QRect& rect) {
  const std::string path = DocsScreenshotPath(name);
  if (path.empty()) return;
  const QImage shot = x_.Screenshot();
  EXPECT_TRUE(shot.copy(rect).save(QString::fromStdString(path), "PNG")) << path;
}
