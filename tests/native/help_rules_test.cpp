#include <gtest/gtest.h>

#include <cstdint>

#include "help/HelpRules.h"

TEST(HelpCommandLine, DirectoryOfTheExecutableUnquotedEvenWithSpaces) {
  EXPECT_EQ(HelpCommandLine("D:\\Tools\\Convert\\Sonbrel.HLP", NoLeadBytes), "hh.exe D:\\Tools\\Convert\\help.chm::/Introduction.htm");
  EXPECT_EQ(HelpCommandLine("D:\\Program Files\\Convert\\Sonbrel.HLP", NoLeadBytes),
            "hh.exe D:\\Program Files\\Convert\\help.chm::/Introduction.htm");
  EXPECT_EQ(HelpCommandLine("C:\\Sonbrel.HLP", NoLeadBytes), "hh.exe C:\\help.chm::/Introduction.htm");
}

TEST(HelpCommandLine, PathWithoutBackslashGivesAnEmptyDirectory) {
  EXPECT_EQ(HelpCommandLine("Sonbrel.HLP", NoLeadBytes), "hh.exe help.chm::/Introduction.htm");
  EXPECT_EQ(HelpCommandLine("", NoLeadBytes), "hh.exe help.chm::/Introduction.htm");
  // Only the backslash separates directories on this path.
  EXPECT_EQ(HelpCommandLine("dir/Sonbrel.HLP", NoLeadBytes), "hh.exe help.chm::/Introduction.htm");
}

namespace {
constexpr std::int64_t kNow = 1796000000;  // in 2026
UpdateDecision Decide(std::int64_t now, std::int64_t stored) {
  return DecideUpdateQuestion(now, StoredTimeBits(stored));
}
}  // namespace

TEST(UpdateQuestion, FirstCloseRecordsTheTimeAndAsksNothing) {
  // The setting is read with the low 32 bits of now as its default.
  const UpdateDecision d = DecideUpdateQuestion(kNow, StoredTimeBits(kNow));
  EXPECT_TRUE(d.recordFirstClose);
  EXPECT_FALSE(d.ask);
}

TEST(UpdateQuestion, AsksOnlyWhenMoreThan180DaysHavePassed) {
  EXPECT_EQ(kUpdateQuestionPeriod, 180 * 86400);
  const std::int64_t stored = kNow - kUpdateQuestionPeriod;
  EXPECT_FALSE(Decide(kNow, stored).ask);
  EXPECT_TRUE(Decide(kNow + 1, stored).ask);
  EXPECT_FALSE(Decide(kNow - 1, stored).ask);
  EXPECT_FALSE(Decide(kNow + 1, stored).recordFirstClose);
}

TEST(UpdateQuestion, StoredTimeInTheFutureWaitsUntil180DaysPastIt) {
  const std::int64_t future = kNow + 86400 * 30;
  EXPECT_FALSE(Decide(kNow, future).ask);
  EXPECT_FALSE(Decide(kNow, future).recordFirstClose);
  EXPECT_FALSE(Decide(future + kUpdateQuestionPeriod, future).ask);
  EXPECT_TRUE(Decide(future + kUpdateQuestionPeriod + 1, future).ask);
}

TEST(UpdateQuestion, StoredZeroCountsAs1970) {
  EXPECT_TRUE(DecideUpdateQuestion(kNow, 0).ask);
  EXPECT_FALSE(DecideUpdateQuestion(kUpdateQuestionPeriod, 0).ask);
  EXPECT_TRUE(DecideUpdateQuestion(kUpdateQuestionPeriod + 1, 0).ask);
}

TEST(UpdateQuestion, StoresTheLow32BitsOfNow) {
  EXPECT_EQ(StoredTimeBits(kNow), 1796000000);
  EXPECT_EQ(StoredTimeBits(0x7FFFFFFFLL), 0x7FFFFFFF);
  EXPECT_EQ(StoredTimeBits(0x80000000LL), INT32_MIN);
  EXPECT_EQ(StoredTimeBits(0x100000005LL), 5);
  EXPECT_EQ(StoredTimeBits(-1), -1);
}

TEST(UpdateQuestion, StoredValueIsWidenedWithItsSignBefore2038) {
  EXPECT_EQ(StoredTimeNear(0, kNow), 0);
  EXPECT_EQ(StoredTimeNear(1796000000, kNow), 1796000000);
  EXPECT_EQ(StoredTimeNear(-1, 10), -1);
  EXPECT_EQ(StoredTimeNear(INT32_MAX, 0x7FFFFFFFLL), INT32_MAX);
}

TEST(UpdateQuestion, RuleStillHoldsAfterThe32BitSecondsWrap) {
  // 2040: the low 32 bits of now are negative as a signed value.
  const std::int64_t now2040 = 2209000000LL;
  ASSERT_LT(StoredTimeBits(now2040), 0);
  EXPECT_EQ(StoredTimeNear(StoredTimeBits(now2040), now2040), now2040);

  const UpdateDecision first = DecideUpdateQuestion(now2040, StoredTimeBits(now2040));
  EXPECT_TRUE(first.recordFirstClose);
  EXPECT_FALSE(first.ask);
  // A time stored a day earlier does not look 136 years old.
  EXPECT_FALSE(Decide(now2040, now2040 - 86400).ask);
  EXPECT_TRUE(Decide(now2040, now2040 - kUpdateQuestionPeriod - 1).ask);
  EXPECT_FALSE(Decide(now2040, now2040 - kUpdateQuestionPeriod).ask);
  // Stored before the wrap, read after it.
  EXPECT_TRUE(Decide(now2040, 2000000000LL).ask);
  EXPECT_FALSE(Decide(2140000000LL, 2140000000LL - 100).ask);
}
