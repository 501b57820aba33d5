// The rules behind Help and the update question (no Windows header: tested natively).
#pragma once

#include <cstdint>
#include <string>

#include "winfw/portable/PathText.h"

// "hh.exe " + the directory of helpFilePath (up to and including its last backslash)
// + "help.chm::/Introduction.htm". No quotes, even when the directory holds spaces.
std::string HelpCommandLine(const std::string& helpFilePath, LeadByteTest isLeadByte);

// 180 days of 86400 seconds: the question comes only when more time has passed.
constexpr std::int64_t kUpdateQuestionPeriod = 15552000;

// The time as the setting "t_first_update" holds it: its low 32 bits.
std::int32_t StoredTimeBits(std::int64_t now);

// The full time that a stored 32-bit value stands for: of all times with those low
// 32 bits, the one nearest to now. Up to 2038 this is the value widened with its sign;
// after that it keeps the stored time from looking 136 years old at every close.
std::int64_t StoredTimeNear(std::int32_t stored, std::int64_t now);

struct UpdateDecision {
  bool recordFirstClose;  // the setting held nothing (or exactly now): store now
  bool ask;               // show the question; whatever the answer, store now
};

// stored is the setting read with StoredTimeBits(now) as its default.
UpdateDecision DecideUpdateQuestion(std::int64_t now, std::int32_t stored);
