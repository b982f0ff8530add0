#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// Conventions shared by every reader and writer of the program's 8-bit text files.
// Files are read as Latin-1 (bytes map one to one to characters) and written with CR LF.
namespace kelm {

inline constexpr int DefaultMaxLineChars = 99;

// Reads one line at a time from a device. A line ends at LF (a CR before it is dropped).
// At most maxChars characters are kept; the rest of an over-long line is skipped up to its
// line end, so a long line is cut, never split into two lines, and never read past.
// A UTF-8 byte-order mark at the start of the device is skipped.
class LineReader {
public:
    explicit LineReader(QIODevice& device, int maxChars = DefaultMaxLineChars);
    // false at end of file (nothing read).
    bool ReadLine(QString& line);
    bool AtEnd() const;
    // True if the last line read was longer than maxChars and was cut.
    bool LastLineCut() const { return lastLineCut_; }
    // The number of the last line read, counting from 1 (0 before the first).
    int LineNumber() const { return lineNumber_; }

private:
    QIODevice& device_;
    int maxChars_;
    bool lastLineCut_ = false;
    bool atStart_ = true;
    int lineNumber_ = 0;
};

// Characters of code 32 or below count as blanks.
bool IsBlank(QChar c);
QString TrimLeft(const QString& text);
QString TrimRight(const QString& text);
QString Trim(const QString& text);
// After leading blanks are removed, an empty line or one starting with ';' or '"'.
bool IsSkippable(const QString& line);
// Splits at tab characters (empty fields kept).
QStringList SplitFields(const QString& line);
// Optionally signed decimal integer; leading blanks allowed, nothing after the digits.
// The low 16 bits are kept. nullopt on a conversion error (empty, non-numeric, trailing text).
std::optional<std::int16_t> ParseInt16(const QString& text);
std::optional<std::uint16_t> ParseUInt16(const QString& text);
// Full-width integer with the same syntax (no wrapping); nullopt on error or overflow.
std::optional<long long> ParseInteger(const QString& text);
// A header line is accepted when it compares equal to or sorts after the expected text
// (byte by byte, C string order).
bool HeaderAccepted(const QString& line, const QString& expected);

// Writes text lines as Latin-1 with CR LF line ends.
void WriteLine(QIODevice& device, const QString& line);

} // namespace kelm
