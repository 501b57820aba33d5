// Window messages private to the program.
#pragma once

#include <windows.h>

#include <string>

#include "media/ReferenceTime.h"

// Player to main window, after each position poll; both parameters 0.
constexpr UINT WM_POSITIONNOTIFY = WM_USER + 3;
// Conversion worker to main window, sent when a job has reached the media's real end;
// lParam points to a MediaEndNotice.
constexpr UINT WM_MEDIAENDNOTIFY = WM_USER + 4;
struct MediaEndNotice {
  std::string mediaPath;  // the media the job converted
  ReferenceTime end = 0;  // where it found the media to end
};
// Filter graph to preview window, when graph events wait.
constexpr UINT WM_GRAPHNOTIFY = WM_USER + 13;
// Main window to itself, posted at start when a file was named on the command line, so
// that the file opens once the window shows; both parameters 0.
constexpr UINT WM_OPENSTARTFILE = WM_APP + 1;
