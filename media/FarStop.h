// Where the platform's stop goes for a stream that is to run to the media's real end. The
// platform stops a stream at its estimate of the length, which can fall far short of the
// media's end. No Windows header.
#pragma once

#include <cstdint>

#include "media/ReferenceTime.h"

// The largest data length a WAV file's 32-bit length holds, and with it the most any
// stream is read for.
constexpr std::int64_t kMaxWavDataBytes = 0x7FFFFFFF;

// The rate of the sparsest PCM the platform delivers: 8000 Hz, 8-bit mono.
constexpr std::uint32_t kLowestPcmBytesPerSec = 8000;

// Where a stream that starts at from must stop to deliver all that a WAV of bytesPerSec
// holds: the time the data bound takes, and a second more. This stop times any rate the
// platform converts it by stays near the bound's 2^31 x 10^7, far from overflowing 64 bits
// (a stop near the largest time makes the platform deliver nothing).
inline ReferenceTime FarStopTime(ReferenceTime from, std::uint32_t bytesPerSec) {
  const std::int64_t seconds = kMaxWavDataBytes / (bytesPerSec > 0 ? bytesPerSec : 1) + 1;
  return from + seconds * kReferenceTimePerSecond;
}
