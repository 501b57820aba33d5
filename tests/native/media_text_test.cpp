#include <gtest/gtest.h>

#include "mainwnd/MediaText.h"

TEST(ClockText, TruncatesAndPads) {
  EXPECT_EQ(ClockText(ReferenceTime{0}), "00:00:00");
  EXPECT_EQ(ClockText(ReferenceTime{599'999'999}), "00:00:59");  // 59.9999999 s
  EXPECT_EQ(ClockText(ReferenceTime{36'610'000'000}), "01:01:01");
  EXPECT_EQ(ClockText(100 * 3600), "100:00:00");
  EXPECT_EQ(ClockText(ReferenceTime{-5'000'000}), "00:00:00");  // -0.5 s truncates towards zero
}

TEST(ClockText, TitleLineJoinsNameCurrentAndLength) {
  EXPECT_EQ(TitleLine("song.mp3", 12 * kReferenceTimePerSecond, 3 * 60 + 5), "song.mp3   00:00:12 / 00:03:05");
}

TEST(DisplayName, UrlsAreShownWhole) {
  EXPECT_TRUE(IsUrlLikePath("mms://host/a.asf"));
  EXPECT_TRUE(IsUrlLikePath("rtsp://host/a"));
  EXPECT_TRUE(IsUrlLikePath("http://host/a"));
  EXPECT_FALSE(IsUrlLikePath("C:\\a.mp3"));
  EXPECT_FALSE(IsUrlLikePath("abc"));
}

TEST(DisplayName, FileNameOrDriveForDvdFiles) {
  EXPECT_EQ(LocalDisplayName("C:\\Music\\Song.MP3", "c:\\music\\song.mp3", NoLeadBytes), "Song.MP3");
  EXPECT_EQ(LocalDisplayName("D:\\VIDEO_TS\\VTS_01_0.IFO", "d:\\video_ts\\vts_01_0.ifo", NoLeadBytes), "D:\\");
  EXPECT_EQ(LocalDisplayName("E:\\a.IFOlder\\x.mp3", "e:\\a.ifolder\\x.mp3", NoLeadBytes), "E:\\");
  EXPECT_EQ(LocalDisplayName("song.mp3", "song.mp3", NoLeadBytes), "song.mp3");
  EXPECT_EQ(LocalDisplayName("C:/a/b/c.mp3", "c:/a/b/c.mp3", NoLeadBytes), "c.mp3");
}

TEST(SliderScale, PositionAndTargetTruncate) {
  EXPECT_EQ(SliderPosition(0, 0), 0);
  EXPECT_EQ(SliderPosition(5, 0), 0);
  EXPECT_EQ(SliderPosition(50, 100), 300);
  EXPECT_EQ(SliderPosition(1, 601), 0);
  EXPECT_EQ(SliderPosition(100, 100), 600);
  EXPECT_EQ(SliderTarget(0, 300), 0);
  EXPECT_EQ(SliderTarget(600 * kReferenceTimePerSecond, 300), 300 * kReferenceTimePerSecond);
  EXPECT_EQ(SliderTarget(1000, 1), 1);  // 1.666 truncates
}

TEST(MediaEnd, OnlyAnEndASecondOrMoreAwayIsAnotherLength) {
  EXPECT_FALSE(IsAnotherLength(80'500'000, 80'000'000));  // a decoder's delay past 8 s
  EXPECT_FALSE(IsAnotherLength(70'000'001, 80'000'000));
  EXPECT_TRUE(IsAnotherLength(70'000'000, 80'000'000));
  EXPECT_TRUE(IsAnotherLength(150'470'000, 104'660'000));  // 15.05 s played of a 10.47 s estimate
}
