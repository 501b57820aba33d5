// Window messages private to the program.
#pragma once

#include <windows.h>

// Player to main window, after each position poll; both parameters 0.
constexpr UINT WM_POSITIONNOTIFY = WM_USER + 3;
// Filter graph to preview window, when graph events wait.
constexpr UINT WM_GRAPHNOTIFY = WM_USER + 13;
