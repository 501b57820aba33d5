// Conversions of real media through the real dialog. Each output is listed in a
// manifest that an independent reader checks after this program (check_wav.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>

#include "convert/JobArithmetic.h"
#include "win/convert_helpers.h"

using namespace convtest;

namespace {
class ConvertOutputTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
};

// One line per converted file: wav, media, start and end in reference time (end -1: whole
// file), and "other-decoder" where the platform decodes the media with another decoder than
// ffmpeg's (see check_wav.py).
void AddToManifest(const std::string& wav, const std::string& media, ReferenceTime start, ReferenceTime end,
                   bool otherDecoder) {
  std::ofstream manifest(OutputFolder("output") + "\\manifest.txt", std::ios::app);
  manifest << UnixPath(wav) << '\t' << UnixPath(media) << '\t' << start << '\t' << end;
  if (otherDecoder) manifest << "\tother-decoder";
  manifest << '\n';
}


// Opens media, optionally narrows the range, converts into out and records it.
// Files too short to align against another decoder's output stay out of the manifest.
// prepare, if given, sets the dialog up just before Convert.
std::vector<unsigned char> ConvertFile(const std::string& media, const std::string& out, ReferenceTime start = 0,
                      ReferenceTime end = -1, bool compareSamples = true,
                      const std::function<void(CConverterDlg&)>& prepare = {}, bool otherDecoder = false) {
  DeleteFileA(out.c_str());
  const bool wholeFile = end < 0;
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
  std::vector<unsigned char> bytes = ReadBytes(out);
  ExpectCompleteWav(bytes);
  if (compareSamples) AddToManifest(out, media, start, wholeFile ? -1 : end, otherDecoder);
  return bytes;
}

// A test media file converted into the conversion tests' output folder.
std::vector<unsigned char> Convert(const char* mediaName, const char* outName, ReferenceTime start = 0, ReferenceTime end = -1,
                  bool compareSamples = true, const std::function<void(CConverterDlg&)>& prepare = {},
                  bool otherDecoder = false) {
  return ConvertFile(TestMedia(mediaName), OutputFolder("output") + "\\" + outName, start, end, compareSamples,
                     prepare, otherDecoder);
}

std::string WithoutExtension(const std::string& name) { return name.substr(0, name.rfind('.')); }
}  // namespace

namespace {
// A whole file converted, and the format its WAV must have (0: not checked).
struct FormatCase {
  const char* name;
  const char* media;
  const char* wav;
  int channels;
  std::uint32_t rate;
  int bits;
  bool oddLength;  // 8-bit mono with an odd number of samples: no pad byte
  bool otherDecoder = false;  // the platform's decoder is not ffmpeg's (see check_wav.py)
};
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }
class FormatTest : public ConvertOutputTest, public ::testing::WithParamInterface<FormatCase> {};
}  // namespace

TEST_P(FormatTest, TheWholeFileConvertsToPcmOfItsFormat) {
  const FormatCase& c = GetParam();
  const auto wav = Convert(c.media, c.wav, 0, -1, true, {}, c.otherDecoder);
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(U16(wav, 20), 1);  // PCM
  if (c.channels) {
    EXPECT_EQ(U16(wav, 22), c.channels);
  }
  if (c.rate) {
    EXPECT_EQ(U32(wav, 24), c.rate);
  }
  if (c.bits) {
    EXPECT_EQ(U16(wav, 34), c.bits);
  }
  if (c.oddLength) {
    EXPECT_EQ(U32(wav, 40) % 2, 1u);
    EXPECT_EQ(wav.size(), 44u + U32(wav, 40));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Media, FormatTest,
    ::testing::Values(FormatCase{"Stereo44kMp3", "conv-stereo44.mp3", "stereo44.wav", 2, 44100, 16, false},
                      FormatCase{"Mono22kMp3", "conv-mono22.mp3", "mono22.wav", 1, 22050, 0, false},
                      FormatCase{"EightBitMonoKeepsItsOddLengthWithoutPadByte", "conv-mono8.avi", "mono8.wav", 1, 0,
                                 8, true},
                      FormatCase{"TheSampleSpeechANewcomerConverts", "sample-speech.mp3", "sample.wav", 0, 0, 0, false},
                      FormatCase{"VariableBitRateMp3", "conv-vbr.mp3", "vbr.wav", 0, 0, 0, false},
                      FormatCase{"SoundTrackOfAVideo", "conv-video.avi", "video.wav", 2, 0, 0, false},
                      FormatCase{"TheSampleWithARussianNameANewcomerConverts", u8"Пример речи.mp3", "sample-ru.wav", 0,
                                 0, 0, false},
                      FormatCase{"TheSampleVideoANewcomerConverts", "sample-video.avi", "sample-video.wav", 2, 44100,
                                 16, false},
                      // Every channel, each in its place: check_wav.py compares them one by one.
                      FormatCase{"FiveOneAc3OfAFilm", "conv-surround-ac3.mkv", "surround-ac3.wav", 6, 48000, 16,
                                 false, true},
                      FormatCase{"SevenOnePcm", "conv-surround71.wav", "surround71.wav", 8, 48000, 16, false},
                      // To the audio's end, past the parser's estimate of the length.
                      FormatCase{"ProgramStreamOfADvd", "conv-dvd.vob", "dvd.wav", 2, 48000, 16, false, true},
                      FormatCase{"TwentyFourBitAiff", "conv-24bit.aiff", "aiff24.wav", 2, 44100, 0, false},
                      FormatCase{"FloatingPointAiffC", "conv-float.aifc", "aifc-float.wav", 2, 44100, 16, false}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

TEST_F(ConvertOutputTest, ImaAdpcmWavConvertsToItsFullLength) {
  // Its format and samples are checked against ffmpeg's decoding by check_wav.py.
  const auto wav = Convert("conv-ima-adpcm.wav", "ima-adpcm.wav");
  ASSERT_GE(wav.size(), 44u);
  // The source's 320300 stereo 16-bit frames (soxi -s conv-stereo44.wav), 4 bytes each; the
  // last ADPCM block may add a few more.
  EXPECT_GE(U32(wav, 40), 1281200u);
}

TEST_F(ConvertOutputTest, RangeInsideTheStreamEndsWithinOneBufferOfTheBudget) {
  // 1.5 s to 3.25 s of the stereo file: 1.75 s at 176400 bytes a second are 308700 bytes.
  const auto wav = Convert("conv-stereo44.mp3", "range.wav", 15'000'000, 32'500'000);
  ASSERT_GE(wav.size(), 44u);
  EXPECT_GE(U32(wav, 40), 308700u);
  EXPECT_LT(U32(wav, 40), 308700u + 5000);
}

TEST_F(ConvertOutputTest, BudgetSmallerThanABufferStillGivesTheWholeFirstBuffer) {
  const auto wav = Convert("conv-stereo44.mp3", "tiny.wav", 0, 100'000, false);  // 10 ms: 1764 bytes
  ASSERT_GE(wav.size(), 44u);
  EXPECT_GE(U32(wav, 40), 1764u);
  EXPECT_LE(U32(wav, 40), 5000u);
}

TEST_F(ConvertOutputTest, NamesInAnyScriptConvertIntoTheirOwnFolder) {
  const std::string folder = ScriptFolder(OutputFolder("output"), "conv-mono22.mp3");
  for (const ScriptName& n : ScriptNames()) {
    SCOPED_TRACE(n.name);
    const auto wav = ConvertFile(folder + "\\" + n.name, folder + "\\" + WithoutExtension(n.name) + ".wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(U16(wav, 22), 1);
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

// Files whose length the platform estimates from their first frames, a loud 3 s and a
// quiet 12.5 s each (tests/media/convert.sh): the estimate falls far short of their end.
constexpr double kBytesPerSecond = 176400;  // 44.1 kHz 16-bit stereo

TEST_F(ConvertOutputTest, TheWholeRangeOfAFileWhoseLengthIsAnEstimateGivesAllOfIt) {
  // With the bytes ffmpeg decodes from each: 15.5 s and the encoder's delay and padding.
  const struct {
    const char* media;
    double bytes;
    bool exactDecoder;  // the reader compares the samples of an MP3; an AAC decoder dithers
  } files[] = {{"conv-untagged-vbr.mp3", 2741760, true},
               {"conv-joined-cbr.mp3", 2746368, true},
               {"conv-joined-adts.aac", 2748416, false}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.media);
    const auto wav = Convert(f.media, (WithoutExtension(f.media) + ".wav").c_str(), 0, -1, f.exactDecoder);
    ASSERT_GE(wav.size(), 44u);
    EXPECT_NEAR(U32(wav, 40), f.bytes, 0.05 * kBytesPerSecond);
  }
}

TEST_F(ConvertOutputTest, RangesPastTheLengthEstimateReachTheirEnd) {
  // The untagged VBR file's length shows as 10 s. From 2 s to 13 s: 11 s at 176400 bytes a
  // second are 1940400 bytes, and the job passes that by less than a buffer.
  const auto marked = Convert("conv-untagged-vbr.mp3", "untagged-range.wav", 20'000'000, 130'000'000);
  ASSERT_GE(marked.size(), 44u);
  EXPECT_GE(U32(marked, 40), 1940400u);
  EXPECT_LT(U32(marked, 40), 1940400u + 5000);
  // From 12 s, past the length shown, with End left at the media's end: the last 3.54 s
  // (of 15.54, as ffmpeg decodes it). A steady tone, against which the reader cannot align
  // another decoding: the length alone is compared.
  const auto tail = Convert("conv-untagged-vbr.mp3", "untagged-tail.wav", 0, -1, false,
                            [](CConverterDlg& dlg) { dlg.m_rtStart = 120'000'000; });
  ASSERT_GE(tail.size(), 44u);
  EXPECT_NEAR(U32(tail, 40), 3.54 * kBytesPerSecond, 0.25 * kBytesPerSecond);
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
  std::int64_t budget;  // the range's bytes: its length times the media's bytes a second
};

void PrintTo(const SampleSizeCase& c, std::ostream* os) { *os << c.name; }

class SampleSizeTest : public ConvertOutputTest, public ::testing::WithParamInterface<SampleSizeCase> {};

constexpr ReferenceTime kMs = kReferenceTimePerSecond / 1000;
}  // namespace

TEST_P(SampleSizeTest, TheFileIsWhatFiveThousandByteSamplesGive) {
  const SampleSizeCase& c = GetParam();
  std::vector<unsigned char> files[2];
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
  const std::vector<unsigned char>& small = files[0];
  const std::vector<unsigned char>& large = files[1];
  ASSERT_GT(small.size(), 44u);
  // The reference itself ends within a step of the budget, or before it when stopped.
  const std::int64_t data = static_cast<std::int64_t>(small.size()) - 44;
  EXPECT_LT(data, c.budget + (c.stopAt >= 0 ? 0 : kStepBytes));
  const auto differ = std::mismatch(small.begin(), small.end(), large.begin(), large.end());
  EXPECT_TRUE(small == large) << small.size() << " and " << large.size() << " bytes, first difference at "
                              << (differ.first - small.begin());
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, SampleSizeTest,
    // Bytes a second: 176400 for 44.1 kHz 16-bit stereo, 88200 for mono, 264600 for
    // 24-bit stereo, 44100 for the 22.05 kHz 16-bit speech, 11025 for the 8-bit mono.
    ::testing::Values(
        SampleSizeCase{"Mp3FromTheStartToInside", "conv-stereo44.mp3", 0, 2300 * kMs, -1, 405720},
        SampleSizeCase{"Mp3InsideToInside", "conv-stereo44.mp3", 1500 * kMs, 3250 * kMs, -1, 308700},
        SampleSizeCase{"Mp3InsideToPastTheEnd", "conv-vbr.mp3", 2000 * kMs, 9000 * kMs, -1, 1234800},
        SampleSizeCase{"WavFromTheStartToPastTheEnd", "conv-speech.wav", 0, 20000 * kMs, -1, 882000},
        SampleSizeCase{"Wav24BitInsideToInside", "conv-stereo24.wav", 700 * kMs, 3000 * kMs, -1, 608580},
        SampleSizeCase{"Pcm8BitOddLengthToPastTheEnd", "conv-mono8.avi", 500 * kMs, 20000 * kMs, -1, 214987},
        SampleSizeCase{"VideoMp3InsideToInside", "preview-video.avi", 1000 * kMs, 4500 * kMs, -1, 308700},
        SampleSizeCase{"BudgetUnderOneStep", "conv-stereo44.mp3", 1000 * kMs, 1010 * kMs, -1, 1764},
        SampleSizeCase{"StopAtAKnownStep", "conv-stereo44.mp3", 0, 4500 * kMs, 500, 793800},
        // Eight channels of 48 kHz: 768000 bytes a second, in frames of 16 bytes.
        SampleSizeCase{"SevenOneInsideToInside", "conv-surround71.wav", 1000 * kMs, 2500 * kMs, -1, 1152000}),
    [](const ::testing::TestParamInfo<SampleSizeCase>& info) { return std::string(info.param.name); });
