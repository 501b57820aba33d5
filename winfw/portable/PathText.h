// Byte-string path and text helpers that respect the system's multibyte code pages: a
// trail byte is never taken for a separator, and a text is never cut inside a character.
// No Windows header; the caller passes the lead-byte test of the code page.
#pragma once

#include <cstddef>
#include <string>

using LeadByteTest = bool (*)(unsigned char);

// A single-byte code page, or UTF-8: no byte is a double-byte lead byte.
inline bool NoLeadBytes(unsigned char) { return false; }

// Index of the last character of path that is one of chars, or npos.
std::size_t FindLastOf(const std::string& path, const char* chars, LeadByteTest isLeadByte);

// Bytes of the character that starts at text[at]: 2 after a double-byte lead byte, the
// length of a well-formed UTF-8 sequence, otherwise 1.
std::size_t CharacterLength(const char* text, std::size_t length, std::size_t at, LeadByteTest isLeadByte);

// The longest prefix of text (length bytes) that has at most limit bytes and ends between
// two characters.
std::size_t CharacterCut(const char* text, std::size_t length, std::size_t limit, LeadByteTest isLeadByte);

// Copies text into dest (capacity bytes, terminator included), cut between characters.
// Returns the bytes copied; a null text copies as empty, a zero capacity writes nothing.
std::size_t CopyWholeCharacters(char* dest, std::size_t capacity, const char* text, std::size_t length,
                                LeadByteTest isLeadByte);

// Lower case of one character (Unicode code point).
using LowerCaseOf = char32_t (*)(char32_t);

// UTF-8 text in lower case, character by character, keeping its byte length: a character
// whose lower case is encoded in another number of bytes stays as it is, and so do bytes
// that form no UTF-8 character.
std::string LowerUtf8KeepingLength(const std::string& text, LowerCaseOf lower);
