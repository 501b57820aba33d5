// When a wait for a stream ends without it. No Windows header.
#pragma once

#include <cstdint>

// How long a stream may deliver nothing before it counts as stalled. The slowest stream a
// healthy file gives, 8000 bytes a second of real-time audio, fills the job's sample of
// 65000 bytes in 8.1 s; a local file's slowest fill takes under 2 s on a loaded machine.
constexpr std::uint32_t kStreamStallMs = 15000;

// How long a fill under way may still take once a stop is asked for. A fill that goes on
// takes milliseconds, and is kept whole (a stop takes effect after the buffer in flight);
// one that waits longer waits for a stream that stopped delivering.
constexpr std::uint32_t kStopGraceMs = 500;

enum class FillCut { None, Stopped, Stalled };

// Whether a fill that has waited waitedMs is cut short now, and if not, in how many
// milliseconds it would be: stalled after stallMs, stopped kStopGraceMs after a stop was
// asked for (stopWaitedMs ago, or when the fill began, whichever is later).
struct FillDeadline {
  FillCut cut;
  std::uint32_t msLeft;
};
inline FillDeadline NextFillCut(std::uint32_t waitedMs, bool stopAsked, std::uint32_t stopWaitedMs,
                                std::uint32_t stallMs) {
  const std::uint32_t sinceStop = stopWaitedMs < waitedMs ? stopWaitedMs : waitedMs;
  if (stopAsked && sinceStop >= kStopGraceMs) return {FillCut::Stopped, 0};
  if (waitedMs >= stallMs) return {FillCut::Stalled, 0};
  std::uint32_t left = stallMs - waitedMs;
  if (stopAsked && kStopGraceMs - sinceStop < left) left = kStopGraceMs - sinceStop;
  return {FillCut::None, left};
}

// How the preview and the job time themselves: one copy, the main window's, which tests
// shorten.
struct MediaTiming {
  std::uint32_t positionPollMs = 1000;  // how often the preview polls its position
  std::uint32_t stallMs = kStreamStallMs;  // how long a stream may deliver nothing
};
