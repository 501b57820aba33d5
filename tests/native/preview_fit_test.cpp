#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "preview/PreviewGeometry.h"

namespace {
// A screen, a video's reported size, and where the full-screen video goes.
struct FitCase {
  const char* name;
  int screenWidth, screenHeight, videoWidth, videoHeight;
  int left, top, width, height;
};
void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }
class FullScreenPlace : public ::testing::TestWithParam<FitCase> {};
}  // namespace

TEST_P(FullScreenPlace, FitVideoToScreenPlacesTheVideo) {
  const FitCase& c = GetParam();
  const VideoPlace p = FitVideoToScreen(c.screenWidth, c.screenHeight, c.videoWidth, c.videoHeight);
  EXPECT_EQ(p.left, c.left);
  EXPECT_EQ(p.top, c.top);
  EXPECT_EQ(p.width, c.width);
  EXPECT_EQ(p.height, c.height);
}

// The video counts as ten times its reported size.
INSTANTIATE_TEST_SUITE_P(
    Cases, FullScreenPlace,
    ::testing::Values(
        // Fits at ten times its size: centred.
        FitCase{"FitsCentred", 1280, 1024, 64, 48, 320, 272, 640, 480},
        FitCase{"FitsExactlyTheScreen", 1280, 1000, 128, 100, 0, 0, 1280, 1000},
        FitCase{"FitsWithOddMarginsTruncated", 1281, 1025, 64, 48, 320, 272, 640, 480},
        // Too wide only: fills the width.
        FitCase{"TooWide", 1280, 1024, 200, 50, 0, 352, 1280, 320},
        // h2 = 326.4 -> 326; top = 697 / 2 = 348; the height is what the two margins leave.
        FitCase{"TooWideHeightIsWhatTheMarginsLeave", 1280, 1023, 200, 51, 0, 348, 1280, 327},
        // Too tall only: fills the height.
        FitCase{"TooTall", 1280, 1024, 50, 200, 512, 0, 256, 1024},
        // Larger both ways: fills the side with the smaller scale.
        FitCase{"LargerWidthScaleSmaller", 1280, 1024, 160, 120, 0, 32, 1280, 960},  // sx 0.8 < sy 0.853
        FitCase{"LargerHeightScaleSmaller", 1280, 720, 320, 240, 160, 0, 960, 720},  // sx 0.4 > sy 0.3
        FitCase{"LargerOnAWideScreen", 1920, 1080, 176, 144, 300, 0, 1320, 1080},
        FitCase{"LargerWidthTruncated", 1280, 1024, 352, 288, 14, 0, 1252, 1024},  // w2 1251.56 -> 1251
        FitCase{"LargerEqualScalesFullHeight", 1024, 1024, 128, 128, 0, 0, 1024, 1024},
        // 1280 / (2560 / 1170) is 585.0 in 32-bit floats but 584.99... in doubles: the
        // margin is 219, not 220.
        FitCase{"RatioIsA32BitFloat", 1280, 1024, 256, 117, 0, 219, 1280, 586},
        // No picture size: the whole screen.
        FitCase{"NoPictureWidth", 1280, 1024, 0, 120, 0, 0, 1280, 1024},
        FitCase{"NoPictureHeight", 1280, 1024, 160, 0, 0, 0, 1280, 1024}),
    [](const ::testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

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
  EXPECT_EQ(rc2.right, 184);  // 50 + 4 * 101 / 3 (134.67, truncated)
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
