// Conversions of real media through the real dialog. Each output is listed in a
// manifest that an independent reader checks after this program (check_wav.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "convert/JobArithmetic.h"
#include "win/convert_helpers.h"

using namespace convtest;

namespace {
class ConvertOutputTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
};

// One line per converted file: wav, media, start and end in reference time (end -1: whole file).
void AddToManifest(const std::string& wav, const std::string& media, ReferenceTime start, ReferenceTime end) {
  std::ofstream manifest(OutputFolder("output") + "\\manifest.txt", std::ios::app);
  manifest << UnixPath(wav) << '\t' << UnixPath(media) << '\t' << start << '\t' << end << '\n';
}

struct Converted {
  std::vector<unsigned char> bytes;
  std::int64_t budget = 0;
};

// Opens media, optionally narrows the range, converts into out and records it.
// Files too short to align against another decoder's output stay out of the manifest.
// prepare, if given, sets the dialog up just before Convert.
Converted ConvertFile(const std::string& media, const std::string& out, ReferenceTime start = 0,
                      ReferenceTime end = -1, bool compareSamples = true,
                      const std::function<void(CConverterDlg&)>& prepare = {}) {
  DeleteFileA(out.c_str());
  const bool wholeFile = end < 0;
  Converted result;
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    const auto boxes = OpenMedia(h, media);
    ASSERT_TRUE(boxes.empty()) << media << ": " << boxes.front();
    ASSERT_STRNE(dlg.m_szMediaPath, "") << "not opened: " << media;
    ModalAnswerer answers;
    answers.PressOnNextBox(IDOK);  // none expected; answered so that a failure cannot hang
    if (end >= 0) {
      dlg.m_rtStart = start;
      dlg.m_rtEnd = end;
    }
    SetOutput(h, out);
    if (prepare) prepare(dlg);
    ConvertAndWait(dlg);
    ExpectIdle(dlg);
    EXPECT_TRUE(answers.seen.empty()) << "no box expected during a good conversion: " << answers.seen[0].text;
    start = dlg.m_rtStart;
    end = dlg.m_rtEnd;
  });
  result.bytes = ReadBytes(out);
  ExpectCompleteWav(result.bytes);
  if (result.bytes.size() >= 44)
    result.budget = ByteBudget(start, end, U32(result.bytes, 28));
  if (compareSamples) AddToManifest(out, media, start, wholeFile ? -1 : end);
  return result;
}

// A test media file converted into the conversion tests' output folder.
Converted Convert(const char* mediaName, const char* outName, ReferenceTime start = 0, ReferenceTime end = -1,
                  bool compareSamples = true, const std::function<void(CConverterDlg&)>& prepare = {}) {
  return ConvertFile(TestMedia(mediaName), OutputFolder("output") + "\\" + outName, start, end, compareSamples,
                     prepare);
}

std::string WithoutExtension(const std::string& name) { return name.substr(0, name.rfind('.')); }
}  // namespace

TEST_F(ConvertOutputTest, Stereo44kMp3) {
  const Converted c = Convert("conv-stereo44.mp3", "stereo44.wav");
  ASSERT_GE(c.bytes.size(), 44u);
  EXPECT_EQ(U16(c.bytes, 20), 1);
  EXPECT_EQ(U16(c.bytes, 22), 2);
  EXPECT_EQ(U32(c.bytes, 24), 44100u);
  EXPECT_EQ(U16(c.bytes, 34), 16);
}

TEST_F(ConvertOutputTest, Mono22kMp3) {
  const Converted c = Convert("conv-mono22.mp3", "mono22.wav");
  ASSERT_GE(c.bytes.size(), 44u);
  EXPECT_EQ(U16(c.bytes, 22), 1);
  EXPECT_EQ(U32(c.bytes, 24), 22050u);
}

TEST_F(ConvertOutputTest, EightBitMonoKeepsItsOddLengthWithoutPadByte) {
  const Converted c = Convert("conv-mono8.avi", "mono8.wav");
  ASSERT_GE(c.bytes.size(), 44u);
  EXPECT_EQ(U16(c.bytes, 34), 8);
  EXPECT_EQ(U16(c.bytes, 22), 1);
  EXPECT_EQ(U32(c.bytes, 40) % 2, 1u);
  EXPECT_EQ(c.bytes.size(), 44u + U32(c.bytes, 40));
}

TEST_F(ConvertOutputTest, TheSampleSpeechANewcomerConverts) { Convert("sample-speech.mp3", "sample.wav"); }

TEST_F(ConvertOutputTest, VariableBitRateMp3) { Convert("conv-vbr.mp3", "vbr.wav"); }

TEST_F(ConvertOutputTest, SoundTrackOfAVideo) {
  const Converted c = Convert("conv-video.avi", "video.wav");
  ASSERT_GE(c.bytes.size(), 44u);
  EXPECT_EQ(U16(c.bytes, 22), 2);
}

TEST_F(ConvertOutputTest, RangeInsideTheStreamEndsWithinOneBufferOfTheBudget) {
  // 1.5 s to 3.25 s of the stereo file.
  const Converted c = Convert("conv-stereo44.mp3", "range.wav", 15'000'000, 32'500'000);
  ASSERT_GE(c.bytes.size(), 44u);
  EXPECT_EQ(c.budget, 308700);
  EXPECT_GE(static_cast<std::int64_t>(U32(c.bytes, 40)), c.budget);
  EXPECT_LT(static_cast<std::int64_t>(U32(c.bytes, 40)), c.budget + 5000);
}

TEST_F(ConvertOutputTest, BudgetSmallerThanABufferStillGivesTheWholeFirstBuffer) {
  const Converted c = Convert("conv-stereo44.mp3", "tiny.wav", 0, 100'000, false);  // 10 ms: 1764 bytes
  ASSERT_GE(c.bytes.size(), 44u);
  EXPECT_EQ(c.budget, 1764);
  EXPECT_GE(U32(c.bytes, 40), 1764u);
  EXPECT_LE(U32(c.bytes, 40), 5000u);
}

TEST_F(ConvertOutputTest, NamesInAnyScriptConvertIntoTheirOwnFolder) {
  const std::string folder = ScriptFolder(OutputFolder("output"), "conv-mono22.mp3");
  for (const ScriptName& n : ScriptNames()) {
    SCOPED_TRACE(n.name);
    const Converted c = ConvertFile(folder + "\\" + n.name, folder + "\\" + WithoutExtension(n.name) + ".wav");
    ASSERT_GE(c.bytes.size(), 44u);
    EXPECT_EQ(U16(c.bytes, 22), 1);
  }

  // Converting again asks about the existing file by its name.
  const std::string out = folder + "\\" + WithoutExtension(ScriptNames()[0].name) + ".wav";
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ASSERT_TRUE(OpenMedia(h, folder + "\\" + ScriptNames()[0].name).empty());
    SetOutput(h, out);
    ModalAnswerer answers;
    answers.PressOnNextBox(IDNO);
    Click(h, IDC_CONVERT);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text, out + " exists. Do you want to replace it?");
  });
}

TEST_F(ConvertOutputTest, TheSampleWithARussianNameANewcomerConverts) {
  Convert(u8"Пример речи.mp3", "sample-ru.wav");
}

// Files whose length the platform estimates from their first frames, a loud 3 s and a
// quiet 12.5 s each (tests/media/convert.sh): the estimate falls far short of their end.
constexpr std::int64_t kBytesPerSecond = 176400;  // 44.1 kHz 16-bit stereo

TEST_F(ConvertOutputTest, TheWholeRangeOfAFileWhoseLengthIsAnEstimateGivesAllOfIt) {
  // With the bytes ffmpeg decodes from each: 15.5 s and the encoder's delay and padding.
  const struct {
    const char* media;
    std::int64_t bytes;
    bool exactDecoder;  // the reader compares the samples of an MP3; an AAC decoder dithers
  } files[] = {{"conv-untagged-vbr.mp3", 2741760, true},
               {"conv-joined-cbr.mp3", 2746368, true},
               {"conv-joined-adts.aac", 2748416, false}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.media);
    const Converted c = Convert(f.media, (WithoutExtension(f.media) + ".wav").c_str(), 0, -1, f.exactDecoder);
    ASSERT_GE(c.bytes.size(), 44u);
    EXPECT_NEAR(static_cast<double>(U32(c.bytes, 40)), static_cast<double>(f.bytes), 0.05 * kBytesPerSecond);
  }
}

TEST_F(ConvertOutputTest, RangesPastTheLengthEstimateReachTheirEnd) {
  // The untagged VBR file's length shows as 10 s. From 2 s to 13 s: the budget's bytes.
  const Converted marked = Convert("conv-untagged-vbr.mp3", "untagged-range.wav", 20'000'000, 130'000'000);
  EXPECT_EQ(marked.budget, 11 * kBytesPerSecond);
  EXPECT_GE(static_cast<std::int64_t>(U32(marked.bytes, 40)), marked.budget);
  EXPECT_LT(static_cast<std::int64_t>(U32(marked.bytes, 40)), marked.budget + 5000);
  // From 12 s, past the length shown, with End left at the media's end: the last 3.54 s
  // (of 15.54, as ffmpeg decodes it). A steady tone, against which the reader cannot align
  // another decoding: the length alone is compared.
  const Converted tail = Convert("conv-untagged-vbr.mp3", "untagged-tail.wav", 0, -1, false,
                                 [](CConverterDlg& dlg) { dlg.m_rtStart = 120'000'000; });
  EXPECT_NEAR(static_cast<double>(U32(tail.bytes, 40)), 3.54 * kBytesPerSecond, 0.25 * kBytesPerSecond);
}

namespace {
// The job fills large samples but ends its file where 5000-byte samples end it: the same
// range converted with both sizes gives the same bytes.
struct SampleSizeCase {
  const char* name;
  const char* media;
  ReferenceTime start;
  ReferenceTime end;
  int stopAt;  // the progress position at which Stop is pressed; -1: never
};

void PrintTo(const SampleSizeCase& c, std::ostream* os) { *os << c.name; }

class SampleSizeTest : public ConvertOutputTest, public ::testing::WithParamInterface<SampleSizeCase> {};

constexpr ReferenceTime kMs = kReferenceTimePerSecond / 1000;
}  // namespace

TEST_P(SampleSizeTest, TheFileIsWhatFiveThousandByteSamplesGive) {
  const SampleSizeCase& c = GetParam();
  Converted files[2];
  const std::uint32_t sizes[2] = {kStepBytes, kJobSampleBytes};
  for (int i : {0, 1}) {
    const std::string out = std::string("samples-") + std::to_string(sizes[i]) + ".wav";
    files[i] = Convert(c.media, out.c_str(), c.start, c.end, false, [&](CConverterDlg& dlg) {
      dlg.m_nSampleBytes = sizes[i];
      // Stop, pressed while the worker waits to show a known step.
      if (c.stopAt >= 0) AtProgress(dlg.m_hWnd, c.stopAt, [&dlg] { Click(dlg.m_hWnd, IDC_CONVERT); });
    });
    if (c.stopAt >= 0) {
      EXPECT_TRUE(g_progressHook.ran);
    }
  }
  const std::vector<unsigned char>& small = files[0].bytes;
  const std::vector<unsigned char>& large = files[1].bytes;
  ASSERT_GT(small.size(), 44u);
  // The reference itself ends within a step of the budget, or before it when stopped.
  const std::int64_t data = static_cast<std::int64_t>(small.size()) - 44;
  EXPECT_LT(data, files[0].budget + (c.stopAt >= 0 ? 0 : kStepBytes));
  const auto differ = std::mismatch(small.begin(), small.end(), large.begin(), large.end());
  EXPECT_TRUE(small == large) << small.size() << " and " << large.size() << " bytes, first difference at "
                              << (differ.first - small.begin());
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, SampleSizeTest,
    ::testing::Values(SampleSizeCase{"Mp3FromTheStartToInside", "conv-stereo44.mp3", 0, 2300 * kMs, -1},
                      SampleSizeCase{"Mp3InsideToInside", "conv-stereo44.mp3", 1500 * kMs, 3250 * kMs, -1},
                      SampleSizeCase{"Mp3InsideToPastTheEnd", "conv-vbr.mp3", 2000 * kMs, 9000 * kMs, -1},
                      SampleSizeCase{"WavFromTheStartToPastTheEnd", "conv-speech.wav", 0, 20000 * kMs, -1},
                      SampleSizeCase{"Wav24BitInsideToInside", "conv-stereo24.wav", 700 * kMs, 3000 * kMs, -1},
                      SampleSizeCase{"Pcm8BitOddLengthToPastTheEnd", "conv-mono8.avi", 500 * kMs, 20000 * kMs, -1},
                      SampleSizeCase{"VideoMp3InsideToInside", "preview-video.avi", 1000 * kMs, 4500 * kMs, -1},
                      SampleSizeCase{"BudgetUnderOneStep", "conv-stereo44.mp3", 1000 * kMs, 1010 * kMs, -1},
                      SampleSizeCase{"StopAtAKnownStep", "conv-stereo44.mp3", 0, 4500 * kMs, 500}),
    [](const ::testing::TestParamInfo<SampleSizeCase>& info) { return std::string(info.param.name); });
