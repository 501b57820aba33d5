#include "winfw/Paths.h"

#include <windows.h>

std::wstring FullPath(const std::wstring& path) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return full;
}
