#include "help/HelpRules.h"

#include "winfw/portable/ModulePath.h"

std::string HelpCommandLine(const std::string& helpFilePath, LeadByteTest isLeadByte) {
  return "hh.exe " + DirectoryWithBackslash(helpFilePath, isLeadByte) + "help.chm::/Introduction.htm";
}

std::int32_t StoredTimeBits(std::int64_t now) {
  // Two's-complement truncation, spelt out so that it is defined before C++20.
  const std::uint32_t low = static_cast<std::uint32_t>(static_cast<std::uint64_t>(now) & 0xFFFFFFFFu);
  return low <= 0x7FFFFFFFu ? static_cast<std::int32_t>(low)
                            : static_cast<std::int32_t>(static_cast<std::int64_t>(low) - 0x100000000LL);
}

std::int64_t StoredTimeNear(std::int32_t stored, std::int64_t now) {
  constexpr std::int64_t kWrap = 0x100000000LL;
  // Move the sign-widened value by whole wraps until it lies within half a wrap of now.
  const std::int64_t widened = stored;
  const std::int64_t offset = now - widened + kWrap / 2;
  std::int64_t wraps = offset / kWrap;
  if (offset < 0 && offset % kWrap != 0) --wraps;  // floor, not truncation
  return widened + wraps * kWrap;
}

UpdateDecision DecideUpdateQuestion(std::int64_t now, std::int32_t stored) {
  const std::int64_t storedTime = StoredTimeNear(stored, now);
  return {storedTime == now, now > storedTime + kUpdateQuestionPeriod};
}
