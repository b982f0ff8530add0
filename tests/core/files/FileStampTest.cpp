#include "FileTestSupport.h"

#include "core/files/FileStamp.h"

using namespace kelm;
using kelm::testing::FixedStamp;

// Locale weekday and date separators; hours always in two-digit 24-hour fields.
TEST(FileStamp, DateLineUsesLocaleWeekdayAndSeparators) {
    EXPECT_EQ(GeneratedOnLine(FixedStamp()), "Generated on: Sunday  07/03/2027 09:05:03");
    const std::pair<FileStamp, QString> stamps[] = {
        {FixedStamp(QLocale("de_DE")), "Sonntag  07.03.2027 09:05:03"},
        {FixedStamp(QLocale("it_IT")), "domenica  07/03/2027 09:05:03"},
        {FixedStamp(QLocale("ru_RU")), "Sunday  07.03.2027 09:05:03"},
        {FixedStamp(QLocale("fi_FI")), "sunnuntaina  07.03.2027 09.05.03"}, // dotted time
        {{QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)), QLocale("en_US")},
         "Thursday  31/12/2026 23:59:58"},
        {{QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)), QLocale::c()},
         "Thursday  01/01/2026 00:00:00"}};
    for (const auto& [stamp, text] : stamps)
        EXPECT_EQ(FormatStampDateTime(stamp), text);
}
