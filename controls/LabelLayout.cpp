#include "controls/LabelLayout.h"

#include <cstring>

namespace label_layout {

std::size_t CopyCut(char* dest, std::size_t capacity, const char* text) {
  if (!dest || capacity == 0) return 0;
  std::size_t length = 0;
  if (text)
    while (length + 1 < capacity && text[length] != '\0') ++length;
  if (length) std::memcpy(dest, text, length);
  dest[length] = '\0';
  return length;
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

std::size_t CopyLine(char* dest, std::size_t capacity, const char* text, int index) {
  if (!dest || capacity == 0) return 0;
  const LineSpan line = LineAt(text, index);
  const std::size_t length = line.length < capacity - 1 ? line.length : capacity - 1;
  if (length) std::memcpy(dest, line.begin, length);
  dest[length] = '\0';
  return length;
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
