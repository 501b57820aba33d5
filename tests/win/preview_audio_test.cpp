// The preview of a sound file as the user drives it from the main window: hidden preview
// window, the once-a-second position display, Play/Pause/Stop in every state, Start and
// End Time, slider seeks, an unplayable file, and many opens in a row without leaks.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/ConverterApp.h"
#include "mainwnd/MediaText.h"
#include "media/DirectShow.h"
#include "win/PreviewTestHelpers.h"

namespace {
const char kUnplayable[] =
    "Cannot play the file.  The file is either corrupt or\nthe player does not support the format you are "
    "trying to play.\nIf you want more decoders, please visit our website.";

class PreviewAudioTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
  void TearDown() override {
    EXPECT_EQ(g_pPlayer, nullptr) << "the main window left a player behind";
    EXPECT_EQ(CPreviewPlayer::LiveCount(), 0);
  }
};

PreviewState State() { return g_pPlayer ? g_pPlayer->m_nState : StateNoMedia; }

}  // namespace

TEST_F(PreviewAudioTest, Mp3PlaysHiddenAndTheDisplayFollowsOnceASecond) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    PositionWatch watch;
    ASSERT_EQ(OpenInPreview(dlg, TestMedia("preview-tone.mp3"), 8), 1);
    ASSERT_NE(g_pPlayer, nullptr);
    EXPECT_EQ(State(), StateStopped);
    EXPECT_EQ(g_pPlayer->m_bNoVideo, 1);
    EXPECT_EQ(g_pPlayer->m_bVideoShown, 0);
    HWND preview = g_pPlayer->m_hWnd;
    ASSERT_TRUE(IsWindow(preview));
    EXPECT_FALSE(IsWindowVisible(preview));
    EXPECT_EQ(WindowTitle(preview), "preview-tone.mp3  ");
    // Before the first poll nothing is known of the length, so the slider cannot seek.
    EXPECT_EQ(g_pPlayer->m_rtStop, 0);
    EXPECT_FALSE(dlg.SeekToSliderPos(300));

    ASSERT_TRUE(watch.WaitTicks(1));
    EXPECT_NEAR(static_cast<double>(g_pPlayer->m_rtStop), 8.0 * kSecond, 0.2 * kSecond);
    EXPECT_EQ(ItemText(h, IDC_TITLE), "preview-tone.mp3   00:00:00 / 00:00:08");

    Click(h, IDC_PLAY);
    EXPECT_EQ(State(), StatePlaying);
    const size_t first = watch.ticks.size();
    ASSERT_TRUE(watch.WaitTicks(4, 6000));
    for (size_t i = first + 1; i < watch.ticks.size(); ++i) {
      const DWORD gap = watch.ticks[i].when - watch.ticks[i - 1].when;
      EXPECT_NEAR(gap, 1000.0, 250.0) << "tick " << i;
      const ReferenceTime advance = watch.ticks[i].position - watch.ticks[i - 1].position;
      EXPECT_NEAR(static_cast<double>(advance), 1.0 * kSecond, 0.35 * kSecond) << "tick " << i;
    }
    const PositionWatch::Tick last = watch.ticks.back();
    EXPECT_EQ(ItemText(h, IDC_TITLE), TitleLine("preview-tone.mp3", last.position, 8));
    EXPECT_EQ(SendMessageA(GetDlgItem(h, IDC_SLIDER), TBM_GETPOS, 0, 0), SliderPosition(last.position, last.stop));
    EXPECT_GT(dlg.m_nSliderPos, 0);

    // Start Time takes the polled position, not the graph's live one.
    Click(h, IDC_START_TIME);
    EXPECT_EQ(dlg.m_rtStart, g_pPlayer->m_rtPosition);
    EXPECT_EQ(ItemText(h, IDC_START_CLOCK), ClockText(dlg.m_rtStart));
    ASSERT_TRUE(watch.WaitTicks(2));
    Click(h, IDC_END_TIME);
    EXPECT_EQ(dlg.m_rtEnd, g_pPlayer->m_rtPosition);
    EXPECT_EQ(ItemText(h, IDC_END_CLOCK), ClockText(dlg.m_rtEnd));
    EXPECT_GE(dlg.m_rtEnd - dlg.m_rtStart, 15 * kSecond / 10);
    EXPECT_FALSE(IsWindowVisible(preview)) << "a sound file never shows the preview window";
  });
}

TEST_F(PreviewAudioTest, ButtonsFollowTheStateTable) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    PositionWatch watch;
    ASSERT_EQ(OpenInPreview(dlg, TestMedia("preview-tone.mp3"), 8), 1);
    ASSERT_TRUE(watch.WaitTicks(1));

    // Pause and Stop change nothing while stopped.
    Click(h, IDC_PAUSE);
    EXPECT_EQ(State(), StateStopped);
    Click(h, IDC_STOP);
    EXPECT_EQ(State(), StateStopped);
    EXPECT_EQ(WindowTitle(g_pPlayer->m_hWnd), "preview-tone.mp3  ");

    Click(h, IDC_PLAY);
    EXPECT_EQ(State(), StatePlaying);
    Click(h, IDC_PLAY);  // only resets the rate
    EXPECT_EQ(State(), StatePlaying);
    Click(h, IDC_PAUSE);
    EXPECT_EQ(State(), StatePaused);
    EXPECT_EQ(WindowTitle(g_pPlayer->m_hWnd), "preview-tone.mp3  (Paused)");
    Click(h, IDC_PAUSE);  // does not resume
    EXPECT_EQ(State(), StatePaused);

    // Paused, the position holds; a slider release moves it without starting playback.
    ASSERT_TRUE(watch.WaitTicks(2));
    EXPECT_EQ(watch.ticks[watch.ticks.size() - 1].position, watch.ticks[watch.ticks.size() - 2].position);
    ReleaseSliderAt(h, 300);
    EXPECT_EQ(dlg.m_nSliderPos, 300);
    EXPECT_EQ(State(), StatePaused);
    ASSERT_TRUE(watch.WaitTicks(2));
    EXPECT_NEAR(static_cast<double>(g_pPlayer->m_rtPosition), 0.5 * g_pPlayer->m_rtStop, 0.05 * kSecond);
    EXPECT_NEAR(SendMessageA(GetDlgItem(h, IDC_SLIDER), TBM_GETPOS, 0, 0), 300, 1);

    // A seek below 0 lands at 0.
    EXPECT_HRESULT_SUCCEEDED(g_pPlayer->SeekTo(-5 * kSecond));
    ASSERT_TRUE(watch.WaitTicks(1));
    EXPECT_EQ(g_pPlayer->m_rtPosition, 0);

    Click(h, IDC_PLAY);
    EXPECT_EQ(State(), StatePlaying);
    EXPECT_EQ(WindowTitle(g_pPlayer->m_hWnd), "preview-tone.mp3  ");
    ASSERT_TRUE(watch.WaitTicks(2));
    EXPECT_GT(g_pPlayer->m_rtPosition, 0);
    Click(h, IDC_STOP);
    EXPECT_EQ(State(), StateStopped);
    ASSERT_TRUE(watch.WaitTicks(1));
    EXPECT_EQ(g_pPlayer->m_rtPosition, 0) << "Stop rewinds to the start";
    EXPECT_EQ(SendMessageA(GetDlgItem(h, IDC_SLIDER), TBM_GETPOS, 0, 0), 0);

    // From paused, Stop rewinds as well.
    Click(h, IDC_PLAY);
    Click(h, IDC_PAUSE);
    ASSERT_EQ(State(), StatePaused);
    Click(h, IDC_STOP);
    EXPECT_EQ(State(), StateStopped);
  });
}

TEST_F(PreviewAudioTest, PlayingToTheEndStopsRewindsAndPlaysAgain) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    PositionWatch watch;
    ASSERT_EQ(OpenInPreview(dlg, TestMedia("preview-tone.mp3"), 8), 1);
    ASSERT_TRUE(watch.WaitTicks(1));
    Click(h, IDC_PLAY);
    ReleaseSliderAt(h, 555);  // 7.4 s of 8
    EXPECT_EQ(State(), StatePlaying);
    ASSERT_TRUE(PumpUntil([] { return State() == StateStopped; }, 5000)) << "the end of the stream stops the preview";
    ASSERT_TRUE(watch.WaitTicks(1));
    EXPECT_EQ(g_pPlayer->m_rtPosition, 0);
    EXPECT_EQ(SendMessageA(GetDlgItem(h, IDC_SLIDER), TBM_GETPOS, 0, 0), 0);
    Click(h, IDC_PLAY);
    EXPECT_EQ(State(), StatePlaying);
    ASSERT_TRUE(watch.WaitTicks(2));
    EXPECT_GT(g_pPlayer->m_rtPosition, 0);
    EXPECT_LT(g_pPlayer->m_rtPosition, 4 * kSecond) << "playback starts again from the beginning";
  });
}

// An MP3 without a length tag, whose length the platform estimates as 10.7 s of its 15.5
// from its loud first 3 s (tests/media/convert.sh).
TEST_F(PreviewAudioTest, PlayingGoesOnPastTheLengthEstimateToTheRealEnd) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    PositionWatch watch;
    dlg.OpenMediaFile(TestMedia("conv-untagged-vbr.mp3"));
    ASSERT_NE(g_pPlayer, nullptr);
    ASSERT_TRUE(watch.WaitTicks(1));
    ASSERT_LT(g_pPlayer->m_rtStop, 11 * kSecond) << "the length is no estimate here";
    EXPECT_EQ(dlg.m_nDurationSec, 10);
    ReleaseSliderAt(h, 540);  // 9.6 s
    Click(h, IDC_PLAY);
    // Past the estimate: the clock shows the position, the slider stays at its end.
    ASSERT_TRUE(PumpUntil([&] { return !watch.ticks.empty() && watch.ticks.back().position > 115 * kSecond / 10; },
                          10000));
    EXPECT_EQ(ItemText(h, IDC_TITLE), TitleLine("conv-untagged-vbr.mp3", watch.ticks.back().position, 10));
    EXPECT_EQ(SendMessageA(GetDlgItem(h, IDC_SLIDER), TBM_GETPOS, 0, 0), 600);
    // At the real end the preview stops; from then on the length and the scale are the real ones.
    ASSERT_TRUE(PumpUntil([] { return State() == StateStopped; }, 10000));
    ASSERT_TRUE(watch.WaitTicks(1));
    EXPECT_EQ(dlg.m_nDurationSec, 15);
    EXPECT_EQ(ItemText(h, IDC_TITLE), "conv-untagged-vbr.mp3   00:00:00 / 00:00:15");
    EXPECT_EQ(ItemText(h, IDC_END_CLOCK), "00:00:15") << "End, never marked, is the media's end";
    // The end of 15.54 s, as measured by playing: the last poll and the time played since.
    EXPECT_GE(g_pPlayer->m_rtStop, 152 * kSecond / 10);
    EXPECT_LT(g_pPlayer->m_rtStop, 16 * kSecond);
  });
}

TEST_F(PreviewAudioTest, EveryButtonWithoutMediaDoesNothing) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    dlg.EnableMediaControls(TRUE);
    for (int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_START_TIME, IDC_END_TIME}) Click(h, id);
    ReleaseSliderAt(h, 200);
    EXPECT_FALSE(dlg.SeekToSliderPos(200));
    dlg.UpdatePositionDisplay();
    EXPECT_EQ(g_pPlayer, nullptr);
    EXPECT_EQ(dlg.m_rtStart, 0);
    EXPECT_EQ(dlg.m_rtEnd, 0);
    EXPECT_EQ(ItemText(h, IDC_START_CLOCK), "00:00:00");
    EXPECT_EQ(ItemText(h, IDC_END_CLOCK), "00:00:00");
    EXPECT_EQ(ItemText(h, IDC_TITLE), "");
  });
}

TEST_F(PreviewAudioTest, UnplayableFileShowsTheErrorAndLeavesNoPlayer) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ModalAnswerer answerer;
    answerer.PressOnNextBox(IDOK);
    EXPECT_EQ(OpenInPreview(dlg, TestMedia("preview-broken.mp3"), 0), 0);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].caption, "Error");
    EXPECT_EQ(answerer.seen[0].text, kUnplayable);
    EXPECT_FALSE(answerer.seen[0].ownedByMainWindow);
    EXPECT_EQ(g_pPlayer, nullptr);
    EXPECT_STREQ(dlg.m_szMediaPath, "");
    EXPECT_EQ(CountPreviewWindows(), 0);
    // The controls stay enabled; they do nothing until a file plays.
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_PLAY)));
    for (int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_START_TIME, IDC_END_TIME}) Click(h, id);
    EXPECT_EQ(dlg.m_rtStart, 0);

    ASSERT_EQ(OpenInPreview(dlg, TestMedia("preview-tone.mp3"), 8), 1);
    ASSERT_NE(g_pPlayer, nullptr);
    Click(h, IDC_PLAY);
    EXPECT_EQ(State(), StatePlaying);
    EXPECT_EQ(answerer.seen.size(), 1u);
  });
}

namespace {
// While the unplayable-file box is up (it has no owner, so the main window still takes
// clicks), runs what the user does in the main window, then answers the box.
struct WhileErrorBoxIsUp {
  static inline std::function<void()> action;
  static inline bool ran = false;
  static void CALLBACK Poll(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowA("#32770", "Error");
    if (!box || !IsWindowVisible(box) || ran) return;
    ran = true;
    KillTimer(nullptr, id);
    action();
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
};
}  // namespace

TEST_F(PreviewAudioTest, AnotherOpenOrACloseDuringTheFailureBoxLeavesTheirResultAlone) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    WhileErrorBoxIsUp::ran = false;
    WhileErrorBoxIsUp::action = [&] { EXPECT_EQ(OpenInPreview(dlg, TestMedia("preview-tone.mp3"), 8), 1); };
    SetTimer(nullptr, 0, 30, &WhileErrorBoxIsUp::Poll);
    EXPECT_EQ(OpenInPreview(dlg, TestMedia("preview-broken.mp3"), 0), 0);
    ASSERT_TRUE(WhileErrorBoxIsUp::ran);
    // The file opened meanwhile keeps its player and its path.
    ASSERT_NE(g_pPlayer, nullptr);
    EXPECT_NE(std::string(g_pPlayer->m_szFile).find("preview-tone.mp3"), std::string::npos);
    EXPECT_NE(std::string(dlg.m_szMediaPath).find("preview-tone.mp3"), std::string::npos);
    EXPECT_EQ(CPreviewPlayer::LiveCount(), 1);
    Click(h, IDC_PLAY);
    EXPECT_EQ(State(), StatePlaying);

    WhileErrorBoxIsUp::ran = false;
    WhileErrorBoxIsUp::action = [&] { Click(h, IDC_CLOSE_MEDIA); };
    SetTimer(nullptr, 0, 30, &WhileErrorBoxIsUp::Poll);
    EXPECT_EQ(OpenInPreview(dlg, TestMedia("preview-broken.mp3"), 0), 0);
    ASSERT_TRUE(WhileErrorBoxIsUp::ran);
    EXPECT_EQ(g_pPlayer, nullptr);
    EXPECT_EQ(CPreviewPlayer::LiveCount(), 0);
    EXPECT_EQ(CountPreviewWindows(), 0);
  });
}

// Opening sound, video, sound, a broken file and sound again, many times over: every
// window the previews made is gone, and threads and handles grow no more than when the
// same files go through bare filter graphs. (The platform's media services keep some
// threads and handles of every graph they built; what matters is that the player adds
// nothing: a graph or filter kept alive keeps its streaming threads.)
TEST_F(PreviewAudioTest, OpeningFilesOneAfterAnotherLeaksNothing) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ModalAnswerer answerer;
    const char* files[] = {"preview-tone.mp3", "preview-video.avi", "preview-tone.mp3", "preview-broken.mp3",
                           "preview-tone.mp3"};
    const auto isBroken = [](const char* file) { return std::string(file) == "preview-broken.mp3"; };
    const auto playerRound = [&] {
      for (const char* file : files) {
        if (isBroken(file)) answerer.PressOnNextBox(IDOK);
        EXPECT_EQ(OpenInPreview(dlg, TestMedia(file), 8), isBroken(file) ? 0 : 1) << file;
        Click(h, IDC_PLAY);
        PumpFor(150);
      }
      SendMessageA(h, WM_COMMAND, IDC_CLOSE_MEDIA, 0);
      PumpFor(300);
    };
    const auto bareGraphRound = [&] {
      for (const char* file : files) {
        ComPtr<IGraphBuilder> graph;
        ASSERT_HRESULT_SUCCEEDED(CreateFilterGraph(graph));
        WCHAR wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, TestMedia(file).c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(graph->RenderFile(wide, nullptr))) {
          ComPtr<IMediaControl> control;
          graph.As(control);
          control->Run();
          PumpFor(150);
          control->Stop();
        }
      }
      PumpFor(300);
    };
    const auto settled = [] {
      PumpFor(500);
      return CountProcess();
    };
    playerRound();  // the first rounds load the decoders and register the window class
    bareGraphRound();
    const int rounds = 4;
    const ProcessCounts start = settled();
    for (int i = 0; i < rounds; ++i) playerRound();
    const ProcessCounts afterPlayer = settled();
    for (int i = 0; i < rounds; ++i) bareGraphRound();
    const ProcessCounts afterBare = settled();

    std::printf("[ counts   ] %d opens through the player: windows %d -> %d, threads +%d, handles +%ld "
                "(bare graphs: threads +%d, handles +%ld); GetProcessHandleCount %lu -> %lu, GDI %lu -> %lu, "
                "USER %lu -> %lu\n",
                rounds * 5, start.windows, afterPlayer.windows, afterPlayer.threads - start.threads,
                afterPlayer.tableHandles - start.tableHandles, afterBare.threads - afterPlayer.threads,
                afterBare.tableHandles - afterPlayer.tableHandles, static_cast<unsigned long>(start.handles),
                static_cast<unsigned long>(afterPlayer.handles), static_cast<unsigned long>(start.gdiObjects),
                static_cast<unsigned long>(afterPlayer.gdiObjects), static_cast<unsigned long>(start.userObjects),
                static_cast<unsigned long>(afterPlayer.userObjects));
    EXPECT_EQ(afterPlayer.windows, start.windows);
    EXPECT_EQ(CountPreviewWindows(), 0);
    EXPECT_EQ(afterPlayer.threads - start.threads, afterBare.threads - afterPlayer.threads);
    ASSERT_GE(start.tableHandles, 0) << "the handle table cannot be read";
    EXPECT_NEAR(afterPlayer.tableHandles - start.tableHandles, afterBare.tableHandles - afterPlayer.tableHandles,
                2 * rounds);
    // Where the platform keeps these counts, they return to their start.
    EXPECT_LE(afterPlayer.handles, start.handles);
    EXPECT_LE(afterPlayer.gdiObjects, start.gdiObjects);
    EXPECT_LE(afterPlayer.userObjects, start.userObjects);
    EXPECT_EQ(answerer.seen.size(), static_cast<size_t>(rounds + 1));
  });
}
