#pragma once

#include <QChar>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace kelm {

// When a data file is written and the regional formats its date line uses. The program
// passes FileStamp::Now(); tests pass a fixed time and locale so the line is predictable.
struct FileStamp {
    QDateTime When;
    QLocale Locale;

    // The current local time with the user's regional formats.
    static FileStamp Now();
};

// Date and time separators of a locale, taken from its short date and time formats
// ('/' and ':' when the format has none).
QChar DateSeparator(const QLocale& locale);
QChar TimeSeparator(const QLocale& locale);

// "dddd  dd/mm/yyyy hh:nn:ss": full weekday name, two blanks, day/month/year, one blank,
// 24-hour time; the weekday name and both separators come from the stamp's locale (English
// and '/', ':' where the locale's are not Latin-1).
QString FormatStampDateTime(const FileStamp& stamp);
// Line 3 of every data file: "Generated on: " + the formatted date and time.
QString GeneratedOnLine(const FileStamp& stamp);

} // namespace kelm
