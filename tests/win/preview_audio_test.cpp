// The preview of a sound file as the user drives it from the main window: hidden preview
// window, the position display at every poll, Play/Pause/Stop in every state, Start and
// End Time, slider seeks, an unplayable file, and many opens in a row without leaks. The
// tests poll the position every kTestPollMs, the program once a second.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/ConverterApp.h"
#include "media/DirectShow.h"
#include "support/LittleEndian.h"
#include "win/PreviewTestHelpers.h"
#include "win/convert_helpers.h"

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

TEST_F(PreviewAudioTest, Mp3PlaysHiddenAndTheDisplayFollowsEveryPoll) {
  CConverterDlg dlg;
  EXPECT_EQ(dlg.m_timing.positionPollMs, 1000u) << "the program polls the position once a second";
  dlg.m_timing.positionPollMs = kTestPollMs;
  RunAsMainWindow(dlg, [&](HWND h) {
    PositionWatch watch;
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-tone.mp3")));
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

    // The player polls at the main window's interval, and the position follows the clock.
    Click(h, IDC_PLAY);
    EXPECT_EQ(State(), StatePlaying);
    const size_t first = watch.ticks.size();
    ASSERT_TRUE(watch.WaitTicks(6));
    for (size_t i = first + 1; i < watch.ticks.size(); ++i) {
      EXPECT_GE(watch.ticks[i].when - watch.ticks[i - 1].when, kTestPollMs - 20) << "tick " << i;
      EXPECT_GT(watch.ticks[i].position, watch.ticks[i - 1].position) << "tick " << i;
    }
    const DWORD played = watch.ticks.back().when - watch.ticks[first].when;
    EXPECT_LT(played, 4000u) << "five gaps of a poll shorter than the program's second";
    EXPECT_NEAR(static_cast<double>(watch.ticks.back().position - watch.ticks[first].position),
                played * (kSecond / 1000.0), 0.35 * kSecond);
    EXPECT_GT(dlg.m_nSliderPos, 0);

    // Paused at 3.5 s of 8: the title shows the whole seconds, the slider 3.5 / 8 of its
    // 0..600 scale (262.5, truncated).
    Click(h, IDC_PAUSE);
    ASSERT_HRESULT_SUCCEEDED(g_pPlayer->SeekTo(35 * kSecond / 10));
    ASSERT_TRUE(watch.WaitTicks(1));
    EXPECT_EQ(ItemText(h, IDC_TITLE), "preview-tone.mp3   00:00:03 / 00:00:08");
    EXPECT_NEAR(SendMessageA(GetDlgItem(h, IDC_SLIDER), TBM_GETPOS, 0, 0), 262, 2);
    Click(h, IDC_START_TIME);
    EXPECT_EQ(dlg.m_rtStart, 35 * kSecond / 10);
    EXPECT_EQ(ItemText(h, IDC_START_CLOCK), "00:00:03");

    // End Time takes the graph's position at the press, which the last poll can only trail:
    // the press comes once playing has gone 50 ms past that poll.
    Click(h, IDC_PLAY);
    ASSERT_TRUE(watch.WaitTicks(3));
    ReferenceTime before = 0, after = 0;
    ASSERT_TRUE(PumpUntil([&] {
      return g_pPlayer->ReadCurrentPosition(before) && before >= g_pPlayer->m_rtPosition + kSecond / 20;
    }));
    Click(h, IDC_END_TIME);
    ASSERT_TRUE(g_pPlayer->ReadCurrentPosition(after));
    EXPECT_GE(dlg.m_rtEnd, before);
    EXPECT_LE(dlg.m_rtEnd, after);
    ASSERT_LT(dlg.m_rtEnd, 5 * kSecond) << "three polls cannot take 1.5 s of sound";
    EXPECT_EQ(ItemText(h, IDC_END_CLOCK), dlg.m_rtEnd < 4 * kSecond ? "00:00:03" : "00:00:04");
    EXPECT_GE(dlg.m_rtEnd - dlg.m_rtStart, 2 * kTestPollMs * (kSecond / 1000));
    EXPECT_FALSE(IsWindowVisible(preview)) << "a sound file never shows the preview window";
  });
}

namespace {
double Seconds() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A button press, bracketed by the clock read just before and just after the click.
struct Press {
  double before;
  double after;
  DWORD phaseMs;  // since the last position notification
};

// Presses the button phaseMs after the last position notification.
Press PressAtPhase(PositionWatch& watch, HWND h, int id, DWORD phaseMs) {
  const auto sinceTick = [&] { return GetTickCount() - watch.ticks.back().when; };
  PumpUntil([&] { return sinceTick() >= phaseMs; }, 2000);
  Press press{Seconds(), 0, sinceTick()};
  Click(h, id);
  press.after = Seconds();
  return press;
}
}  // namespace

// Marks pressed at several moments of the position poll while a tune plays: the WAV
// holds the time between the two presses. A mark taken from the last poll would be off by
// the phase at its press, 80 ms or more in each trial. Paused, a mark is the paused
// position.
TEST_F(PreviewAudioTest, MarksTakeThePositionAtThePress) {
  CConverterDlg dlg;
  dlg.m_timing.positionPollMs = kTestPollMs;
  RunAsMainWindow(dlg, [&](HWND h) {
    PositionWatch watch;
    const std::string folder = TempFolder("marks");
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-tune.mp3")));
    ASSERT_TRUE(watch.WaitTicks(1));
    Click(h, IDC_PLAY);
    // Each button pressed at each of three phases of the poll.
    const DWORD half = kTestPollMs / 2, late = kTestPollMs * 9 / 10;
    const DWORD phases[][2] = {{0, half}, {half, late}, {late, 0}};
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(watch.WaitTicks(1));
      const Press start = PressAtPhase(watch, h, IDC_START_TIME, phases[i][0]);
      ASSERT_TRUE(watch.WaitTicks(2));
      const Press end = PressAtPhase(watch, h, IDC_END_TIME, phases[i][1]);
      const std::string out = folder + "\\mark-" + std::to_string(i) + ".wav";
      convtest::SetOutput(h, out);
      convtest::ConvertAndWait(dlg);
      const std::vector<unsigned char> wav = convtest::ReadBytes(out);
      ASSERT_GE(wav.size(), 44u);
      const double bytesPerSecond = U32(wav, 28);
      const double length = U32(wav, 40) / bytesPerSecond;
      // The presses fell somewhere inside their brackets. The job ends with the first
      // whole buffer (5000 bytes) that reaches the range; the graph's clock ticks in
      // milliseconds at worst, 2 ms over the two reads.
      const double shortest = end.before - start.after - 0.002;
      const double longest = end.after - start.before + 5000 / bytesPerSecond + 0.002;
      std::printf("[ marks    ] phases %lu/%lu ms: presses %.4f..%.4f s apart, WAV %.4f s, error %+.4f s\n",
                  static_cast<unsigned long>(start.phaseMs), static_cast<unsigned long>(end.phaseMs),
                  end.before - start.after, end.after - start.before, length,
                  length - (end.before + end.after - start.before - start.after) / 2);
      EXPECT_GE(length, shortest) << "trial " << i;
      EXPECT_LE(length, longest) << "trial " << i;
    }

    // Paused, a mark is the paused position itself, also right after a seek that no poll
    // has seen yet (no message is handled between a seek and its press); the poll's own
    // position is left to the display.
    Click(h, IDC_PAUSE);
    ASSERT_EQ(State(), StatePaused);
    ASSERT_TRUE(watch.WaitTicks(1));
    const ReferenceTime polled = g_pPlayer->m_rtPosition;
    ASSERT_HRESULT_SUCCEEDED(g_pPlayer->SeekTo(53'000'000));
    Click(h, IDC_START_TIME);
    EXPECT_EQ(dlg.m_rtStart, 53'000'000);
    EXPECT_EQ(ItemText(h, IDC_START_CLOCK), "00:00:05");
    ASSERT_HRESULT_SUCCEEDED(g_pPlayer->SeekTo(67'500'000));
    Click(h, IDC_END_TIME);
    EXPECT_EQ(dlg.m_rtEnd, 67'500'000);
    EXPECT_EQ(ItemText(h, IDC_END_CLOCK), "00:00:06");
    EXPECT_EQ(g_pPlayer->m_rtPosition, polled);
    Click(h, IDC_STOP);
  });
}

TEST_F(PreviewAudioTest, ButtonsFollowTheStateTable) {
  CConverterDlg dlg;
  dlg.m_timing.positionPollMs = kTestPollMs;
  RunAsMainWindow(dlg, [&](HWND h) {
    PositionWatch watch;
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-tone.mp3")));
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
  dlg.m_timing.positionPollMs = kTestPollMs;
  RunAsMainWindow(dlg, [&](HWND h) {
    PositionWatch watch;
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-tone.mp3")));
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

// Two Ogg streams one after the other: the platform plays the first, then delivers
// nothing more and sends no end (tests/media/convert.sh). Tests named "Stall" run in a
// process of their own (tests/CMakeLists.txt).
TEST_F(PreviewAudioTest, PlayingIntoAStallEndsAsTheMediasEndWould) {
  CConverterDlg dlg;
  dlg.m_timing.positionPollMs = kTestPollMs;
  dlg.m_timing.stallMs = 2000;
  RunAsMainWindow(dlg, [&](HWND h) {
    PositionWatch watch;
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("conv-chained.ogg")));
    ASSERT_TRUE(watch.WaitTicks(1));
    Click(h, IDC_PLAY);
    ReleaseSliderAt(h, 270);  // 9 s of the first stream's 10 (the length reads 20 s)
    ASSERT_TRUE(PumpUntil([] { return State() == StateStopped; }, 20000)) << "the stalled stream stops the preview";
    ASSERT_TRUE(watch.WaitTicks(1));
    EXPECT_EQ(g_pPlayer->m_rtPosition, 0);
    EXPECT_EQ(SendMessageA(GetDlgItem(h, IDC_SLIDER), TBM_GETPOS, 0, 0), 0);
  });
}

// An MP3 without a length tag, whose length the platform estimates as 10.7 s of its 15.5
// from its loud first 3 s (tests/media/convert.sh).
TEST_F(PreviewAudioTest, PlayingGoesOnPastTheLengthEstimateToTheRealEnd) {
  CConverterDlg dlg;
  dlg.m_timing.positionPollMs = kTestPollMs;
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
    const std::string title = ItemText(h, IDC_TITLE);
    ASSERT_EQ(title.size(), 43u) << title;  // "conv-untagged-vbr.mp3   00:00:1x / 00:00:10"
    EXPECT_EQ(title.substr(0, 24) + title.substr(32), "conv-untagged-vbr.mp3    / 00:00:10");
    EXPECT_GE(title.substr(24, 8), "00:00:11") << title;
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
    EXPECT_EQ(StartPreviewOf(dlg, TestMedia("preview-broken.mp3")), 0);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].caption, "Error");
    EXPECT_EQ(answerer.seen[0].text, kUnplayable);
    EXPECT_FALSE(answerer.seen[0].ownedByMainWindow);
    EXPECT_EQ(g_pPlayer, nullptr);
    EXPECT_STREQ(dlg.m_szMediaPath, "");
    EXPECT_EQ(CountPreviewWindows(), 0);
    // Enabled, as the opening leaves them whatever the preview did, the controls do
    // nothing until a file plays.
    dlg.EnableMediaControls(TRUE);
    for (int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_START_TIME, IDC_END_TIME}) Click(h, id);
    EXPECT_EQ(dlg.m_rtStart, 0);

    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-tone.mp3")));
    ASSERT_NE(g_pPlayer, nullptr);
    Click(h, IDC_PLAY);
    EXPECT_EQ(State(), StatePlaying);
    EXPECT_EQ(answerer.seen.size(), 1u);
  });
}

TEST_F(PreviewAudioTest, AnotherOpenOrACloseDuringTheFailureBoxLeavesTheirResultAlone) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    // While the unplayable-file box is up (it has no owner, so the main window still takes
    // clicks), the user opens another file in the main window, then answers the box.
    ModalAnswerer answers;
    answers.PressOnNextBox(IDOK, [&] { EXPECT_TRUE(OpenInPreview(dlg, TestMedia("preview-tone.mp3"))); });
    EXPECT_EQ(StartPreviewOf(dlg, TestMedia("preview-broken.mp3")), 0);
    ASSERT_EQ(answers.pending(), 0);
    // The file opened meanwhile keeps its player and its path.
    ASSERT_NE(g_pPlayer, nullptr);
    EXPECT_NE(std::string(g_pPlayer->m_szFile).find("preview-tone.mp3"), std::string::npos);
    EXPECT_NE(std::string(dlg.m_szMediaPath).find("preview-tone.mp3"), std::string::npos);
    EXPECT_EQ(CPreviewPlayer::LiveCount(), 1);
    Click(h, IDC_PLAY);
    EXPECT_EQ(State(), StatePlaying);

    // And closes the media instead.
    answers.PressOnNextBox(IDOK, [&] { Click(h, IDC_CLOSE_MEDIA); });
    EXPECT_EQ(StartPreviewOf(dlg, TestMedia("preview-broken.mp3")), 0);
    ASSERT_EQ(answers.pending(), 0);
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
  dlg.m_timing.positionPollMs = kTestPollMs;
  RunAsMainWindow(dlg, [&](HWND h) {
    ModalAnswerer answerer;
    const char* files[] = {"preview-tone.mp3", "preview-video.avi", "preview-tone.mp3", "preview-broken.mp3",
                           "preview-tone.mp3"};
    const auto isBroken = [](const char* file) { return std::string(file) == "preview-broken.mp3"; };
    const auto playerRound = [&] {
      for (const char* file : files) {
        if (isBroken(file)) answerer.PressOnNextBox(IDOK);
        // The player alone: the opening's probe builds a graph of its own besides.
        EXPECT_EQ(StartPreviewOf(dlg, TestMedia(file)), isBroken(file) ? 0 : 1) << file;
        Click(h, IDC_PLAY);
        if (!isBroken(file)) {
          EXPECT_TRUE(PumpUntil([] { return g_pPlayer->m_rtPosition > 0; })) << file << " plays";
        }
      }
      SendMessageA(h, WM_COMMAND, IDC_CLOSE_MEDIA, 0);
      ASSERT_TRUE(PumpPending());
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
          OAFilterState state = State_Stopped;
          EXPECT_EQ(control->GetState(10000, &state), S_OK) << file;  // waits until it runs
          EXPECT_EQ(state, State_Running) << file;
          control->Stop();
        }
      }
      ASSERT_TRUE(PumpPending());
    };
    // The platform's media threads end in their own time after a graph goes, and nothing
    // tells when: each count is taken after the same pause.
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
