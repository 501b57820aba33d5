#include "mainwnd/MediaText.h"

#include <cstdint>
#include <cstdio>

int WholeSeconds(ReferenceTime t) {
  return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(t / kReferenceTimePerSecond)));
}

std::string ClockText(int seconds) {
  char text[40];
  std::snprintf(text, sizeof(text), "%02d:%02d:%02d", seconds / 3600, (seconds % 3600) / 60, seconds % 60);
  return text;
}

std::string TitleLine(const std::string& displayName, ReferenceTime current, int durationSec) {
  return displayName + "   " + ClockText(current) + " / " + ClockText(durationSec);
}

bool IsUrlLikePath(const std::string& path) {
  return (path.size() > 3 && path[3] == ':') || (path.size() > 4 && path[4] == ':');
}

std::string LocalDisplayName(const std::string& original, const std::string& lowered, LeadByteTest isLeadByte) {
  if (lowered.find(".ifo") != std::string::npos) {
    const bool hasDrive = original.size() >= 2 && original[1] == ':';
    return (hasDrive ? original.substr(0, 2) : std::string()) + "\\";
  }
  const std::size_t separator = FindLastOf(original, "\\/", isLeadByte);
  return separator == std::string::npos ? original : original.substr(separator + 1);
}

int SliderPosition(ReferenceTime cur, ReferenceTime stop) {
  if (stop == 0) return 0;
  return static_cast<int>(static_cast<double>(cur) / static_cast<double>(stop) * 600.0);
}

ReferenceTime SliderTarget(ReferenceTime stop, int pos) {
  const double c = 1.0 / 600.0;
  return static_cast<ReferenceTime>(static_cast<double>(stop) * pos * c);
}
