// The screens of the way in, driven as a person would; where to click comes
// from the layouts in assets/layouts (drawing-area coordinates).

#include "tests/display/display_fixture.h"

namespace {
constexpr int kAcceptX = 276 + 45, kAcceptY = 336 + 14;      // disclaimer.rects, rectangle 1
constexpr int kUserNameX = 170 + 20, kUserNameY = 94 + 12;   // login.rects, rectangle 1
}  // namespace

XWindowId DisplayScenario::ReachLoginWindow() {
  const XWindowId disclaimer = ReachDisclaimer();
  return disclaimer ? AcceptDisclaimer(disclaimer) : 0;
}

XWindowId DisplayScenario::SplashThenGate(const QImage& splashPicture, const QImage& gatePicture) {
  const XWindowId splash = Window("Orva");
  if (!splash) return 0;
  EXPECT_EQ(WaitForPicture(splash, splashPicture, 5s), "") << "the splash";
  Shot("splash");
  ClickIn(splash, 10, 10);
  const XWindowId gate = Window("Gate");
  if (!gate) return 0;
  EXPECT_EQ(WaitForPicture(gate, gatePicture, 2s), "") << "the gate";
  return gate;
}

XWindowId DisplayScenario::ReachDisclaimer() {
  const XWindowId splash = Window("Orva");
  if (!splash) return 0;
  ClickIn(splash, 10, 10);
  EXPECT_TRUE(x_.WaitUntilGone("Orva", 5s)) << "a click closes the splash";
  const XWindowId gate = Window("Gate");
  if (!gate) return 0;
  ClickIn(gate, 320, 200);
  // The staged document has not been accepted: a first start.
  const XWindowId disclaimer = Window("Disclaimer Agreement");
  if (!disclaimer) return 0;
  Shot("disclaimer");
  EXPECT_TRUE(x_.HasWindow("Login")) << "the login window stands behind the disclaimer";
  return disclaimer;
}

XWindowId DisplayScenario::AcceptDisclaimer(XWindowId disclaimer) {
  ClickIn(disclaimer, kAcceptX, kAcceptY);
  EXPECT_TRUE(x_.WaitUntilGone("Disclaimer Agreement", 5s)) << "\"Accept\" closes the disclaimer";
  return Window("Login");
}

void DisplayScenario::TypeLogIn(XWindowId login, const std::string& user, const std::string& password) {
  ClickIn(login, kUserNameX, kUserNameY);
  x_.Type(user);
  x_.PressKey("Tab");
  x_.Type(password);
  Shot("login-typed");
  x_.PressKey("Return");
}
