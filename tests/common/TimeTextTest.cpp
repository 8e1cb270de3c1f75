#include "common/DataSample.h"
#include "common/TimeText.h"

#include <gtest/gtest.h>

#include <optional>

TEST(PadTimeText, FillsEachFieldToTwoDigits)
{
    EXPECT_EQ(PadTimeText("9:05:31"), "09:05:31");
    EXPECT_EQ(PadTimeText("9:5:7"), "09:05:07");
    EXPECT_EQ(PadTimeText("23:59:59"), "23:59:59");
    EXPECT_EQ(PadTimeText("0:00:00"), "00:00:00");
}

TEST(PadTimeText, ToleratesMissingFields)
{
    EXPECT_EQ(PadTimeText(""), "00:00:00");
    EXPECT_EQ(PadTimeText(" "), "00:00:00");
    EXPECT_EQ(PadTimeText("12"), "12:00:00");
    EXPECT_EQ(PadTimeText("12:7"), "12:07:00");
}

TEST(Calendar, DateTextHasNoLeadingZeros)
{
    EXPECT_EQ(DateText({2007, 3, 7}), "7-3-2007");
    EXPECT_EQ(DateText({2026, 12, 31}), "31-12-2026");
}

TEST(Calendar, DayOffsetNormalisesThroughTheCalendar)
{
    const std::int64_t lastOfMonth = MakeLocalTime(2007, 1, 31, 23, 0, 0);
    const LocalDate next = LocalDateOf(lastOfMonth, 1);
    EXPECT_EQ(DateText(next), "1-2-2007");
    const LocalDate endOfYear = LocalDateOf(MakeLocalTime(2006, 12, 31, 0, 0, 1), 1);
    EXPECT_EQ(DateText(endOfYear), "1-1-2007");
}

TEST(Calendar, SampleTextsBecomeLocalCalendarTime)
{
    DataSample s;
    s.date = "7-3-2007";
    s.time = "9:05:07";
    EXPECT_EQ(SampleCalendarTime(s), MakeLocalTime(2007, 3, 7, 9, 5, 7));
    EXPECT_EQ(FormatLocalTime(SampleCalendarTime(s), "%Y-%m-%d %H:%M:%S"), "2007-03-07 09:05:07");
}

TEST(Calendar, DaylightSavingIsDecidedByTheSystem)
{
    // Europe/Berlin: summer time began on 2007-03-25 at 02:00 local time.
    const std::int64_t before = MakeLocalTime(2007, 3, 25, 1, 0, 0);
    const std::int64_t after = MakeLocalTime(2007, 3, 25, 3, 0, 0);
    EXPECT_EQ(after - before, 3600);
}

TEST(FormatGeneral, UsesUpToFifteenSignificantDigits)
{
    EXPECT_EQ(FormatGeneral(85.3), "85.3");
    EXPECT_EQ(FormatGeneral(256.0 / 3.0), "85.3333333333333");
    EXPECT_EQ(FormatGeneral(30.0), "30");
    EXPECT_EQ(FormatGeneral(0.0), "0");
}

TEST(TextConversions, BehaveLikeTheCLibrary)
{
    EXPECT_EQ(TextToInt(" 12abc"), 12);
    EXPECT_EQ(TextToInt("abc"), 0);
    EXPECT_DOUBLE_EQ(TextToDouble("  65.30"), 65.3);
    EXPECT_DOUBLE_EQ(TextToDouble("1.0;x"), 1.0);
    EXPECT_DOUBLE_EQ(TextToDouble(""), 0.0);
}

TEST(Calendar, TheSecondBeforeTheEpochIsATimeAndHugeFieldsDoNotOverflow)
{
    // In Europe/Berlin 1 January 1970, 0:59:59 is calendar time -1, which the
    // C library also returns for a failure: it must still count as a time.
    EXPECT_EQ(TrySampleCalendarTime("1-1-1970", "0:59:59"), std::optional<std::int64_t>(-1));
    EXPECT_EQ(TrySampleCalendarTime("7-3-2007", "9:05:07"), MakeLocalTime(2007, 3, 7, 9, 5, 7));
    // Numbers beyond int saturate instead of overflowing in the conversion.
    EXPECT_EQ(TextToInt("99999999999"), 2147483647);
    EXPECT_EQ(TextToInt("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(TextToInt(" 42x"), 42);
    const auto far = TrySampleCalendarTime("99999999999-99999999999-9999", "99999999999:1:1");
    EXPECT_TRUE(!far || *far > MakeLocalTime(9999, 1, 1, 0, 0, 0));
}
