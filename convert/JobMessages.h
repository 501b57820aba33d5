// The worker's messages, shown with caption "Error" and no owner; the path goes in place
// of %s. No Windows header.
#pragma once

#include <string>

// The output file.
inline constexpr char kCannotOpen[] = "Can not open %s";
inline constexpr char kCannotWrite[] = "Can not write %s";
inline constexpr char kRangeTooLong[] = "The range is too long for a WAV file. Only its beginning was converted.";

// The media file, when the job cannot produce its WAV.
inline constexpr char kCannotStream[] =
    "Can not convert %s: the installed decoders cannot deliver the audio of this file, or the file is no longer "
    "there.";
inline constexpr char kCannotPrepare[] =
    "Can not convert %s: the system could not set up the conversion (too little memory, or a media component is "
    "missing).";
inline constexpr char kFormatRefused[] =
    "Can not convert %s: its audio comes in a format that a WAV file cannot describe.";
inline constexpr char kNoAudioDelivered[] =
    "Can not convert %s: the installed decoders stopped before delivering any audio.";
inline constexpr char kNoAudioInStream[] = "Can not convert %s: the installed decoders delivered no audio for this file.";

// The stream stopped delivering before its end: the WAV holds what came, up to the clock.
inline std::string StalledText(const std::string& mediaPath, const std::string& clock) {
  return "The installed decoders stopped delivering the audio of " + mediaPath + " at " + clock +
         ", before its end. The WAV file holds the audio up to there.";
}
