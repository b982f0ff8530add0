#include "core/text/TextLines.h"

#include <limits>

namespace kelm {

LineReader::LineReader(QIODevice& device, int maxChars) : device_(device), maxChars_(maxChars) {}

bool LineReader::AtEnd() const {
    return device_.atEnd();
}

bool LineReader::ReadLine(QString& line) {
    line.clear();
    lastLineCut_ = false;
    // Editors of other tools may start a file with a UTF-8 byte-order mark: not part of
    // the first line.
    if (atStart_) {
        atStart_ = false;
        if (device_.peek(3) == QByteArrayLiteral("\xEF\xBB\xBF"))
            device_.skip(3);
    }
    QByteArray bytes;
    bool gotAny = false;
    char c = 0;
    // Byte by byte so that nothing after the line end is consumed and a long line
    // never needs more than maxChars of memory.
    while (device_.getChar(&c)) {
        gotAny = true;
        if (c == '\n') {
            break;
        }
        if (bytes.size() < maxChars_ + 1) {
            bytes.append(c);
        } else {
            lastLineCut_ = true;
        }
    }
    if (!gotAny) {
        return false;
    }
    ++lineNumber_;
    if (bytes.endsWith('\r')) {
        bytes.chop(1);
    }
    if (bytes.size() > maxChars_) {
        bytes.truncate(maxChars_);
        lastLineCut_ = true;
    }
    line = QString::fromLatin1(bytes);
    return true;
}

bool IsBlank(QChar c) {
    return c.unicode() <= 32;
}

QString TrimLeft(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    return text.mid(i);
}

QString TrimRight(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && IsBlank(text[n - 1])) {
        --n;
    }
    return text.left(n);
}

QString Trim(const QString& text) {
    return TrimRight(TrimLeft(text));
}

bool IsSkippable(const QString& line) {
    const QString rest = TrimLeft(line);
    return rest.isEmpty() || rest[0] == u';' || rest[0] == u'"';
}

QStringList SplitFields(const QString& line) {
    return line.split(u'\t', Qt::KeepEmptyParts);
}

std::optional<long long> ParseInteger(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i >= text.size()) {
        return std::nullopt;
    }
    // Accumulate as a negative number so that the most negative value fits.
    constexpr long long minValue = std::numeric_limits<long long>::min();
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        const int digit = c - u'0';
        if (value < (minValue + digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == minValue) {
            return std::nullopt;
        }
        value = -value;
    }
    return value;
}

std::optional<std::int16_t> ParseInt16(const QString& text) {
    const auto value = ParseInteger(text);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>(static_cast<unsigned long long>(*value) & 0xFFFFu));
}

std::optional<std::uint16_t> ParseUInt16(const QString& text) {
    const auto value = ParseInteger(text);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(static_cast<unsigned long long>(*value) & 0xFFFFu);
}

bool HeaderAccepted(const QString& line, const QString& expected) {
    const QByteArray a = line.toLatin1();
    const QByteArray b = expected.toLatin1();
    // C string order: bytes compared as unsigned, a NUL ends either string.
    const auto cut = [](const QByteArray& s) {
        const qsizetype nul = s.indexOf('\0');
        return nul < 0 ? s : s.left(nul);
    };
    const QByteArray x = cut(a);
    const QByteArray y = cut(b);
    const qsizetype n = std::min(x.size(), y.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto cx = static_cast<unsigned char>(x[i]);
        const auto cy = static_cast<unsigned char>(y[i]);
        if (cx != cy) {
            return cx > cy;
        }
    }
    return x.size() >= y.size();
}

void WriteLine(QIODevice& device, const QString& line) {
    QByteArray bytes = line.toLatin1();
    bytes.append("\r\n");
    device.write(bytes);
}

} // namespace kelm
