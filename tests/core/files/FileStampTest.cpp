#include "FileTestSupport.h"

#include "core/files/FileStamp.h"

using namespace kelm;
using kelm::testing::FixedStamp;

TEST(FileStamp, DateLineUsesLocaleWeekdayAndSeparators) {
    EXPECT_EQ(GeneratedOnLine(FixedStamp()), "Generated on: Sunday  07/03/2027 09:05:03");
    EXPECT_EQ(FormatStampDateTime(FixedStamp(QLocale("de_DE"))), "Sonntag  07.03.2027 09:05:03");
    EXPECT_EQ(FormatStampDateTime(FixedStamp(QLocale("it_IT"))), "domenica  07/03/2027 09:05:03");
    EXPECT_EQ(FormatStampDateTime(FixedStamp(QLocale("ru_RU"))), "Sunday  07.03.2027 09:05:03");
    // A locale whose time separator is a dot.
    EXPECT_EQ(FormatStampDateTime(FixedStamp(QLocale("fi_FI"))).mid(QString("sunnuntaina").size()),
              "  07.03.2027 09.05.03");
}

TEST(FileStamp, HoursAreAlwaysTwentyFourHourTwoDigitFields) {
    const FileStamp evening{QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)), QLocale("en_US")};
    EXPECT_EQ(FormatStampDateTime(evening), "Thursday  31/12/2026 23:59:58");
    const FileStamp midnight{QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)), QLocale::c()};
    EXPECT_EQ(FormatStampDateTime(midnight), "Thursday  01/01/2026 00:00:00");
}
