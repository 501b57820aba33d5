// Open MP3 File through the real open dialog: the title line, the clocks, the range, the
// stored path in lower case, and the refusals; the display name of a path.
#include <gtest/gtest.h>

#include <cstring>

#include "mainwnd/MediaOpen.h"
#include "winfw/ComInit.h"
#include "win/convert_helpers.h"

using namespace convtest;

namespace {
class OpenFileTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
};

bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }
}  // namespace

TEST_F(OpenFileTest, OpeningShowsNameAndLengthAndStoresThePathInLowerCase) {
  const std::string folder = TempFolder("open");
  const std::string media = folder + "\\Spoken Words.MP3";
  ASSERT_TRUE(CopyFileA(TestMedia("conv-stereo44.mp3").c_str(), media.c_str(), FALSE));
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    const std::string output = ItemText(h, IDC_OUTPUT_FILE);
    ModalAnswerer answers;
    answers.ChooseInNextFileDialog(media);
    Click(h, IDC_OPEN);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].caption, "Select an MP3 file");
    EXPECT_TRUE(answers.seen[0].ownedByMainWindow);

    // 7.26 s: truncated, never rounded.
    EXPECT_EQ(dlg.m_nDurationSec, 7);
    EXPECT_GT(dlg.m_rtDuration, 72'000'000);
    EXPECT_LT(dlg.m_rtDuration, 73'000'000);
    EXPECT_EQ(dlg.m_rtEnd, dlg.m_rtDuration);
    EXPECT_EQ(dlg.m_rtStart, 0);
    EXPECT_EQ(ItemText(h, IDC_TITLE), "Spoken Words.MP3   00:00:00 / 00:00:07");
    EXPECT_EQ(dlg.m_strTitle, ItemText(h, IDC_TITLE));
    EXPECT_EQ(ItemText(h, IDC_START_CLOCK), "00:00:00");
    EXPECT_EQ(ItemText(h, IDC_END_CLOCK), "00:00:07");
    std::string lowered = media;
    CharLowerBuffA(&lowered[0], static_cast<DWORD>(lowered.size()));
    EXPECT_STREQ(dlg.m_szMediaPath, lowered.c_str());
    for (int id : {IDC_CONVERT, IDC_SLIDER, IDC_PLAY, IDC_OUTPUT_FILE, IDC_BROWSE}) EXPECT_TRUE(Enabled(h, id)) << id;
    EXPECT_EQ(ItemText(h, IDC_OUTPUT_FILE), output);  // opening does not change the output path
  });
}

TEST_F(OpenFileTest, CancelChangesNothing) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ASSERT_TRUE(OpenMedia(h, TestMedia("conv-mono22.mp3")).empty());
    const std::string path = dlg.m_szMediaPath;
    const std::string title = ItemText(h, IDC_TITLE);
    const ReferenceTime end = dlg.m_rtEnd;
    ModalAnswerer cancel;
    cancel.ChooseInNextFileDialog("");  // Cancel
    Click(h, IDC_OPEN);
    EXPECT_EQ(cancel.seen.size(), 1u);
    EXPECT_EQ(dlg.m_szMediaPath, path);
    EXPECT_EQ(ItemText(h, IDC_TITLE), title);
    EXPECT_EQ(dlg.m_rtEnd, end);
  });
}

TEST_F(OpenFileTest, ProbeFailureIsReportedByTheDialogWithCaptionError) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ModalAnswerer answers;
    answers.ChooseInNextFileDialog(TestMedia("conv-text.mp3"));
    answers.PressOnNextBox(IDOK);
    Click(h, IDC_OPEN);
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[1].caption, "Error");
    EXPECT_TRUE(answers.seen[1].ownedByMainWindow);
    EXPECT_FALSE(Enabled(h, IDC_CONVERT));  // nothing was open before: still no media
    EXPECT_EQ(ItemText(h, IDC_TITLE), "");
  });
}

TEST(DisplayName, UrlWholeIfoDriveOtherwiseFileNameAndThePathLowered) {
  char name[260] = "unchanged";
  char empty[260] = "";
  EXPECT_EQ(GetDisplayName(empty, name), 0);
  EXPECT_STREQ(name, "unchanged");

  char url[260] = "rtsp://Host/Stream";
  EXPECT_EQ(GetDisplayName(url, name), 1);
  EXPECT_STREQ(name, "rtsp://Host/Stream");
  EXPECT_STREQ(url, "rtsp://Host/Stream");  // a URL keeps its case

  char dvd[260] = "D:\\Movie.IFO.d\\VIDEO_TS\\VTS_01_1.VOB";
  EXPECT_EQ(GetDisplayName(dvd, name), 1);
  EXPECT_STREQ(name, "D:\\");
  EXPECT_STREQ(dvd, "d:\\movie.ifo.d\\video_ts\\vts_01_1.vob");

  char file[260] = "C:\\Music\\Song Title.MP3";
  EXPECT_EQ(GetDisplayName(file, name), 1);
  EXPECT_STREQ(name, "Song Title.MP3");  // taken before the path was lowered
  EXPECT_STREQ(file, "c:\\music\\song title.mp3");
}

TEST(DisplayName, ProbeMeasuresAFileAndRefusesWhatItCannotRender) {
  ComInit com;
  ReferenceTime stop = -1;
  EXPECT_EQ(GetMediaStopTime(TestMedia("conv-long.mp3").c_str(), stop), 1);
  EXPECT_GT(stop, 59 * kReferenceTimePerSecond);
  EXPECT_LT(stop, 61 * kReferenceTimePerSecond);
  stop = -1;
  EXPECT_EQ(GetMediaStopTime(TestMedia("conv-empty.mp3").c_str(), stop), 0);
  EXPECT_EQ(stop, -1);
}
