#include <gtest/gtest.h>

#include <cstring>

#include "convert/OutputPathRules.h"
#include "help/HelpRules.h"
#include "winfw/portable/ModulePath.h"
#include "winfw/portable/PathText.h"

namespace {
// Shift-JIS style lead bytes: their trail byte may be 0x5C, the backslash.
bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
}  // namespace

TEST(ModulePath, BaseNameDecidesTheApplicationName) {
  EXPECT_EQ(ModuleBaseName("C:\\Program Files\\Sonbrel\\Sonbrel.exe", NoLeadBytes), "Sonbrel");
  EXPECT_EQ(ModuleBaseName("Z:\\tmp\\renamed.copy.exe", NoLeadBytes), "renamed.copy");
  EXPECT_EQ(ModuleBaseName("C:\\dir.d\\noext", NoLeadBytes), "noext");
  EXPECT_EQ(ReplaceExtension("C:\\dir.d\\Sonbrel.exe", ".HLP", NoLeadBytes), "C:\\dir.d\\Sonbrel.HLP");
  EXPECT_EQ(ReplaceExtension("C:\\dir.d\\noext", ".HLP", NoLeadBytes), "C:\\dir.d\\noext.HLP");
  EXPECT_EQ(DirectoryWithBackslash("D:\\Tools\\Convert\\Sonbrel.HLP", NoLeadBytes), "D:\\Tools\\Convert\\");
  EXPECT_EQ(DirectoryWithBackslash("Sonbrel.HLP", NoLeadBytes), "");
}

TEST(ModulePath, TrailByteThatLooksLikeABackslashStaysInTheName) {
  // An executable whose name begins with the double-byte character "\x95\x5C".
  const std::string exe = "D:\\Tools\\\x95\x5Cname.exe";
  EXPECT_EQ(ModuleBaseName(exe, ShiftJisLead), "\x95\x5Cname");
  const std::string help = ReplaceExtension(exe, ".HLP", ShiftJisLead);
  EXPECT_EQ(help, "D:\\Tools\\\x95\x5Cname.HLP");
  EXPECT_EQ(DirectoryWithBackslash(help, ShiftJisLead), "D:\\Tools\\");
  EXPECT_EQ(HelpCommandLine(help, ShiftJisLead), "hh.exe D:\\Tools\\help.chm::/Introduction.htm");
}

TEST(OutputPath, FileNamePartStartsAtTheLastBackslash) {
  EXPECT_EQ(GetFileNamePart("c:\\output.wav", NoLeadBytes), "\\output.wav");
  EXPECT_EQ(GetFileNamePart("c:\\music\\a\\b.wav", NoLeadBytes), "\\b.wav");
  EXPECT_EQ(GetFileNamePart("output.wav", NoLeadBytes), "");
}

TEST(OutputPath, TrailByteThatLooksLikeABackslashIsNotASeparator) {
  // "\x95\x5C" is one double-byte character whose second byte is '\'.
  const std::string path = "c:\\dir\\\x95\x5C.wav";
  EXPECT_EQ(GetFileNamePart(path, ShiftJisLead), "\\\x95\x5C.wav");
  EXPECT_EQ(GetFileNamePart(path, NoLeadBytes), "\\.wav");
  EXPECT_EQ(WavNameFor("c:\\\x95\x5Cx", ShiftJisLead), "c:\\\x95\x5Cx.wav");
}

TEST(OutputPath, BrowseReplacesOnlyTheFileNamesExtension) {
  EXPECT_EQ(WavNameFor("C:\\m\\song.mp3", NoLeadBytes), "C:\\m\\song.wav");
  EXPECT_EQ(WavNameFor("C:\\m\\song", NoLeadBytes), "C:\\m\\song.wav");
  EXPECT_EQ(WavNameFor("C:\\m\\a.b.c", NoLeadBytes), "C:\\m\\a.b.wav");
  EXPECT_EQ(WavNameFor("C:\\m\\x.WAV", NoLeadBytes), "C:\\m\\x.wav");
  EXPECT_EQ(WavNameFor("C:\\my.music\\song", NoLeadBytes), "C:\\my.music\\song.wav");
  EXPECT_EQ(WavNameFor("song", NoLeadBytes), "song.wav");
}

TEST(OutputPath, BrowseOpensInTheFolderOfTheCurrentPath) {
  EXPECT_EQ(BrowseInitialFolder("C:\\Users\\me\\Music\\output.wav"), "C:\\Users\\me\\Music");
  EXPECT_EQ(BrowseInitialFolder("output.wav"), ".");
  EXPECT_EQ(BrowseInitialFolder(""), ".");
}

TEST(OutputPath, PathLimitIs259Characters) {
  EXPECT_TRUE(FitsPathLimit(std::string(259, 'a')));
  EXPECT_FALSE(FitsPathLimit(std::string(260, 'a')));
}

namespace {
// Lower case as the platform gives it, for the letters these tests use.
char32_t TestLower(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // Latin-1 capitals: É -> é
  if (c >= 0x410 && c <= 0x42F) return c + 32;             // Cyrillic: М -> м
  if (c == 0x23A) return 0x2C65;                           // Ⱥ (2 bytes) -> ⱥ (3 bytes)
  if (c == 0x212A) return U'k';                            // Kelvin sign (3 bytes) -> k (1 byte)
  if (c == 0x10400) return 0x10428;                        // a capital beyond 16 bits
  return c;
}
}  // namespace

TEST(PathText, LowerCaseChangesLettersButNeverTheLength) {
  EXPECT_EQ(LowerUtf8KeepingLength(u8"C:\\Музыка\\Москва НОЧЬЮ.MP3", TestLower), u8"c:\\музыка\\москва ночью.mp3");
  EXPECT_EQ(LowerUtf8KeepingLength(u8"Café DÉJÀ VU.mp3", TestLower), u8"café déjà vu.mp3");
  EXPECT_EQ(LowerUtf8KeepingLength(u8"日本語の歌 🎵.MP3", TestLower), u8"日本語の歌 🎵.mp3");  // no case: unchanged
  EXPECT_EQ(LowerUtf8KeepingLength(u8"\U00010400X", TestLower), u8"\U00010428x");
  // Lower cases of another length stay capitals: the path keeps its bytes and its buffer.
  EXPECT_EQ(LowerUtf8KeepingLength(u8"\u023A\u212AB.MP3", TestLower), u8"\u023A\u212Ab.mp3");
  // Bytes that form no UTF-8 character, and cut sequences, are left as they are.
  EXPECT_EQ(LowerUtf8KeepingLength("A\xFF" "B\xD0", TestLower), "a\xFF" "b\xD0");
  EXPECT_EQ(LowerUtf8KeepingLength("", TestLower), "");
}

TEST(PathText, CutsFallBetweenCharactersOnly) {
  const std::string text = u8"aЖ日🎵b";  // 1 + 2 + 3 + 4 + 1 bytes
  std::size_t expected[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 11};
  for (std::size_t limit = 0; limit < sizeof(expected) / sizeof(expected[0]); ++limit)
    EXPECT_EQ(CharacterCut(text.data(), text.size(), limit, NoLeadBytes), expected[limit]) << limit;
  EXPECT_EQ(CharacterCut(text.data(), text.size(), 100, NoLeadBytes), text.size());

  // A double-byte character of a legacy code page, and stray bytes, one at a time.
  const std::string sjis = "a\x95\x5C" "b";
  EXPECT_EQ(CharacterCut(sjis.data(), sjis.size(), 2, ShiftJisLead), 1u);
  EXPECT_EQ(CharacterCut(sjis.data(), sjis.size(), 3, ShiftJisLead), 3u);
  const std::string stray = "a\xFF\xFF";
  EXPECT_EQ(CharacterCut(stray.data(), stray.size(), 2, NoLeadBytes), 2u);

  char buffer[8];
  std::memset(buffer, '#', sizeof(buffer));
  EXPECT_EQ(CopyWholeCharacters(buffer, 6, text.c_str(), text.size(), NoLeadBytes), 3u);
  EXPECT_EQ(std::string(buffer), u8"aЖ");
  EXPECT_EQ(buffer[4], '#');
  EXPECT_EQ(CopyWholeCharacters(buffer, 1, text.c_str(), text.size(), NoLeadBytes), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(CopyWholeCharacters(buffer, 8, nullptr, 0, NoLeadBytes), 0u);
  EXPECT_STREQ(buffer, "");
}
