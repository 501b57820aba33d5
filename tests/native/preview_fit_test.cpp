#include <gtest/gtest.h>

#include "preview/PreviewGeometry.h"

namespace {
void ExpectPlace(const VideoPlace& p, int left, int top, int width, int height) {
  EXPECT_EQ(p.left, left);
  EXPECT_EQ(p.top, top);
  EXPECT_EQ(p.width, width);
  EXPECT_EQ(p.height, height);
}
}  // namespace

// The video counts as ten times its reported size.
TEST(FitVideoToScreen, CentresAVideoThatFitsAtTenTimesItsSize) {
  ExpectPlace(FitVideoToScreen(1280, 1024, 64, 48), 320, 272, 640, 480);
  ExpectPlace(FitVideoToScreen(1280, 1000, 128, 100), 0, 0, 1280, 1000);  // exactly the screen
  ExpectPlace(FitVideoToScreen(1281, 1025, 64, 48), 320, 272, 640, 480);  // odd margins truncate
}

TEST(FitVideoToScreen, TooWideOnlyFillsTheWidth) {
  ExpectPlace(FitVideoToScreen(1280, 1024, 200, 50), 0, 352, 1280, 320);
  // h2 = 326.4 -> 326; top = 697 / 2 = 348; the height is what the two margins leave.
  ExpectPlace(FitVideoToScreen(1280, 1023, 200, 51), 0, 348, 1280, 327);
}

TEST(FitVideoToScreen, TooTallOnlyFillsTheHeight) {
  ExpectPlace(FitVideoToScreen(1280, 1024, 50, 200), 512, 0, 256, 1024);
}

TEST(FitVideoToScreen, LargerBothWaysFillsTheSideWithTheSmallerScale) {
  ExpectPlace(FitVideoToScreen(1280, 1024, 160, 120), 0, 32, 1280, 960);   // sx 0.8 < sy 0.853
  ExpectPlace(FitVideoToScreen(1280, 720, 320, 240), 160, 0, 960, 720);    // sx 0.4 > sy 0.3
  ExpectPlace(FitVideoToScreen(1920, 1080, 176, 144), 300, 0, 1320, 1080);
  ExpectPlace(FitVideoToScreen(1280, 1024, 352, 288), 14, 0, 1252, 1024);  // w2 1251.56 -> 1251
  ExpectPlace(FitVideoToScreen(1024, 1024, 128, 128), 0, 0, 1024, 1024);   // equal scales: full height
}

TEST(FitVideoToScreen, RatioIsA32BitFloat) {
  // 1280 / (2560 / 1170) is 585.0 in 32-bit floats but 584.99... in doubles: the margin
  // is 219, not 220.
  ExpectPlace(FitVideoToScreen(1280, 1024, 256, 117), 0, 219, 1280, 586);
}

TEST(FitVideoToScreen, NoPictureSizeFillsTheScreen) {
  ExpectPlace(FitVideoToScreen(1280, 1024, 0, 120), 0, 0, 1280, 1024);
  ExpectPlace(FitVideoToScreen(1280, 1024, 160, 0), 0, 0, 1280, 1024);
}

TEST(PreviewWindowPlace, StartsInTheStripAboveTheMainWindow) {
  const IntRect work{0, 0, 1280, 1024};
  const IntRect main{400, 305, 800, 700};
  const IntRect rc = InitialPreviewRect(work, main);
  EXPECT_EQ(rc.left, 100);
  EXPECT_EQ(rc.top, 5);
  EXPECT_EQ(rc.right, 400);  // 4 * 300 / 3
  EXPECT_EQ(rc.bottom, 305);

  const IntRect shiftedWork{50, 30, 1280, 1000};
  const IntRect rc2 = InitialPreviewRect(shiftedWork, {0, 136, 10, 10});
  EXPECT_EQ(rc2.left, 150);
  EXPECT_EQ(rc2.top, 35);
  EXPECT_EQ(rc2.right, 50 + (4 * 101) / 3);  // 134 truncated
  EXPECT_EQ(rc2.bottom, 136);
}

TEST(PreviewWindowPlace, AMainWindowAtTheTopLeavesAnEmptyNotANegativeWindow) {
  const IntRect rc = InitialPreviewRect({0, 0, 1280, 1024}, {100, 0, 500, 400});
  EXPECT_EQ(rc.left, 100);
  EXPECT_EQ(rc.top, 5);
  EXPECT_EQ(rc.right - rc.left, 0);
  EXPECT_EQ(rc.bottom - rc.top, 0);
}

TEST(NormalWindowSize, VideoPlusFramesAndCaption) {
  const IntSize s = NormalWindowSize(160, 120, 1, 1, 4, 4, 19);
  EXPECT_EQ(s.cx, 168);
  EXPECT_EQ(s.cy, 147);
  const IntSize half = NormalWindowSize(161, 121, 1, 2, 3, 5, 20);  // integer halving
  EXPECT_EQ(half.cx, 80 + 6);
  EXPECT_EQ(half.cy, 60 + 20 + 10);
}

TEST(PreviewTitle, FileNamePartTwoSpacesAndPaused) {
  EXPECT_EQ(PreviewTitle("C:\\Media\\Clip.avi", false, NoLeadBytes), "Clip.avi  ");
  EXPECT_EQ(PreviewTitle("C:\\Media\\Clip.avi", true, NoLeadBytes), "Clip.avi  (Paused)");
  EXPECT_EQ(PreviewTitle("/media/x\\clips/a.mpg", true, NoLeadBytes), "a.mpg  (Paused)");
  EXPECT_EQ(PreviewTitle("plain.mp3", false, NoLeadBytes), "plain.mp3  ");
  EXPECT_EQ(PreviewTitle("", false, NoLeadBytes), "  ");
}

TEST(PreviewTitle, TrailByteIsNoSeparator) {
  // In a double-byte code page 0x81 0x5C is one character, not a backslash.
  const auto isLead = [](unsigned char c) { return c == 0x81; };
  EXPECT_EQ(PreviewTitle("C:\\dir\\a\x81\x5C" "b.mp3", false, isLead), "a\x81\x5C" "b.mp3  ");
}

TEST(MenuGreying, ByPlayState) {
  const MenuGreying stopped = MenuGreyingFor(0);
  EXPECT_FALSE(stopped.play);
  EXPECT_TRUE(stopped.pause);
  EXPECT_TRUE(stopped.stop);
  const MenuGreying paused = MenuGreyingFor(1);
  EXPECT_FALSE(paused.play);
  EXPECT_TRUE(paused.pause);
  EXPECT_FALSE(paused.stop);
  const MenuGreying playing = MenuGreyingFor(2);
  EXPECT_TRUE(playing.play);
  EXPECT_FALSE(playing.pause);
  EXPECT_FALSE(playing.stop);
  const MenuGreying none = MenuGreyingFor(3);
  EXPECT_FALSE(none.play || none.pause || none.stop);
}

TEST(CursorIdle, MoreThanOneHundredSecondsAcrossTheClockWrap) {
  EXPECT_FALSE(CursorIdleExpired(100000, 0));
  EXPECT_TRUE(CursorIdleExpired(100001, 0));
  EXPECT_FALSE(CursorIdleExpired(50000, 0xFFFFFFFFu - 40000));  // 90 s across the wrap
  EXPECT_TRUE(CursorIdleExpired(70000, 0xFFFFFFFFu - 40000));   // 110 s across the wrap
}
