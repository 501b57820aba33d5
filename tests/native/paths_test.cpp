#include <gtest/gtest.h>

#include "app/ModulePath.h"
#include "app/PathText.h"
#include "convert/OutputPathRules.h"
#include "help/HelpRules.h"

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
