#include "core/files/FileStamp.h"

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
        return c;
    }
    return fallback;
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
    return stamp.Locale.dayName(date.dayOfWeek(), QLocale::LongFormat) + QStringLiteral("  ") +
           TwoDigits(date.day()) + ds + TwoDigits(date.month()) + ds +
           QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + u' ' +
           TwoDigits(time.hour()) + ts + TwoDigits(time.minute()) + ts + TwoDigits(time.second());
}

QString GeneratedOnLine(const FileStamp& stamp) {
    return QStringLiteral("Generated on: ") + FormatStampDateTime(stamp);
}

} // namespace kelm
