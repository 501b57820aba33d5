#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

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

// When the question is due: a stored time and the time of a close. 180 days are
// 15552000 s.
struct DueCase {
  const char* name;
  std::int64_t now, stored;
  bool ask;
};
void PrintTo(const DueCase& c, std::ostream* os) { *os << c.name; }
class UpdateQuestionDue : public ::testing::TestWithParam<DueCase> {};
constexpr std::int64_t kFuture = kNow + 86400 * 30;
constexpr std::int64_t kNow2040 = 2209000000LL;  // the low 32 bits of the time are negative
}  // namespace

TEST(UpdateQuestion, FirstCloseRecordsTheTimeAndAsksNothing) {
  // The setting is read with the low 32 bits of now as its default.
  const UpdateDecision d = DecideUpdateQuestion(kNow, StoredTimeBits(kNow));
  EXPECT_TRUE(d.recordFirstClose);
  EXPECT_FALSE(d.ask);
}

TEST(UpdateQuestion, ThePeriodIs180Days) { EXPECT_EQ(kUpdateQuestionPeriod, 15552000); }

TEST_P(UpdateQuestionDue, AsksOnlyWhenMoreThan180DaysHavePassed) {
  const DueCase& c = GetParam();
  EXPECT_EQ(Decide(c.now, c.stored).ask, c.ask);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateQuestionDue,
    ::testing::Values(DueCase{"ExactlyThePeriod", kNow, kNow - 15552000, false},
                      DueCase{"ASecondPastThePeriod", kNow + 1, kNow - 15552000, true},
                      DueCase{"ASecondShortOfThePeriod", kNow - 1, kNow - 15552000, false},
                      // A stored time in the future waits until 180 days past it.
                      DueCase{"StoredInTheFuture", kNow, kFuture, false},
                      DueCase{"ThePeriodPastAFutureTime", kFuture + 15552000, kFuture, false},
                      DueCase{"ASecondMorePastAFutureTime", kFuture + 15552001, kFuture, true},
                      // A stored 0 counts as 1970.
                      DueCase{"StoredZero", kNow, 0, true},
                      DueCase{"ThePeriodPast1970", 15552000, 0, false},
                      DueCase{"ASecondMorePast1970", 15552001, 0, true},
                      // After the 32-bit seconds wrap: a time stored a day earlier does not
                      // look 136 years old.
                      DueCase{"ADayOldAfterTheWrap", kNow2040, kNow2040 - 86400, false},
                      DueCase{"ASecondPastThePeriodAfterTheWrap", kNow2040, kNow2040 - 15552001, true},
                      DueCase{"ExactlyThePeriodAfterTheWrap", kNow2040, kNow2040 - 15552000, false},
                      // Stored before the wrap, read after it.
                      DueCase{"StoredBeforeTheWrap", kNow2040, 2000000000LL, true},
                      DueCase{"StoredJustBeforeTheWrap", 2140000000LL, 2140000000LL - 100, false}),
    [](const ::testing::TestParamInfo<DueCase>& info) { return std::string(info.param.name); });

TEST(UpdateQuestion, OnlyTheFirstCloseRecordsTheTime) {
  EXPECT_FALSE(Decide(kNow + 1, kNow - 15552000).recordFirstClose);
  EXPECT_FALSE(Decide(kNow, kFuture).recordFirstClose);
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

TEST(UpdateQuestion, AfterThe32BitSecondsWrapTheFirstCloseIsRecognised) {
  ASSERT_LT(StoredTimeBits(kNow2040), 0);
  EXPECT_EQ(StoredTimeNear(StoredTimeBits(kNow2040), kNow2040), kNow2040);
  const UpdateDecision first = DecideUpdateQuestion(kNow2040, StoredTimeBits(kNow2040));
  EXPECT_TRUE(first.recordFirstClose);
  EXPECT_FALSE(first.ask);
}
