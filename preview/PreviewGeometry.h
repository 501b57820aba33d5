// Arithmetic of the preview window that needs no window: where it starts, how big it is
// for its video, how the video fits the screen, its title and its menu's greying.
// No Windows header.
#pragma once

#include <cstdint>
#include <string>

#include "winfw/portable/PathText.h"

struct IntRect {  // left, top, right, bottom
  int left, top, right, bottom;
};
struct IntSize {
  int cx, cy;
};
struct VideoPlace {  // left, top, width, height of the video window
  int left, top, width, height;
};

// The window's first rectangle: 100 right of and 5 below the work area's top-left, in the
// strip between the work area's top and the main window's top. Width and height never
// go below 0 (a main window at the very top leaves no strip).
IntRect InitialPreviewRect(const IntRect& workArea, const IntRect& mainWindow);

// Outer size of a window whose client shows the video scaled by multiplier / divider,
// given the frame and caption metrics.
IntSize NormalWindowSize(int videoWidth, int videoHeight, int multiplier, int divider, int cxFrame, int cyFrame,
                         int cyCaption);

// Where the video goes on a cx x cy screen in full screen, for a reported video size of
// w x h: the video is taken as ten times that size, centred when it fits, otherwise
// filling the width or the height with its aspect ratio kept (32-bit floats, truncation).
VideoPlace FitVideoToScreen(int cx, int cy, long w, long h);

// The preview window's title: the file-name part of file, two spaces and, while paused,
// "(Paused)".
std::string PreviewTitle(const std::string& file, bool paused, LeadByteTest isLeadByte);

// Which context-menu entries are greyed in a play state (the values of PreviewState).
struct MenuGreying {
  bool play, pause, stop;
};
MenuGreying MenuGreyingFor(int state);

// The full-screen cursor hides when more than 100 s have passed since the last mouse
// activity; times are the multimedia clock's milliseconds, which wrap around.
constexpr std::uint32_t kCursorIdleMs = 100000;
inline bool CursorIdleExpired(std::uint32_t now, std::uint32_t lastInput) {
  return static_cast<std::uint32_t>(now - lastInput) > kCursorIdleMs;
}
