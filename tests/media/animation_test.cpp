// Animations on the real toolkit with the manual clock: the frame timing,
// the advance rule, drawing over the owner's background, the hit test, and
// callbacks that stop or delete their animation.

#include "media/animation.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/error_codes.h"
#include "tests/media/animation_fixtures.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/draw.h"

namespace {

constexpr Pixel kBackground = PixelFromRgb(0x22, 0x88, 0x22);
constexpr Rect kPlace{20, 10, 28, 14};  // 8 x 4, as the fixtures' frames

struct Recorder {
  std::vector<uint16_t> frames;
  int backgrounds = 0;
  bool deleteOnEnd = false;
};

void RecordFrame(Animation* a, uint16_t frame, UserData data) {
  auto* r = reinterpret_cast<Recorder*>(data);
  r->frames.push_back(frame);
  if (frame == 0 && r->deleteOnEnd) AnimationDelete(a);
}

void PaintBackground(Animation*, Offscreen* surface, const Rect* rect, UserData data) {
  ++reinterpret_cast<Recorder*>(data)->backgrounds;
  const ColorEntry green{0, 0x22, 0x88, 0x22};
  DrawSetColor(surface, &green);
  DrawFillRect(surface, rect);
}

struct AnimationFixture : ::testing::Test {
  void SetUp() override {
    HarnessStart();
    window = HarnessOpenWindow(Rect{0, 0, 64, 32}, kWindowKindMain, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    AnimationDelete(animation);
    HarnessStop();
  }
  // Makes the animation from a file-order definition, as the lobby does.
  ErrorCode Make(Bytes definition, uint16_t visible = 1) {
    definitionBytes = std::move(definition);
    EXPECT_TRUE(AnimationDefConvert(definitionBytes, kToHostOrder));
    animation = AnimationNew();
    return AnimationCreate(animation, window, &kPlace, visible, definitionBytes, RecordFrame, PaintBackground,
                           reinterpret_cast<UserData>(&recorder));
  }
  // The colour of the frame on screen at an opaque pixel of the shared mask.
  Pixel Shown() const { return HarnessBufferPixel(window, kPlace.left, kPlace.top); }

  Window* window = nullptr;
  Animation* animation = nullptr;
  Bytes definitionBytes;
  Recorder recorder;
};

TEST_F(AnimationFixture, FramesFollowEveryIntervalAndANonLoopingOneEndsOnItsLastPicture) {
  ASSERT_EQ(Make(MakeDefinition(FourFrames())), 0);
  EXPECT_EQ(animation->interval, 50);
  EXPECT_EQ(animation->frame, 1);
  EXPECT_EQ(AnimationIsRunning(animation), 0);

  AnimationStart(animation);
  EXPECT_EQ(AnimationIsRunning(animation), 1);
  EXPECT_EQ(Shown(), kFrameColours[0]);
  // The right half is transparent in the shared mask: the owner's background.
  EXPECT_EQ(HarnessBufferPixel(window, kPlace.right - 1, kPlace.top), kBackground);
  // Outside the rectangle nothing is touched.
  EXPECT_EQ(HarnessBufferPixel(window, kPlace.right, kPlace.top), PixelFromRgb(255, 255, 255));

  HarnessAdvance(49);
  EXPECT_EQ(Shown(), kFrameColours[0]);
  HarnessAdvance(1);
  EXPECT_EQ(Shown(), kFrameColours[1]);
  HarnessAdvance(100);
  EXPECT_EQ(Shown(), kFrameColours[3]);
  EXPECT_EQ(recorder.frames, (std::vector<uint16_t>{2, 3, 4}));

  HarnessAdvance(50);
  EXPECT_EQ(recorder.frames, (std::vector<uint16_t>{2, 3, 4, 0}));
  EXPECT_EQ(AnimationIsRunning(animation), 0);
  EXPECT_EQ(animation->frame, 0);
  EXPECT_EQ(Shown(), kFrameColours[3]);
  // Ended, it stays ended; a repaint shows the last frame again.
  HarnessAdvance(200);
  EXPECT_EQ(recorder.frames.size(), 4u);
  AnimationDraw(animation);
  EXPECT_EQ(Shown(), kFrameColours[3]);

  // A new start plays from frame 1 again.
  AnimationStart(animation);
  EXPECT_EQ(Shown(), kFrameColours[0]);
  HarnessAdvance(50);
  EXPECT_EQ(Shown(), kFrameColours[1]);
}

TEST_F(AnimationFixture, ALastFramePointingAtTheFirstLoopsAndStopHoldsIt) {
  ASSERT_EQ(Make(MakeDefinition(FourFrames(1))), 0);
  AnimationStart(animation);
  HarnessAdvance(200);
  EXPECT_EQ(recorder.frames, (std::vector<uint16_t>{2, 3, 4, 1}));
  EXPECT_EQ(Shown(), kFrameColours[0]);
  HarnessAdvance(100);
  EXPECT_EQ(Shown(), kFrameColours[2]);
  AnimationStop(animation);
  EXPECT_EQ(AnimationIsRunning(animation), 0);
  HarnessAdvance(300);
  EXPECT_EQ(Shown(), kFrameColours[2]);
  EXPECT_EQ(recorder.frames.size(), 6u);
}

TEST_F(AnimationFixture, NextFrameValuesJumpAndOnePastTheCountEnds) {
  DefinitionSpec spec = FourFrames();
  spec.frames[0].second = 3;   // 1 -> 3
  spec.frames[2].second = 99;  // 3 -> the end
  ASSERT_EQ(Make(MakeDefinition(spec)), 0);
  AnimationStart(animation);
  HarnessAdvance(300);
  EXPECT_EQ(recorder.frames, (std::vector<uint16_t>{3, 0}));
  EXPECT_EQ(Shown(), kFrameColours[2]);
}

TEST_F(AnimationFixture, AnIntervalOfZeroShowsTheFirstFrameAndNeverAdvances) {
  ASSERT_EQ(Make(MakeDefinition(FourFrames(0, 3))), 0);  // 30 ticks over 4 frames... 7 each
  EXPECT_EQ(animation->interval, 7);
  AnimationDelete(animation);
  animation = nullptr;
  recorder = {};
  ASSERT_EQ(Make(MakeDefinition(FourFrames(0, 0))), 0);
  EXPECT_EQ(animation->interval, 0);
  AnimationStart(animation);
  EXPECT_EQ(Shown(), kFrameColours[0]);
  HarnessAdvance(500);
  EXPECT_TRUE(recorder.frames.empty());
  EXPECT_EQ(AnimationIsRunning(animation), 1);
  EXPECT_EQ(Shown(), kFrameColours[0]);
}

TEST_F(AnimationFixture, AnInvisibleAnimationAdvancesWithoutDrawing) {
  ASSERT_EQ(Make(MakeDefinition(FourFrames()), 0), 0);
  AnimationStart(animation);
  HarnessAdvance(200);
  EXPECT_EQ(recorder.frames, (std::vector<uint16_t>{2, 3, 4, 0}));
  EXPECT_EQ(recorder.backgrounds, 0);
  EXPECT_EQ(Shown(), PixelFromRgb(255, 255, 255));
}

TEST_F(AnimationFixture, TheSharedMaskMakesTheHitTestTheSameForEveryFrame) {
  // Frames with masks of their own that differ; the shared one decides.
  DefinitionSpec spec = FourFrames(1);
  for (size_t k = 0; k < spec.images.size(); ++k)
    spec.images[k] = SolidBlock(8, 4, kFrameColours[k], std::vector<uint8_t>(4, static_cast<uint8_t>(1u << k)));
  ASSERT_EQ(Make(MakeDefinition(spec)), 0);
  AnimationStart(animation);
  for (int step = 0; step < 4; ++step) {
    for (int y = kPlace.top - 1; y <= kPlace.bottom; ++y)
      for (int x = kPlace.left - 1; x <= kPlace.right; ++x) {
        const bool inside = x >= kPlace.left && x < kPlace.right && y >= kPlace.top && y < kPlace.bottom;
        const int16_t expected = inside && x < kPlace.left + 4 ? 1 : 0;
        EXPECT_EQ(AnimationHitTest(animation, Point{int16_t(x), int16_t(y)}), expected) << x << "," << y;
      }
    HarnessAdvance(50);
  }
}

TEST_F(AnimationFixture, WithoutASharedMaskTheCurrentFramesOwnMaskIsHit) {
  DefinitionSpec spec = FourFrames(1);
  spec.sharedMask.clear();
  spec.images[0] = SolidBlock(8, 4, kFrameColours[0], {0x80, 0x80, 0x80, 0x80});
  spec.images[1] = SolidBlock(8, 4, kFrameColours[1], {0x01, 0x01, 0x01, 0x01});
  ASSERT_EQ(Make(MakeDefinition(spec)), 0);
  const Point left{kPlace.left, kPlace.top}, right{int16_t(kPlace.right - 1), kPlace.top};
  EXPECT_EQ(AnimationHitTest(animation, left), 1);
  EXPECT_EQ(AnimationHitTest(animation, right), 0);
  AnimationStart(animation);
  HarnessAdvance(50);
  EXPECT_EQ(AnimationHitTest(animation, left), 0);
  EXPECT_EQ(AnimationHitTest(animation, right), 1);
  // Frames without masks of their own are opaque everywhere.
  HarnessAdvance(50);
  EXPECT_EQ(AnimationHitTest(animation, right), 1);
  EXPECT_EQ(HarnessBufferPixel(window, kPlace.right - 1, kPlace.top), kFrameColours[2]);
}

TEST_F(AnimationFixture, AttachmentsBecomePlaceholders) {
  DefinitionSpec spec = FourFrames();
  spec.attachments = 3;
  ASSERT_EQ(Make(MakeDefinition(spec)), 0);
  ASSERT_EQ(animation->attachmentCount, 3);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(animation->attachments[k]->kind, kObjectKindAttachment);
}

TEST_F(AnimationFixture, AFrameCallbackMayDeleteItsAnimation) {
  recorder.deleteOnEnd = true;
  ASSERT_EQ(Make(MakeDefinition(FourFrames())), 0);
  AnimationStart(animation);
  animation = nullptr;  // the callback frees it
  HarnessAdvance(300);
  EXPECT_EQ(recorder.frames, (std::vector<uint16_t>{2, 3, 4, 0}));
}

TEST_F(AnimationFixture, AFailedCreateLeavesNothingBehind) {
  // Image 2's rows run past its block: refused after image 1 was built.
  DefinitionSpec spec = FourFrames();
  StoreBe16(&spec.images[1][10], 200);  // height 200, rows for 4
  EXPECT_EQ(Make(MakeDefinition(spec)), kErrorUnknownFile);
  EXPECT_EQ(animation->images, nullptr);
  EXPECT_EQ(animation->surface, nullptr);
  EXPECT_EQ(animation->timer, nullptr);
  AnimationStart(animation);  // a dropped animation does nothing
  EXPECT_EQ(AnimationIsRunning(animation), 0);
  EXPECT_EQ(AnimationHitTest(animation, Point{kPlace.left, kPlace.top}), 0);

  // A definition still in file order is malformed in host order.
  Animation* raw = AnimationNew();
  const Bytes fileOrder = MakeDefinition(FourFrames());
  EXPECT_EQ(AnimationCreate(raw, window, &kPlace, 1, fileOrder, nullptr, nullptr, 0), kErrorUnknownFile);
  AnimationDelete(raw);
}

}  // namespace
