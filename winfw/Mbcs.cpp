#include "winfw/Mbcs.h"

#include <cstring>

#include "winfw/portable/PathText.h"

namespace {
// Lower case of one character through the platform's own case table.
char32_t LowerCodePoint(char32_t c) {
  if (c > 0xFFFF) {
    wchar_t pair[2] = {static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)),
                       static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
    CharLowerBuffW(pair, 2);
    const bool stillPair = pair[0] >= 0xD800 && pair[0] < 0xDC00 && pair[1] >= 0xDC00 && pair[1] < 0xE000;
    return stillPair ? 0x10000 + ((char32_t(pair[0]) - 0xD800) << 10) + (char32_t(pair[1]) - 0xDC00) : c;
  }
  wchar_t w = static_cast<wchar_t>(c);
  CharLowerBuffW(&w, 1);
  return w;
}
}  // namespace

std::string WideToAnsi(const wchar_t* text, std::size_t length) {
  if (length == 0) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring AnsiToWide(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

void LowerAnsiInPlace(char* text, std::size_t length) {
  if (!text || length == 0) return;
  if (GetACP() != CP_UTF8) {
    // A single- or double-byte code page: each character's lower case has its length.
    CharLowerBuffA(text, static_cast<DWORD>(length));
    return;
  }
  // The narrow call would convert the whole text and write back however long its lower
  // case came out, past the end or leaving a stale tail.
  const std::string lowered = LowerUtf8KeepingLength(std::string(text, length), LowerCodePoint);
  std::memcpy(text, lowered.data(), length);
}
