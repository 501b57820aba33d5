// Free functions of opening media: the duration probe and the display name.
#pragma once

#include <cstdint>
#include <string>

#include "media/ReferenceTime.h"

// How long the duration probe waits for the platform to render a file. Rendering a film
// from a local disk takes well under a second; a file that holds the platform longer is
// refused as one it cannot open.
constexpr std::uint32_t kProbeWaitMs = 15000;

// The media's length through a throw-away filter graph: 1 on success, 0 on failure,
// also when the platform has not rendered the file within boundMs.
int GetMediaStopTime(const char* path, ReferenceTime& stop, std::uint32_t boundMs = kProbeWaitMs);

// The name shown for a media path in name (260 bytes): a URL-like path whole; otherwise
// the file name, or the drive and '\' for a ".ifo" path. Converts path itself to lower
// case (unless URL-like). 1 when a name was made, 0 for an empty path (name untouched).
int GetDisplayName(char* path, char* name);
// The same name, leaving the path as it is.
std::string DisplayNameOf(const std::string& path);
