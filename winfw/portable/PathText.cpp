#include "winfw/portable/PathText.h"

#include <cstring>

namespace {
bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Bytes of a well-formed UTF-8 sequence starting at text[at]; 0 if there is none.
std::size_t Utf8SequenceLength(const char* text, std::size_t length, std::size_t at) {
  const unsigned char c = static_cast<unsigned char>(text[at]);
  const std::size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || at + n > length) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if (!IsContinuation(static_cast<unsigned char>(text[at + k]))) return 0;
  return n;
}

char32_t DecodeUtf8(const char* s, std::size_t n) {
  static const unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t c = static_cast<unsigned char>(s[0]) & kLeadMask[n];
  for (std::size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(s[k]) & 0x3F);
  return c;
}

std::string EncodeUtf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}
}  // namespace

std::size_t FindLastOf(const std::string& path, const char* chars, LeadByteTest isLeadByte) {
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (isLeadByte(c) && i + 1 < path.size()) {
      ++i;  // skip the trail byte
      continue;
    }
    if (c != 0 && std::strchr(chars, c)) found = i;
  }
  return found;
}

std::size_t CharacterLength(const char* text, std::size_t length, std::size_t at, LeadByteTest isLeadByte) {
  if (isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < length) return 2;
  // Outside UTF-8 such a run is two or more characters of their own: cutting before the
  // run is still a cut between characters.
  const std::size_t n = Utf8SequenceLength(text, length, at);
  return n ? n : 1;
}

std::size_t CharacterCut(const char* text, std::size_t length, std::size_t limit, LeadByteTest isLeadByte) {
  if (length <= limit) return length;
  std::size_t cut = 0;
  for (std::size_t next = 0; next <= limit; next += CharacterLength(text, length, next, isLeadByte)) cut = next;
  return cut;
}

std::size_t CopyWholeCharacters(char* dest, std::size_t capacity, const char* text, std::size_t length,
                                LeadByteTest isLeadByte) {
  if (!dest || capacity == 0) return 0;
  const std::size_t n = text ? CharacterCut(text, length, capacity - 1, isLeadByte) : 0;
  if (n) std::memcpy(dest, text, n);
  dest[n] = '\0';
  return n;
}

std::string LowerUtf8KeepingLength(const std::string& text, LowerCaseOf lower) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = Utf8SequenceLength(text.data(), text.size(), i);
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (n == 0 && c >= 0x80) {  // no UTF-8: left alone
      out += text[i++];
      continue;
    }
    const std::size_t length = n ? n : 1;
    const std::string lowered = EncodeUtf8(lower(n ? DecodeUtf8(&text[i], n) : c));
    out += lowered.size() == length ? lowered : text.substr(i, length);
    i += length;
  }
  return out;
}
