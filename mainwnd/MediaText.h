// Texts and scales of the main window: clocks, the title line, the display name of a
// media path and the position slider's 0..600 scale. No Windows header.
#pragma once

#include <string>

#include "media/ReferenceTime.h"
#include "winfw/portable/PathText.h"

constexpr int kSliderMax = 600;

// Whole seconds of a reference time: truncating division, low 32 bits as signed.
int WholeSeconds(ReferenceTime t);
// "%02d:%02d:%02d" of a whole-second count; hours keep all their digits.
std::string ClockText(int seconds);
inline std::string ClockText(ReferenceTime t) { return ClockText(WholeSeconds(t)); }
// "<name>   <current> / <length>".
std::string TitleLine(const std::string& displayName, ReferenceTime current, int durationSec);

// A path whose fourth or fifth character is ':' (mms:, rtsp:, http:) is shown whole.
bool IsUrlLikePath(const std::string& path);
// The display name of a path that is not URL-like: the drive and '\' when the
// lower-cased path contains ".ifo", otherwise the file name with its extension.
// Both names are taken from the original spelling.
std::string LocalDisplayName(const std::string& original, const std::string& lowered, LeadByteTest isLeadByte);

// A media end that playing or converting reached replaces the length shown only when the
// two differ by a second or more: less is the decoder's delay or the position poll's lag,
// and the length shown was right.
inline bool IsAnotherLength(ReferenceTime reached, ReferenceTime known) {
  const ReferenceTime difference = reached > known ? reached - known : known - reached;
  return difference >= kReferenceTimePerSecond;
}

// Slider position of cur within stop, truncated; 0 while stop is 0.
int SliderPosition(ReferenceTime cur, ReferenceTime stop);
// The reference time that slider position pos stands for.
ReferenceTime SliderTarget(ReferenceTime stop, int pos);
