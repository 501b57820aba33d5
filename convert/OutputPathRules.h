// Rules for the output WAV path. No Windows header.
#pragma once

#include <cstddef>
#include <string>

#include "winfw/portable/PathText.h"

// The longest path the program can hold (260 bytes with the terminator).
constexpr std::size_t kMaxPathChars = 259;

inline bool FitsPathLimit(const std::string& path) { return path.size() <= kMaxPathChars; }

// The path from its last backslash (included) to the end; empty when there is none.
std::string GetFileNamePart(const std::string& path, LeadByteTest isLeadByte);

// The folder the save dialog opens in: the text before the last backslash, else ".".
std::string BrowseInitialFolder(const std::string& outputFile);

// The chosen name with its extension replaced by ".wav". Only a '.' inside the file
// name counts: "song.mp3" -> "song.wav", "a.b.c" -> "a.b.wav", "d.x\song" -> "d.x\song.wav".
std::string WavNameFor(const std::string& chosen, LeadByteTest isLeadByte);
