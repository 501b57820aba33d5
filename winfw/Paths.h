// Paths as the file system resolves them.
#pragma once

#include <string>

// The path made full against the current folder (which a file dialog may change before a
// file is opened again); the path as given when it cannot be made full.
std::wstring FullPath(const std::wstring& path);
