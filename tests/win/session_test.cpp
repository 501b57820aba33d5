// A user's session from start to end: open a file through Open MP3 File, play it,
// pause, move the slider and go on from there, mark a range while it plays, convert it.
#include <cstdio>
#include <string>

#include "PreviewTestHelpers.h"
#include "convert_helpers.h"
#include "preview/PreviewPlayer.h"

namespace {
constexpr ReferenceTime kOneSecond = kReferenceTimePerSecond;

bool WaitForPosition(ReferenceTime atLeast, DWORD timeoutMs) {
  return PumpUntil([&] { return g_pPlayer && g_pPlayer->m_rtPosition >= atLeast; }, timeoutMs);
}
}  // namespace

TEST(Session, ARangeMarkedWhilePlayingBecomesTheWav) {
  PrepareApp();
  const std::string out = TempFolder("session") + "\\marked.wav";
  CConverterDlg dlg;
  dlg.m_timing.positionPollMs = kTestPollMs;
  RunAsMainWindow(dlg, [&](HWND h) {
    PositionWatch watch;
    ASSERT_TRUE(convtest::OpenMedia(h, TestMedia("preview-tone.mp3")).empty());
    ASSERT_NE(g_pPlayer, nullptr);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_CONVERT)));
    EXPECT_EQ(ItemText(h, IDC_END_CLOCK), "00:00:08");

    Click(h, IDC_PLAY);
    ASSERT_TRUE(WaitForPosition(kOneSecond, 6000));
    Click(h, IDC_PAUSE);
    EXPECT_EQ(g_pPlayer->m_nState, StatePaused);
    const ReferenceTime paused = g_pPlayer->m_rtPosition;
    ASSERT_TRUE(watch.WaitTicks(2));  // a paused preview stays where it is
    EXPECT_LT(g_pPlayer->m_rtPosition - paused, kOneSecond / 2);

    // Let go of the thumb at a quarter (2 s of 8) and play on from there.
    convtest::SetOutput(h, out);
    ReleaseSliderAt(h, 150);
    Click(h, IDC_PLAY);
    ASSERT_TRUE(PumpUntil([&] { return g_pPlayer->m_rtPosition >= 2 * kOneSecond; }, 4000));
    EXPECT_LT(g_pPlayer->m_rtPosition, 4 * kOneSecond) << "playback went on from the slider's place";
    Click(h, IDC_START_TIME);
    ASSERT_TRUE(WaitForPosition(5 * kOneSecond, 6000));
    Click(h, IDC_END_TIME);
    Click(h, IDC_STOP);

    // The clocks show the marks in whole seconds, truncated (both lie under a minute).
    const auto clock = [](ReferenceTime mark) {
      char text[16];
      std::snprintf(text, sizeof(text), "00:00:%02d", static_cast<int>(mark / kOneSecond));
      return std::string(text);
    };
    EXPECT_EQ(ItemText(h, IDC_START_CLOCK), clock(dlg.m_rtStart));
    EXPECT_EQ(ItemText(h, IDC_END_CLOCK), clock(dlg.m_rtEnd));
    const ReferenceTime range = dlg.m_rtEnd - dlg.m_rtStart;
    EXPECT_GE(range, 2 * kOneSecond);
    EXPECT_LE(range, 4 * kOneSecond);

    convtest::ConvertAndWait(dlg);
    convtest::ExpectIdle(dlg);

    const std::vector<unsigned char> wav = convtest::ReadBytes(out);
    convtest::ExpectCompleteWav(wav);
    ASSERT_GE(wav.size(), 44u);
    const std::uint32_t bytesPerSecond = U32(wav, 28);
    EXPECT_EQ(bytesPerSecond, 176400u);
    // The marked range in bytes at 176400 a second (44.1 kHz, 16-bit stereo), to a frame
    // of 4 bytes; the job ends within a 5000-byte step after it.
    const std::int64_t rangeBytes = range * 176400 / 10'000'000;
    const std::int64_t data = U32(wav, 40);
    EXPECT_GE(data, rangeBytes - 4);
    EXPECT_LT(data, rangeBytes + 5000);
  });
}
