#include "controls/LabelLayout.h"

#include <cstring>

namespace label_layout {

std::size_t CopyCut(char* dest, std::size_t capacity, const char* text, LeadByteTest isLeadByte) {
  return CopyWholeCharacters(dest, capacity, text, text ? std::strlen(text) : 0, isLeadByte);
}

int CountLines(const char* text) {
  int lines = 1;
  if (text)
    for (const char* p = text; *p; ++p)
      if (*p == '\n') ++lines;
  return lines;
}

LineSpan LineAt(const char* text, int index) {
  if (!text || index < 0) return {"", 0};
  const char* begin = text;
  for (int skipped = 0; skipped < index; ++skipped) {
    const char* newline = std::strchr(begin, '\n');
    if (!newline) return {"", 0};
    begin = newline + 1;
  }
  const char* end = std::strchr(begin, '\n');
  return {begin, end ? static_cast<std::size_t>(end - begin) : std::strlen(begin)};
}

std::size_t CopyLine(char* dest, std::size_t capacity, const char* text, int index, LeadByteTest isLeadByte) {
  const LineSpan line = LineAt(text, index);
  return CopyWholeCharacters(dest, capacity, line.begin, line.length, isLeadByte);
}

int AlignedX(unsigned long style, int labelWidth, int textWidth) {
  switch (style & 3) {
    case 1:
      return (labelWidth - textWidth) / 2;
    case 2:
      return labelWidth - textWidth - 2;
    default:
      return 2;
  }
}

int TileCount(int extent, int tile) {
  if (extent <= 0 || tile <= 0) return 0;
  return extent / tile + (extent % tile != 0 ? 1 : 0);
}

}  // namespace label_layout
