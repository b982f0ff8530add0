#include "core/files/FileStamp.h"

#include <algorithm>

namespace kelm {
namespace {

// The first character of a format pattern that is neither a letter nor quoted text nor a
// blank: the separator that the locale puts between the fields.
QChar SeparatorOf(const QString& format, QChar fallback) {
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted || c.isLetter() || c.isSpace())
            continue;
        return c.unicode() <= 0xFF ? c : fallback;
    }
    return fallback;
}

// Data files are 8-bit Latin-1 text: a weekday name the locale writes in another script
// would come out as question marks, so the English name stands in for it.
QString DayNameOf(const QLocale& locale, int dayOfWeek) {
    const QString name = locale.dayName(dayOfWeek, QLocale::LongFormat);
    const bool latin1 =
        std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    return latin1 ? name : QLocale(QLocale::English).dayName(dayOfWeek, QLocale::LongFormat);
}

QString TwoDigits(int number) {
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

} // namespace

FileStamp FileStamp::Now() {
    return {QDateTime::currentDateTime(), QLocale::system()};
}

QChar DateSeparator(const QLocale& locale) {
    return SeparatorOf(locale.dateFormat(QLocale::ShortFormat), u'/');
}

QChar TimeSeparator(const QLocale& locale) {
    return SeparatorOf(locale.timeFormat(QLocale::ShortFormat), u':');
}

QString FormatStampDateTime(const FileStamp& stamp) {
    const QDate date = stamp.When.date();
    const QTime time = stamp.When.time();
    const QChar ds = DateSeparator(stamp.Locale);
    const QChar ts = TimeSeparator(stamp.Locale);
    return DayNameOf(stamp.Locale, date.dayOfWeek()) + QStringLiteral("  ") +
           TwoDigits(date.day()) + ds + TwoDigits(date.month()) + ds +
           QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + u' ' +
           TwoDigits(time.hour()) + ts + TwoDigits(time.minute()) + ts + TwoDigits(time.second());
}

QString GeneratedOnLine(const FileStamp& stamp) {
    return QStringLiteral("Generated on: ") + FormatStampDateTime(stamp);
}

} // namespace kelm
