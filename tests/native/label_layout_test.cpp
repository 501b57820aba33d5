// The caption label's text handling and placement, and the texture's tile counts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "controls/LabelLayout.h"

using namespace label_layout;

namespace {
std::string Line(const char* text, int index) {
  const LineSpan span = LineAt(text, index);
  return std::string(span.begin, span.length);
}
}  // namespace

TEST(LabelText, CutsToTheBufferAndNeverWritesPastIt) {
  char buffer[kTextCapacity + 8];
  std::memset(buffer, '#', sizeof(buffer));
  const std::string longText(3000, 'a');
  EXPECT_EQ(CopyCut(buffer, kTextCapacity, longText.c_str(), NoLeadBytes), 1023u);
  EXPECT_EQ(std::string(buffer), std::string(1023, 'a'));
  for (std::size_t i = kTextCapacity; i < sizeof(buffer); ++i) EXPECT_EQ(buffer[i], '#') << i;

  EXPECT_EQ(CopyCut(buffer, kTextCapacity, std::string(1023, 'b').c_str(), NoLeadBytes), 1023u);
  EXPECT_EQ(std::strlen(buffer), 1023u);
  EXPECT_EQ(CopyCut(buffer, kTextCapacity, "short", NoLeadBytes), 5u);
  EXPECT_STREQ(buffer, "short");
  EXPECT_EQ(CopyCut(buffer, kTextCapacity, nullptr, NoLeadBytes), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(CopyCut(buffer, 1, "x", NoLeadBytes), 0u);
  EXPECT_STREQ(buffer, "");
  buffer[0] = '#';
  EXPECT_EQ(CopyCut(buffer, 0, "x", NoLeadBytes), 0u);
  EXPECT_EQ(buffer[0], '#');
}

TEST(LabelText, LinesAreSplitOnlyAtNewlines) {
  EXPECT_EQ(CountLines(""), 1);
  EXPECT_EQ(CountLines("one"), 1);
  EXPECT_EQ(CountLines("one\ntwo\r\nthree"), 3);
  EXPECT_EQ(CountLines("\n\n"), 3);
  EXPECT_EQ(CountLines(nullptr), 1);

  const char* text = "one\ntwo\r\n\nlast";
  EXPECT_EQ(Line(text, 0), "one");
  EXPECT_EQ(Line(text, 1), "two\r");  // "\r" stays part of the line
  EXPECT_EQ(Line(text, 2), "");
  EXPECT_EQ(Line(text, 3), "last");
  EXPECT_EQ(Line(text, 4), "");  // past the end
  EXPECT_EQ(Line(text, -1), "");
  EXPECT_EQ(Line("trailing\n", 1), "");
}

TEST(LabelText, LongLinesAreCutTo255Characters) {
  const std::string text = "short\n" + std::string(400, 'w') + "\nend";
  char line[kLineCapacity + 4];
  std::memset(line, '#', sizeof(line));
  EXPECT_EQ(CopyLine(line, kLineCapacity, text.c_str(), 1, NoLeadBytes), 255u);
  EXPECT_EQ(std::string(line), std::string(255, 'w'));
  for (std::size_t i = kLineCapacity; i < sizeof(line); ++i) EXPECT_EQ(line[i], '#');
  EXPECT_EQ(CopyLine(line, kLineCapacity, text.c_str(), 2, NoLeadBytes), 3u);
  EXPECT_STREQ(line, "end");
  EXPECT_EQ(CopyLine(line, kLineCapacity, text.c_str(), 9, NoLeadBytes), 0u);
  EXPECT_STREQ(line, "");
}

TEST(LabelText, CutsNeverSplitACharacter) {
  // Byte 255 of the line is the second byte of the last letter: the cut comes before it.
  const std::string text = std::string(254, 'w') + u8"Жж";
  char line[kLineCapacity];
  EXPECT_EQ(CopyLine(line, kLineCapacity, text.c_str(), 0, NoLeadBytes), 254u);
  EXPECT_EQ(std::string(line), std::string(254, 'w'));
  char small[4];
  EXPECT_EQ(CopyCut(small, sizeof(small), u8"Жж", NoLeadBytes), 2u);
  EXPECT_STREQ(small, u8"Ж");
}

TEST(LabelPlacement, XFollowsTheAlignmentBits) {
  EXPECT_EQ(AlignedX(0, 200, 50), 2);
  EXPECT_EQ(AlignedX(1, 200, 50), 75);
  EXPECT_EQ(AlignedX(2, 200, 50), 148);  // ends 2 pixels before the right edge
  EXPECT_EQ(AlignedX(3, 200, 50), 2);    // the icon style: placed like left text
  // Only the two lowest bits count (SS_CENTERIMAGE and friends are ignored).
  EXPECT_EQ(AlignedX(0x201, 200, 50), 75);
  EXPECT_EQ(AlignedX(0x50000002, 200, 50), 148);
  // Centring truncates towards zero, also for a line wider than the label.
  EXPECT_EQ(AlignedX(1, 201, 50), 75);
  EXPECT_EQ(AlignedX(1, 100, 131), -15);
  EXPECT_EQ(AlignedX(1, 100, 132), -16);
  // A left line wider than the label still starts at 2 and is cut on the right.
  EXPECT_EQ(AlignedX(0, 100, 500), 2);
  EXPECT_EQ(AlignedX(2, 100, 500), -402);
}

TEST(TextureTiles, CoverTheAreaWithWholeTiles) {
  EXPECT_EQ(TileCount(370, 14), 27);  // 26 whole tiles and one cut at the edge
  EXPECT_EQ(TileCount(364, 14), 26);
  EXPECT_EQ(TileCount(315, 58), 6);
  EXPECT_EQ(TileCount(1, 14), 1);   // narrower than a tile: still one
  EXPECT_EQ(TileCount(57, 58), 1);
  EXPECT_EQ(TileCount(0, 14), 0);   // empty area: no tile
  EXPECT_EQ(TileCount(-3, 14), 0);
  EXPECT_EQ(TileCount(100, 0), 0);  // a texture that failed to load
}
