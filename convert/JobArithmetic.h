// The conversion's numbers: the byte budget of a range, the progress position and the
// bound that keeps the data within a WAV file's 32-bit fields. No Windows header.
#pragma once

#include <cstdint>
#include <string>

#include "media/FarStop.h"
#include "media/ReferenceTime.h"

constexpr int kProgressMax = 1000;

// The job counts its data in steps of 5000 bytes: after each step it looks at the budget,
// the stop request and the progress, so that the file ends where a 5000-byte sample
// would end it. The platform fills a sample whole until the stream ends, so a sample of
// whole steps holds them exactly as 5000-byte samples would deliver them.
constexpr std::uint32_t kStepBytes = 5000;
// The sample the worker fills: each fill is a hand-off between the platform's streaming
// thread and the worker, so a larger sample makes the job faster; beyond some 64 KiB
// it gains nothing more.
constexpr std::uint32_t kJobSampleBytes = 13 * kStepBytes;

// What one job converts, fixed on the user-interface thread before its worker starts.
struct ConvertRequest {
  std::string mediaPath;
  std::string outputPath;
  ReferenceTime start = 0;
  ReferenceTime end = 0;
  // The range goes on to the media's end, wherever that turns out to be: End was not
  // marked since the open, or was marked at the length known then. end is that length.
  bool endAtMediaEnd = false;
};

// Start before end; or, with the end at the media's end, a start past the length known:
// the platform's length may be an estimate that falls short of the media's end.
bool RangeIsValid(const ConvertRequest& request);

// The bytes a job writes at most: the range's byte budget, or, for a range to the media's
// end, no bound but the data's own (every byte the stream delivers).
std::int64_t JobBudget(const ConvertRequest& request, std::uint32_t avgBytesPerSec);

// The time bytes of PCM at avgBytesPerSec last, truncated.
inline ReferenceTime DataDuration(std::int64_t bytes, std::uint32_t avgBytesPerSec) {
  return avgBytesPerSec > 0 ? bytes * kReferenceTimePerSecond / avgBytesPerSec : 0;
}

// (end - start) x 1e-7 x average bytes per second in double precision, truncated.
std::int64_t ByteBudget(ReferenceTime start, ReferenceTime end, std::uint32_t avgBytesPerSec);

// (written / budget) x 1000 in double precision, truncated; above 1000 gives 1000, and so
// does a budget of 0 or less (a range to the media's end from past the length known).
int ProgressPosition(std::int32_t written, std::int64_t budget);

// A sample size as whole steps: rounded down, and at least one step.
inline std::uint32_t WholeStepsSampleBytes(std::uint32_t requested) {
  return requested < kStepBytes ? kStepBytes : requested / kStepBytes * kStepBytes;
}

// The valid bytes a filled sample reports, never more than its buffer holds.
inline std::uint32_t ValidSampleBytes(std::uint32_t reported, std::uint32_t sampleBytes) {
  return reported < sampleBytes ? reported : sampleBytes;
}

// Cuts a filled sample into the job's steps: whole steps from its start, then what is
// left. An empty fill is one empty step, as an empty 5000-byte sample was one buffer.
class SampleSteps {
 public:
  explicit SampleSteps(std::uint32_t filled) : m_nFilled(filled) {}
  // The next step's offset and size in the sample; false once the sample is used up.
  bool Next(std::uint32_t& offset, std::uint32_t& size);

 private:
  std::uint32_t m_nFilled;
  std::uint32_t m_nOffset = 0;
  bool m_bStarted = false;
};

// The length in pixels that position fills of a bar barPixels long, rounded to the nearest
// pixel as the progress bar rounds it (halves away from zero).
int BarFillPixels(int position, int barPixels);

// Picks the positions of a job worth a message to the bar: those that fill a different
// length of it than the last one shown (every step a person can see, and no others).
// A bar of unknown length (0 or less) gets every change of position.
class ProgressSteps {
 public:
  explicit ProgressSteps(int barPixels) : m_nBarPixels(barPixels) {}
  // True when position changes what the bar shows; it then counts as shown.
  bool Changes(int position);

 private:
  int Fill(int position) const { return m_nBarPixels > 0 ? BarFillPixels(position, m_nBarPixels) : position; }
  int m_nBarPixels;
  int m_nShownFill = 0;  // every job starts with the bar at 0
};

// True when appending size bytes to written would pass limit.
inline bool WouldPassDataLimit(std::int32_t written, std::uint32_t size, std::int64_t limit) {
  return static_cast<std::int64_t>(written) + size > limit;
}

// A message text with the path in place of its "%s" (no printf: the path is not a format).
inline std::string WithPath(const char* format, const std::string& path) {
  std::string text = format;
  const std::string::size_type at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, path);
  return text;
}
