// Path limits of the media services. No Windows header.
#pragma once

#include <cstddef>
#include <string>

// The longest media or output path the program holds: 259 characters and the terminator
// fill the platform's 260-character path limit.
constexpr std::size_t kMaxMediaPathChars = 259;
// A refusal of a path longer than the program holds, in the user's words: the limit
// counts bytes, and a character outside plain English takes two to four of them.
inline std::string PathTooLongText(const char* refusal) {
  return std::string(refusal) +
         " A path may have at most 259 characters, and each character other than an English letter, digit or "
         "punctuation mark counts as two to four.";
}

// The stream opener's own bound: longer paths are refused with E_INVALIDARG.
constexpr std::size_t kStreamOpenerPathChars = 260;
// Wide characters the stream opener converts a path into, terminator included.
constexpr int kStreamWidePathChars = 261;
// Wide characters the duration probe converts a path into, terminator included.
constexpr int kProbeWidePathChars = 260;
