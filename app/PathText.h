// Byte-string path helpers that respect double-byte code pages: a trail byte is never
// taken for a separator. No Windows header; the caller passes the lead-byte test.
#pragma once

#include <cstddef>
#include <string>

using LeadByteTest = bool (*)(unsigned char);

// A single-byte code page: no byte is a lead byte.
inline bool NoLeadBytes(unsigned char) { return false; }

// Index of the last character of path that is one of chars, or npos.
std::size_t FindLastOf(const std::string& path, const char* chars, LeadByteTest isLeadByte);
