// The media framework's unit of time: signed 64-bit counts of 100 ns.
#pragma once

#include <cstdint>

using ReferenceTime = std::int64_t;
constexpr ReferenceTime kReferenceTimePerSecond = 10'000'000;

// A media end that playing or converting reached replaces the length known only when the
// two differ by a second or more: less is the decoder's delay or the position poll's lag,
// and the length known was right.
inline bool IsAnotherLength(ReferenceTime reached, ReferenceTime known) {
  const ReferenceTime difference = reached > known ? reached - known : known - reached;
  return difference >= kReferenceTimePerSecond;
}
