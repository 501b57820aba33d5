// Names derived from the executable's path (no Windows header: tested natively).
#pragma once

#include <string>

// "C:\Tools\Sonbrel.exe" -> "Sonbrel": no directory (after the last '\' or '/'), no extension.
std::string ModuleBaseName(const std::string& path);
// The path with its extension (from the last '.' of the file name) replaced by ext.
std::string ReplaceExtension(const std::string& path, const std::string& ext);
// The path up to and including its last backslash; empty when it has none.
std::string DirectoryWithBackslash(const std::string& path);
