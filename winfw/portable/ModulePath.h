// Names derived from the executable's path (no Windows header: tested natively). A
// trail byte of a double-byte character is never taken for a separator or a dot.
#pragma once

#include <string>

#include "winfw/portable/PathText.h"

// "C:\Tools\Program.exe" -> "Program": no directory (after the last '\' or '/'), no extension.
std::string ModuleBaseName(const std::string& path, LeadByteTest isLeadByte);
// The path with its extension (from the last '.' of the file name) replaced by ext.
std::string ReplaceExtension(const std::string& path, const std::string& ext, LeadByteTest isLeadByte);
// The path up to and including its last backslash; empty when it has none.
std::string DirectoryWithBackslash(const std::string& path, LeadByteTest isLeadByte);
