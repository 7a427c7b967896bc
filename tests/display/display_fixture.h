#pragma once
// One scenario on a real X server: a scratch folder with a copy of the staged
// client tree, the X server with or without a window manager, the real
// salvind started from the copy, pictures decoded by orva-inspect to compare
// with real screenshots. Every wait is bounded. A failed scenario keeps its
// folder (screenshots in shots/, logs beside them) and says where.

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>

#include <chrono>
#include <map>
#include <string>

#include "tests/display/child_process.h"
#include "tests/display/x_server.h"

using namespace std::chrono_literals;

class DisplayScenario : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the X server (screen: Xvfb's width x height x depth); fails the
  // test when it cannot.
  void StartX(WindowManager manager, const std::string& screen = "1024x768x24");
  // Starts salvind from the scratch copy with the environment overrides
  // (SALVIND_SERVER_HOST, SALVIND_SERVER_PORT...).
  void StartClient(const std::map<std::string, std::string>& environment = {});
  // Starts the salvind at program from directory, the same way.
  void StartClientAt(const std::string& program, const std::string& directory,
                     const std::map<std::string, std::string>& environment = {});

  // A data file of the scratch tree (relative to its folder, like
  // "data/Salvind/start.oim") decoded by orva-inspect; item for resource
  // files, -1 for image files. Null when it cannot be decoded.
  QImage Decoded(const std::string& dataFile, int item = -1);

  // Waits until the window's drawing area shows picture pixel for pixel
  // (each of its pixels a scale_ x scale_ block).
  // Empty on success, else what differed (and the screenshot is kept).
  std::string WaitForPicture(XWindowId window, const QImage& picture, std::chrono::milliseconds timeout);
  // What the screen shows of part (drawing-area coordinates) of the window.
  QImage Part(XWindowId window, const QRect& part);
  // The part once it has stopped changing: three looks over a quarter of a
  // second alike (a caret blinks slower), within timeout; the last look
  // regardless.
  QImage SettledPart(XWindowId window, const QRect& part, std::chrono::milliseconds timeout = 3s);
  // Waits until the part shows picture again. A blinking caret shows each of
  // its two looks within a second, so a picture taken with either matches.
  // Empty on success, else what differed (and the screenshot is kept).
  std::string WaitForPart(XWindowId window, const QRect& part, const QImage& picture,
                          std::chrono::milliseconds timeout = 3s);
  // Saves a screenshot as shots/NN-label.png; returns it.
  QImage Shot(const std::string& label);
  // Saves rect of the screen (screen coordinates) as a picture for the docs
  // when the person running the leg asked for them (SALVIND_SCREENSHOT_DIR).
  void DocsShot(const std::string& name, const QRect& rect);

  // The window titled title within timeout, else a failed test and 0.
  XWindowId Window(const std::string& title, std::chrono::milliseconds timeout = 10s);
  // A click at (x, y) of the window's drawing area in the program's logical
  // pixels (the middle of the scale_ x scale_ block on the screen); button 2
  // is the middle one.
  void ClickIn(XWindowId window, int x, int y, unsigned button = 1);

  // The splash showing splashPicture, clicked away, then the gate showing
  // gatePicture: the gate's window, or 0 with a failed test.
  XWindowId SplashThenGate(const QImage& splashPicture, const QImage& gatePicture);
  // The way in, by real input (way_in.cpp): clicks the splash away, clicks
  // the gate, accepts the disclaimer of a first start; the login window then,
  // or 0 with a failed test.
  XWindowId ReachLoginWindow();
  // The first half of it: the disclaimer of a first start, standing over the
  // login window; 0 with a failed test.
  XWindowId ReachDisclaimer();
  // Presses the disclaimer's "Accept"; the login window then, or 0.
  XWindowId AcceptDisclaimer(XWindowId disclaimer);
  // Types user, Tab, password into the login window and presses Enter.
  void TypeLogIn(XWindowId login, const std::string& user, const std::string& password);

  XServer x_;
  ChildProcess client_;
  std::string runDir_;    // the scratch folder
  std::string stageDir_;  // the client's tree inside it
  int shots_ = 0;
  int scale_ = 1;  // screen pixels per logical pixel of the client
};

// Where a scenario's picture for the docs goes, when the person running the
// leg asked for one (SALVIND_SCREENSHOT_DIR); empty otherwise.
std::string DocsScreenshotPath(const std::string& name);
