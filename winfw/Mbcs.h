// Narrow text in the system's ANSI code page (UTF-8 where the manifest is honoured):
// the lead-byte test for the portable path helpers, conversions to and from UTF-16,
// and lower-casing that keeps the text's length.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

inline bool IsAnsiLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

// UTF-16 text in the ANSI code page, and back; empty when it cannot be converted.
std::string WideToAnsi(const wchar_t* text, std::size_t length);
std::wstring AnsiToWide(const std::string& text);

// Lower-cases length bytes of text in place by the code page's rules; the bytes change
// only where a character's lower case has the same length, so nothing moves or grows.
void LowerAnsiInPlace(char* text, std::size_t length);
