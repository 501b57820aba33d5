// Arithmetic of the caption label and the dialog texture, free of any window code:
// cutting texts to their buffers, splitting lines, placing a line by the label's
// alignment, and counting texture tiles.
#pragma once

#include <cstddef>

#include "winfw/portable/PathText.h"

namespace label_layout {

// The label keeps 1023 bytes of its text and draws at most 255 of a line.
constexpr std::size_t kTextCapacity = 1024;  // bytes, NUL included
constexpr std::size_t kLineCapacity = 256;   // bytes, NUL included

// Copies text into dest, cut to at most capacity - 1 bytes between two characters,
// always NUL-terminated. Returns the number of bytes copied. A null text copies as
// empty; a zero capacity writes nothing.
std::size_t CopyCut(char* dest, std::size_t capacity, const char* text, LeadByteTest isLeadByte);

// 1 plus the number of "\n" in text (a null text has one empty line).
int CountLines(const char* text);

// Line `index` of text: the characters after the index-th "\n" up to the next "\n"
// or the end. Only "\n" separates lines; "\r" belongs to the line. A line past the
// end of the text is empty.
struct LineSpan {
  const char* begin;
  std::size_t length;
};
LineSpan LineAt(const char* text, int index);

// Copies line `index` of text into dest, cut like CopyCut.
std::size_t CopyLine(char* dest, std::size_t capacity, const char* text, int index, LeadByteTest isLeadByte);

// x of a line cx pixels wide in a label labelWidth pixels wide, by the alignment
// bits of the style (style & 3): 0 left (2), 1 centred ((W - cx) / 2, truncated
// towards zero), 2 right (W - cx - 2). Value 3 has no rule of its own: it is placed
// like left-aligned text.
int AlignedX(unsigned long style, int labelWidth, int textWidth);

// Tiles of size `tile` that cover `extent` pixels from 0: ceil(extent / tile), and
// 0 for an empty extent or a tile of no size.
int TileCount(int extent, int tile);

}  // namespace label_layout
