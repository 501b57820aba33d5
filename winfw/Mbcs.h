// The system ANSI code page's lead-byte test, for the portable path helpers.
#pragma once

#include <windows.h>

inline bool IsAnsiLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }
