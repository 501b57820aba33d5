// The WAV header template, its patch and the job's arithmetic, on in-memory files.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "convert/JobArithmetic.h"
#include "convert/WavFile.h"
#include "media/StreamStall.h"
#include "support/LittleEndian.h"

namespace {
// An unbuffered in-memory file that logs the offset of every write and can refuse the
// write that starts at a chosen offset (a full disk, seen exactly when it happens).
struct MemoryDisk {
  std::vector<unsigned char> bytes;
  long position = 0;
  std::vector<long> writeOffsets;
  long failAt = -1;

  static ssize_t Write(void* cookie, const char* data, size_t size) {
    auto* d = static_cast<MemoryDisk*>(cookie);
    d->writeOffsets.push_back(d->position);
    if (d->position == d->failAt) return 0;  // a write error
    if (d->bytes.size() < static_cast<size_t>(d->position) + size) d->bytes.resize(d->position + size);
    std::memcpy(d->bytes.data() + d->position, data, size);
    d->position += static_cast<long>(size);
    return static_cast<ssize_t>(size);
  }
  static int Seek(void* cookie, off64_t* offset, int whence) {
    auto* d = static_cast<MemoryDisk*>(cookie);
    const long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? d->position : static_cast<long>(d->bytes.size());
    d->position = base + static_cast<long>(*offset);
    *offset = d->position;
    return 0;
  }
  std::FILE* Open() {
    cookie_io_functions_t io = {nullptr, &Write, &Seek, nullptr};
    std::FILE* f = fopencookie(this, "wb", io);
    setvbuf(f, nullptr, _IONBF, 0);
    return f;
  }
};

// 22050 Hz mono 8-bit: every field differs from the template's.
const unsigned char kMono8[16] = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0, 1, 0, 8, 0};

std::vector<unsigned char> WriteWav(MemoryDisk& disk, size_t dataBytes, PatchResult* result) {
  std::FILE* f = disk.Open();
  EXPECT_TRUE(WriteWavHeaderTemplate(f));
  std::vector<unsigned char> data(dataBytes);
  for (size_t i = 0; i < dataBytes; ++i) data[i] = static_cast<unsigned char>(i * 7);
  EXPECT_TRUE(AppendAudio(f, data.data(), data.size()));
  *result = PatchWavHeader(f, static_cast<std::int32_t>(dataBytes), kMono8);
  std::fclose(f);
  return data;
}
}  // namespace

TEST(WavHeader, TemplateIsTheStereo44kHeaderWithZeroLengths) {
  const unsigned char expected[44] = {0x52, 0x49, 0x46, 0x46, 0, 0, 0, 0, 0x57, 0x41, 0x56, 0x45, 0x66, 0x6D, 0x74,
                                      0x20, 0x10, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0,
                                      4, 0, 0x10, 0, 0x64, 0x61, 0x74, 0x61, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(g_wavHeader, expected, sizeof(expected)), 0);
}

TEST(WavHeader, PatchWritesLengthsAndFormatIn40_4_20OrderWithNoPadByte) {
  MemoryDisk disk;
  PatchResult result;
  const auto data = WriteWav(disk, 4999, &result);  // odd length, as 8-bit mono gives
  ASSERT_EQ(result, PatchResult::Complete);
  ASSERT_EQ(disk.bytes.size(), 44u + 4999u);  // no pad byte
  EXPECT_EQ(U32(disk.bytes, 40), 4999u);
  EXPECT_EQ(U32(disk.bytes, 4), 4999u + 36u);
  EXPECT_EQ(U32(disk.bytes, 4), disk.bytes.size() - 8);
  EXPECT_EQ(std::memcmp(disk.bytes.data() + 20, kMono8, 16), 0);
  EXPECT_EQ(std::memcmp(disk.bytes.data(), g_wavHeader, 4), 0);
  EXPECT_EQ(std::memcmp(disk.bytes.data() + 8, g_wavHeader + 8, 12), 0);
  EXPECT_EQ(std::memcmp(disk.bytes.data() + 36, g_wavHeader + 36, 4), 0);
  EXPECT_EQ(std::memcmp(disk.bytes.data() + 44, data.data(), data.size()), 0);
  const std::vector<long> patchWrites(disk.writeOffsets.end() - 3, disk.writeOffsets.end());
  EXPECT_EQ(patchWrites, (std::vector<long>{40, 4, 20}));
}

TEST(WavHeader, EmptyStreamGivesA44ByteFileWithTheStreamsFormat) {
  MemoryDisk disk;
  PatchResult result;
  WriteWav(disk, 0, &result);
  ASSERT_EQ(result, PatchResult::Complete);
  ASSERT_EQ(disk.bytes.size(), 44u);
  EXPECT_EQ(U32(disk.bytes, 40), 0u);
  EXPECT_EQ(U32(disk.bytes, 4), 36u);
  EXPECT_EQ(std::memcmp(disk.bytes.data() + 20, kMono8, 16), 0);
}

namespace {
// A write that fails at one field of the patch, in its order (data length at 40, RIFF
// length at 4, format at 20): the fields patched before it hold their values, the later
// ones what the template has, and nothing is tried after it.
struct PatchFailure {
  int failAt;
  PatchResult result;
  std::uint32_t dataLength, riffLength;  // 100 bytes of audio: 100 and 136 once patched
};
}  // namespace

TEST(WavHeader, AFailedPatchStepLeavesTheLaterFieldsAsTheTemplateHasThem) {
  const PatchFailure failures[] = {{40, PatchResult::FailedAtDataLength, 0, 0},
                                   {4, PatchResult::FailedAtRiffLength, 100, 0},
                                   {20, PatchResult::FailedAtFormat, 100, 136}};
  for (const PatchFailure& f : failures) {
    SCOPED_TRACE(f.failAt);
    MemoryDisk disk;
    disk.failAt = f.failAt;
    PatchResult result;
    WriteWav(disk, 100, &result);
    EXPECT_EQ(result, f.result);
    EXPECT_EQ(U32(disk.bytes, 40), f.dataLength);
    EXPECT_EQ(U32(disk.bytes, 4), f.riffLength);
    EXPECT_EQ(std::memcmp(disk.bytes.data() + 20, g_wavHeader + 20, 16), 0);
    EXPECT_EQ(disk.writeOffsets.back(), f.failAt);
  }
}

TEST(WavHeader, AppendReportsAShortWrite) {
  MemoryDisk disk;
  disk.failAt = 44;
  std::FILE* f = disk.Open();
  ASSERT_TRUE(WriteWavHeaderTemplate(f));
  const unsigned char data[10] = {};
  EXPECT_FALSE(AppendAudio(f, data, sizeof(data)));
  std::fclose(f);
}

namespace {
// A format as a stream reports it: 6 channels, 48000 Hz, 24 bits in 4-byte containers,
// with the given tag and, for the extensible tag, the sub-format whose first bytes are subTag.
std::vector<unsigned char> Reported(std::uint16_t tag, std::uint16_t subTag, std::uint16_t extraSize = 22) {
  std::vector<unsigned char> f = {static_cast<unsigned char>(tag), static_cast<unsigned char>(tag >> 8),
                                  6, 0, 0x80, 0xBB, 0, 0, 0x00, 0x65, 0x11, 0, 24, 0, 32, 0,
                                  static_cast<unsigned char>(extraSize), 0,
                                  24, 0, 0x3F, 0, 0, 0,  // valid bits, channel mask (5.1)
                                  static_cast<unsigned char>(subTag), static_cast<unsigned char>(subTag >> 8),
                                  0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  EXPECT_EQ(f.size(), kReportedFormatRoom);
  return f;
}

// The record the header gets, or "refused".
std::string RecordFor(const std::vector<unsigned char>& reported) {
  unsigned char record[kPcmFormatRecordSize] = {};
  if (!HeaderFormatRecord(reported.data(), reported.size(), record)) return "refused";
  return std::string(record, record + sizeof(record));
}

std::string RecordWithTag(const std::vector<unsigned char>& reported, unsigned char tag) {
  std::string record(reported.begin(), reported.begin() + kPcmFormatRecordSize);
  record[0] = static_cast<char>(tag);
  record[1] = 0;
  return record;
}
}  // namespace

TEST(WavFormat, ExtensibleBecomesItsSubFormatsTagAndAnythingElseIsRefused) {
  const auto pcm = Reported(kFormatTagPcm, 0, 0);
  EXPECT_EQ(RecordFor(pcm), RecordWithTag(pcm, 1));
  const auto ext = Reported(kFormatTagExtensible, kFormatTagPcm);
  EXPECT_EQ(RecordFor(ext), RecordWithTag(ext, 1));  // the other five values as reported
  const auto extFloat = Reported(kFormatTagExtensible, kFormatTagIeeeFloat);
  EXPECT_EQ(RecordFor(extFloat), RecordWithTag(extFloat, 3));
  EXPECT_EQ(RecordFor(Reported(kFormatTagIeeeFloat, 0, 0)), RecordWithTag(extFloat, 3));

  EXPECT_EQ(RecordFor(Reported(kFormatTagExtensible, 2)), "refused");           // ADPCM sub-format
  EXPECT_EQ(RecordFor(Reported(kFormatTagExtensible, kFormatTagPcm, 0)), "refused");  // no extension given
  auto otherGuid = ext;
  otherGuid[39] = 0x70;
  EXPECT_EQ(RecordFor(otherGuid), "refused");
  EXPECT_EQ(RecordFor(Reported(2, 0, 0)), "refused");  // a compressed tag
  auto shortReport = ext;
  shortReport.resize(18);  // the platform gave no room for the extension
  EXPECT_EQ(RecordFor(shortReport), "refused");
}

TEST(WavFormat, ManyChannelsOfExtensiblePcmBecomePlainPcmOfTheSameFormat) {
  auto ext = Reported(kFormatTagExtensible, kFormatTagPcm);
  const unsigned char bytesPerSec[4] = {0x00, 0x94, 0x11, 0x00};  // 48000 x 24, as the block says
  std::copy(bytesPerSec, bytesPerSec + 4, ext.begin() + 8);
  const auto plainFor = [](const std::vector<unsigned char>& reported) {
    unsigned char plain[kPlainFormatSize] = {};
    if (!PlainPcmForManyChannels(reported.data(), reported.size(), plain)) return std::string("refused");
    return std::string(plain, plain + sizeof(plain));
  };
  std::string expected(ext.begin(), ext.begin() + kPlainFormatSize);
  expected[0] = 1;  // PCM
  expected[1] = 0;
  expected[16] = 0;  // no extension follows
  EXPECT_EQ(plainFor(ext), expected);

  EXPECT_EQ(plainFor(Reported(kFormatTagExtensible, kFormatTagIeeeFloat)), "refused");  // samples of another kind
  auto stereo = ext;  // the stream takes one or two channels as they come
  const unsigned char stereoBytesPerSec[4] = {0x00, 0xDC, 0x05, 0x00};  // 48000 x 8
  std::copy(stereoBytesPerSec, stereoBytesPerSec + 4, stereo.begin() + 8);
  stereo[2] = 2;
  stereo[12] = 8;
  EXPECT_EQ(plainFor(stereo), "refused");
  auto plain = ext;
  plain[0] = 1;
  plain[1] = 0;
  EXPECT_EQ(plainFor(plain), "refused");
  auto badBlock = ext;  // a block that its channels and sample size do not give
  badBlock[12] = 18;
  EXPECT_EQ(plainFor(badBlock), "refused");
  auto badRate = ext;  // bytes a second that the rate and block do not give
  badRate[9] = 0x65;
  EXPECT_EQ(plainFor(badRate), "refused");
  ext.resize(kPlainFormatSize);
  EXPECT_EQ(plainFor(ext), "refused");
}

TEST(JobArithmetic, BudgetIsTruncatedDoublePrecision) {
  EXPECT_EQ(ByteBudget(0, kReferenceTimePerSecond, 176400), 176400);  // one second exactly
  EXPECT_EQ(ByteBudget(10 * kReferenceTimePerSecond, 40 * kReferenceTimePerSecond, 176400), 30 * 176400);
  EXPECT_EQ(ByteBudget(0, 1, 176400), 0);           // 0.01764 bytes: the fraction is dropped
  EXPECT_EQ(ByteBudget(0, 5'000'001, 22050), 11025);  // 11025.0022 truncates
  EXPECT_EQ(ByteBudget(0, 3'333'333, 44100), 14699);  // 14699.99853 truncates, never rounds
  // The rate is unsigned 32-bit: a value above 2^31 is not taken as negative.
  EXPECT_EQ(ByteBudget(0, kReferenceTimePerSecond, 0x80000000u), 0x80000000LL);
  EXPECT_EQ(ByteBudget(-kReferenceTimePerSecond, kReferenceTimePerSecond, 10), 20);
}

TEST(JobArithmetic, ProgressIsTruncatedAndCappedAt1000) {
  EXPECT_EQ(ProgressPosition(0, 176400), 0);
  EXPECT_EQ(ProgressPosition(176, 176400), 0);    // 0.9977
  EXPECT_EQ(ProgressPosition(177, 176400), 1);    // 1.0034
  EXPECT_EQ(ProgressPosition(176399, 176400), 999);
  EXPECT_EQ(ProgressPosition(176400, 176400), 1000);
  EXPECT_EQ(ProgressPosition(180000, 176400), 1000);
  EXPECT_EQ(ProgressPosition(1, 3), 333);  // 333.33 in double precision
  EXPECT_EQ(ProgressPosition(0x7FFFFFFF, 0x100000000LL), 499);  // no 32-bit overflow
}

// End at the media's end: not marked since the open, or marked at the length known.
TEST(JobArithmetic, ARangeToTheMediasEndMayStartPastTheLengthAndHasNoBudget) {
  const ReferenceTime length = 10 * kReferenceTimePerSecond;
  const ConvertRequest whole{"a.mp3", "a.wav", 0, length, true};
  const ConvertRequest pastLength{"a.mp3", "a.wav", 12 * kReferenceTimePerSecond, length, true};
  const ConvertRequest atLength{"a.mp3", "a.wav", length, length, true};
  const ConvertRequest marked{"a.mp3", "a.wav", 12 * kReferenceTimePerSecond, length, false};
  EXPECT_TRUE(RangeIsValid(whole));
  EXPECT_TRUE(RangeIsValid(pastLength));
  EXPECT_FALSE(RangeIsValid(atLength));  // equal times stay refused
  EXPECT_FALSE(RangeIsValid(marked));
  EXPECT_EQ(JobBudget(whole, 176400), INT64_MAX);
  EXPECT_EQ(JobBudget(marked, 176400), -2 * 176400);
  EXPECT_EQ(ProgressPosition(5000, 0), 1000);  // nothing known of the length: a full bar
  EXPECT_EQ(ProgressPosition(5000, -352800), 1000);
}

TEST(JobArithmetic, TheFarStopLetsTheDataBoundPassAndOverflowsNothing) {
  // 2^31 - 1 bytes at 176400 a second take 12173.94 s: 12173 whole seconds and one more.
  EXPECT_EQ(FarStopTime(0, 176400), 12174 * kReferenceTimePerSecond);
  EXPECT_EQ(FarStopTime(5 * kReferenceTimePerSecond, 176400), 12179 * kReferenceTimePerSecond);
  // At 8000 bytes a second, 268435.46 s; a rate of 0 counts as 1.
  EXPECT_EQ(FarStopTime(0, kLowestPcmBytesPerSec), 268436 * kReferenceTimePerSecond);
  EXPECT_EQ(FarStopTime(0, 0), 2147483648LL * kReferenceTimePerSecond);
  // The platform turns a stop into bytes or samples, the stop times a rate: for every rate
  // a stream can have, the far stop's stretch times that rate fits in 64 bits, and still
  // covers the data bound.
  for (std::uint64_t rate = 1; rate <= 0xFFFFFFFFu; rate = rate * 3 + 1) {
    const ReferenceTime stretch = FarStopTime(0, static_cast<std::uint32_t>(rate));
    EXPECT_LE(stretch, INT64_MAX / static_cast<std::int64_t>(rate)) << rate << " bytes a second";
    EXPECT_GE(stretch / kReferenceTimePerSecond * static_cast<std::int64_t>(rate), kMaxWavDataBytes) << rate;
  }
}

TEST(JobArithmetic, BarFillRoundsToTheNearestPixelAsTheBarDoes) {
  EXPECT_EQ(BarFillPixels(0, 406), 0);
  EXPECT_EQ(BarFillPixels(1, 406), 0);     // 0.406
  EXPECT_EQ(BarFillPixels(2, 406), 1);     // 0.812
  EXPECT_EQ(BarFillPixels(500, 407), 204);  // 203.5: halves go up
  EXPECT_EQ(BarFillPixels(999, 406), 406);  // 405.594
  EXPECT_EQ(BarFillPixels(1000, 406), 406);
}

// Every length of the bar that the positions of a job fill is shown, once, by the first
// position that fills it; an unknown bar gets every change of position.
TEST(JobArithmetic, ProgressStepsShowEveryVisibleLengthOnce) {
  for (int pixels : {0, 1, 233, 390, 406, 999, 1000, 1600}) {
    for (int stride : {1, 3, 37}) {
      SCOPED_TRACE(testing::Message() << pixels << " px, every " << stride << " positions");
      ProgressSteps steps(pixels);
      std::set<int> passed, shown;
      int messages = 0;
      for (int position = 0; position < kProgressMax; position += stride) {
        const int fill = pixels > 0 ? BarFillPixels(position, pixels) : position;
        passed.insert(fill);
        if (steps.Changes(position)) {
          ++messages;
          shown.insert(fill);
        }
      }
      shown.insert(0);  // the bar starts at 0
      EXPECT_EQ(shown, passed);
      EXPECT_EQ(messages, static_cast<int>(passed.size()) - 1);
    }
  }
}

TEST(JobArithmetic, DataLimitStopsBeforeTheSignedCountWouldPassIt) {
  EXPECT_FALSE(WouldPassDataLimit(0, 5000, kMaxWavDataBytes));
  EXPECT_FALSE(WouldPassDataLimit(0x7FFFFFFF - 5000, 5000, kMaxWavDataBytes));
  EXPECT_TRUE(WouldPassDataLimit(0x7FFFFFFF - 4999, 5000, kMaxWavDataBytes));
  EXPECT_TRUE(WouldPassDataLimit(0x7FFFFFFF, 1, kMaxWavDataBytes));
  EXPECT_TRUE(WouldPassDataLimit(9000, 5000, 10000));
  EXPECT_FALSE(WouldPassDataLimit(5000, 5000, 10000));
}

// A filled sample is taken in the steps a 5000-byte sample delivered: whole steps from
// its start, then what is left; an empty fill is one empty step.
TEST(JobArithmetic, SampleStepsAreTheStepsOf5000ByteSamples) {
  using Steps = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
  const auto cut = [](std::uint32_t filled) {
    Steps steps;
    SampleSteps sample(filled);
    for (std::uint32_t offset = 0, size = 0; sample.Next(offset, size);) steps.emplace_back(offset, size);
    return steps;
  };
  EXPECT_EQ(cut(0), (Steps{{0, 0}}));
  EXPECT_EQ(cut(1764), (Steps{{0, 1764}}));
  EXPECT_EQ(cut(5000), (Steps{{0, 5000}}));
  EXPECT_EQ(cut(12345), (Steps{{0, 5000}, {5000, 5000}, {10000, 2345}}));
  EXPECT_EQ(cut(kJobSampleBytes).size(), kJobSampleBytes / 5000);
  // The sample holds whole steps, so that no step runs on into the next fill.
  EXPECT_EQ(WholeStepsSampleBytes(65536), 65000u);
  EXPECT_EQ(WholeStepsSampleBytes(0), 5000u);
  EXPECT_EQ(WholeStepsSampleBytes(kJobSampleBytes), kJobSampleBytes);
  EXPECT_EQ(ValidSampleBytes(70000, 65000), 65000u);
  EXPECT_EQ(ValidSampleBytes(4999, 65000), 4999u);
}

TEST(FillDeadline, AFillIsCutAtTheStallBoundOrHalfASecondAfterAStop) {
  const auto cut = [](std::uint32_t waited, bool stop, std::uint32_t sinceStop) {
    const FillDeadline d = NextFillCut(waited, stop, sinceStop, 15000);
    return std::make_pair(d.cut, d.msLeft);
  };
  EXPECT_EQ(cut(0, false, 0), std::make_pair(FillCut::None, 15000u));
  EXPECT_EQ(cut(14999, false, 0), std::make_pair(FillCut::None, 1u));
  EXPECT_EQ(cut(15000, false, 0), std::make_pair(FillCut::Stalled, 0u));
  // A stop asked for during the fill leaves it kStopGraceMs to end by itself.
  EXPECT_EQ(cut(3000, true, 100), std::make_pair(FillCut::None, kStopGraceMs - 100));
  EXPECT_EQ(cut(3000, true, kStopGraceMs), std::make_pair(FillCut::Stopped, 0u));
  EXPECT_EQ(cut(14900, true, 0), std::make_pair(FillCut::None, 100u));  // the stall comes first
  // A stop asked for before the fill began counts from the fill's start.
  EXPECT_EQ(cut(200, true, 9000), std::make_pair(FillCut::None, kStopGraceMs - 200));
  EXPECT_EQ(cut(kStopGraceMs, true, 9000), std::make_pair(FillCut::Stopped, 0u));
}
