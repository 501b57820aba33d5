// Open MP3 File through the real open dialog, and files dropped on the window: the title
// line, the clocks, the range, the stored path in lower case, the preview, and the
// refusals, with names in any script; the display name of a path.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>

#include "mainwnd/MediaOpen.h"
#include "winfw/ComInit.h"
#include "win/convert_helpers.h"
// After the dialog: the media headers define a macro that the window classes would meet.
#include "preview/PreviewPlayer.h"

using namespace convtest;

namespace {
class OpenFileTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
};

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// A drop handle as the shell makes one: DROPFILES, then each name in UTF-16 with its
// terminator, then an empty name.
HDROP MakeDrop(const std::vector<std::string>& files) {
  std::wstring names;
  for (const std::string& f : files) names += Wide(f) + L'\0';
  names += L'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// Sends the dialog a drop of these files; the boxes that come up are answered with OK.
std::vector<ModalAnswerer::Seen> Drop(HWND dlg, const std::vector<std::string>& files) {
  ModalAnswerer answers;
  answers.PressOnNextBox(IDOK);
  const HDROP drop = MakeDrop(files);
  SendMessageA(dlg, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_EQ(GlobalFlags(drop), static_cast<UINT>(GMEM_INVALID_HANDLE)) << "the drop handle was not given back";
  return answers.seen;
}

// Copies of a 7-second file under names in several scripts, in a folder named likewise.
struct ScriptMedia {
  explicit ScriptMedia(const char* test)
      : base(TempFolder(test)),
        folder(ScriptFolder(base, "conv-stereo44.mp3")),
        storedFolder(AsciiLower(base) + "\\" + kScriptFolderLowered) {}
  std::string Path(const ScriptName& n) const { return folder + "\\" + n.name; }
  std::string base, folder, storedFolder;  // storedFolder: as the stored (lower-cased) path has it
};

// The dialog shows media file `n` of storedFolder as opened, with its preview built.
void ExpectOpened(CConverterDlg& dlg, HWND h, const std::string& storedFolder, const ScriptName& n) {
  EXPECT_EQ(ItemText(h, IDC_TITLE), std::string(n.name) + "   00:00:00 / 00:00:07");
  EXPECT_EQ(std::string(dlg.m_szMediaPath), storedFolder + "\\" + n.lowered);
  EXPECT_EQ(ItemText(h, IDC_START_CLOCK), "00:00:00");
  EXPECT_EQ(ItemText(h, IDC_END_CLOCK), "00:00:07");
  EXPECT_TRUE(Enabled(h, IDC_CONVERT));
  ASSERT_NE(g_pPlayer, nullptr);
  EXPECT_NE(g_pPlayer->m_nState, StateNoMedia);
  EXPECT_EQ(WindowTitle(g_pPlayer->m_hWnd), std::string(n.lowered) + "  ");
}
}  // namespace

TEST(CodePage, TheProgramSpeaksUtf8InItsNarrowCalls) {
  // The manifest linked into the program (and every test program) sets the code page.
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
}

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

TEST_F(OpenFileTest, NamesInAnyScriptOpenShowTheirNameAndPreview) {
  const ScriptMedia media("names");
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    for (const ScriptName& n : ScriptNames()) {
      SCOPED_TRACE(n.name);
      const auto boxes = OpenMedia(h, media.Path(n));
      ASSERT_TRUE(boxes.empty()) << boxes.front();
      ExpectOpened(dlg, h, media.storedFolder, n);
      // From the first position update on, the title shows the stored path's name.
      EXPECT_TRUE(PumpUntil([&] { return ItemText(h, IDC_TITLE).rfind(std::string(n.lowered) + "   ", 0) == 0; }))
          << ItemText(h, IDC_TITLE);
    }
  });
}

namespace {
// A path of fewer than 259 characters in folders of `levels` names of `count` letters.
std::string DeepPath(const char* test, int levels, int count, const char* letter) {
  std::string path = TempFolder(test);
  for (int level = 0; level < levels; ++level) {
    path += "\\";
    for (int i = 0; i < count; ++i) path += letter;
    CreateDirectoryA(path.c_str(), nullptr);
  }
  path += "\\a.mp3";
  EXPECT_TRUE(CopyFileA(TestMedia("conv-mono22.mp3").c_str(), path.c_str(), FALSE));
  EXPECT_LT(Wide(path).size(), 259u);
  return path;
}
}  // namespace

TEST_F(OpenFileTest, APathTooLongInBytesIsRefusedInWordsAUserUnderstands) {
  // Over 259 bytes; and over the dialog's 512 bytes, which it then fills unterminated.
  for (const std::string& path : {DeepPath("long", 2, 60, u8"Ж"), DeepPath("longer", 3, 55, u8"音")}) {
    SCOPED_TRACE(path.size());
    ASSERT_GT(path.size(), 259u);
    CConverterDlg dlg;
    RunAsMainWindow(dlg, [&](HWND h) {
      const auto boxes = OpenMedia(h, path);
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_NE(boxes[0].find("too long"), std::string::npos) << boxes[0];
      EXPECT_NE(boxes[0].find("counts as two to four"), std::string::npos) << boxes[0];
      EXPECT_STREQ(dlg.m_szMediaPath, "");
      EXPECT_FALSE(Enabled(h, IDC_CONVERT));
    });
  }
}

TEST_F(OpenFileTest, ADroppedFileOpensAsOpenMp3FileDoesAndOfSeveralTheFirst) {
  const ScriptMedia media("drop");
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    EXPECT_NE(GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0) << "the window takes no drops";
    const std::string output = ItemText(h, IDC_OUTPUT_FILE);
    const auto& names = ScriptNames();
    EXPECT_TRUE(Drop(h, {media.Path(names[0]), media.Path(names[1])}).empty());
    ExpectOpened(dlg, h, media.storedFolder, names[0]);
    EXPECT_EQ(dlg.m_rtStart, 0);
    EXPECT_EQ(dlg.m_rtEnd, dlg.m_rtDuration);
    EXPECT_EQ(ItemText(h, IDC_OUTPUT_FILE), output);

    // A folder gets the answer that any file that cannot be opened gets.
    const auto boxes = Drop(h, {media.folder});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, kProbeFailed);
    EXPECT_TRUE(boxes[0].ownedByMainWindow);
  });
}

TEST_F(OpenFileTest, ADropDuringAConversionOpensTheFileWhileTheJobGoesOn) {
  const ScriptMedia media("drop-job");
  const std::string out = media.base + "\\job.wav";
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ASSERT_TRUE(OpenMedia(h, TestMedia("conv-long.mp3")).empty());
    SetOutput(h, out);
    Click(h, IDC_CONVERT);
    ASSERT_TRUE(dlg.JobActive());
    EXPECT_TRUE(Drop(h, {media.Path(ScriptNames()[0])}).empty());
    ExpectOpened(dlg, h, media.storedFolder, ScriptNames()[0]);
    EXPECT_EQ(ItemText(h, IDC_CONVERT), "Stop");  // the job goes on with the file it had
    Click(h, IDC_CONVERT);
    EXPECT_TRUE(WaitIdle(dlg));
  });
  ExpectCompleteWav(ReadBytes(out));
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

// The platform's call stays held: the test runs in a process of its own (tests/CMakeLists.txt).
TEST_F(OpenFileTest, AFileThatHoldsThePlatformIsRefusedAfterTheProbesBoundAndTheWindowGoesOn) {
  CConverterDlg dlg;
  dlg.m_nProbeWaitMs = 2000;
  RunAsMainWindow(dlg, [&](HWND h) {
    const DWORD start = GetTickCount();
    const auto boxes = convtest::OpenMedia(h, TestMedia("conv-g726.wav"));
    const DWORD took = GetTickCount() - start;
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], kProbeFailed);
    EXPECT_GE(took, dlg.m_nProbeWaitMs);
    EXPECT_LT(took, dlg.m_nProbeWaitMs + 8000);
    EXPECT_FALSE(Enabled(h, IDC_CONVERT));
    // The window takes the next file at once, while the platform still holds the first.
    EXPECT_TRUE(convtest::OpenMedia(h, TestMedia("conv-stereo44.mp3")).empty());
    EXPECT_TRUE(Enabled(h, IDC_CONVERT));
    EXPECT_EQ(ItemText(h, IDC_TITLE).rfind("conv-stereo44.mp3", 0), 0u);
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
