#include "core/files/Comparison.h"

#include "core/files/DeviceFile.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"
#include "core/text/TextLines.h"

#include <QFile>
#include <cstdlib>

namespace kelm {
namespace {

QString ZeroPadded(int number, int digits) {
    const QString text = QString::number(std::abs(number)).rightJustified(digits, u'0');
    return number < 0 ? u'-' + text : text;
}

} // namespace

CompareFilter CompareFilterFromTag(int tag) {
    switch (tag) {
    case 2:
        return CompareFilter::NotEqual;
    case 3:
        return CompareFilter::Equal;
    default:
        return CompareFilter::All;
    }
}

RowState ComparisonRow::State() const {
    if (Left.Valid && Right.Valid)
        return Left.Value == Right.Value ? RowState::Equal : RowState::Different;
    if (Left.Valid || Right.Valid)
        return RowState::Different;
    return RowState::Neither;
}

std::array<QString, 4> ComparisonRow::Cells() const {
    return {Name, ZeroPadded(Address, 3), Left.Valid ? ZeroPadded(Left.Value, 5) : QString(),
            Right.Valid ? ZeroPadded(Right.Value, 5) : QString()};
}

void Comparison::Load(const ParamTable& table, DeviceKind kind, const QString& firstFile,
                      const QString& secondFile) {
    firstFile_ = firstFile;
    secondFile_ = secondFile;
    rows_.clear();
    for (const ParamEntry& entry : table) {
        if (!entry.Compared)
            continue;
        ComparisonRow row;
        row.Name = entry.Name;
        row.Address = entry.Address;
        if (DriveMode())
            row.Left = {entry.DriveValue, true};
        rows_.push_back(row);
    }
    if (!DriveMode())
        ReadFile(firstFile_, kind, true);
    ReadFile(secondFile_, kind, false);
}

void Comparison::ReadFile(const QString& path, DeviceKind kind, bool left) {
    QFile file;
    QString reason;
    if (!OpenInputFile(file, path, reason)) {
        ShowError(WithReason(QStringLiteral("Unable open Device:") + path, reason));
        return;
    }
    LineReader reader(file);
    QString line1;
    QString line2;
    reader.ReadLine(line1);
    reader.ReadLine(line2);
    // Any kind outside the known ones expects the plain device type line.
    const DeviceKind expectedKind = DeviceKindFromNumber(KindIndex(kind));
    if (Trim(line1) + Trim(line2) != DeviceFileHeading(expectedKind)) {
        ShowError(QStringLiteral("Error Opening Device:") + path);
        return;
    }
    QString line;
    reader.ReadLine(line); // date line
    reader.ReadLine(line); // column captions
    while (reader.ReadLine(line)) {
        // A cut line could carry a cut value: leave it out like any unreadable row.
        if (reader.LastLineCut() || IsSkippable(line))
            continue;
        const QStringList fields = SplitFields(TrimLeft(line) + QStringLiteral("\t\t\t\t\t"));
        const std::optional<std::uint16_t> address = ParseUInt16(Trim(fields.at(1)));
        const std::optional<std::int16_t> value = ParseInt16(Trim(fields.at(2)));
        if (!address || !value)
            continue;
        for (ComparisonRow& row : rows_) {
            if (row.Address == *address) {
                (left ? row.Left : row.Right) = {*value, true};
                break;
            }
        }
    }
}

std::vector<ComparisonRow> Comparison::Filtered(CompareFilter filter) const {
    std::vector<ComparisonRow> shown;
    for (const ComparisonRow& row : rows_) {
        const RowState state = row.State();
        if ((filter == CompareFilter::NotEqual && state != RowState::Different) ||
            (filter == CompareFilter::Equal && state != RowState::Equal))
            continue;
        shown.push_back(row);
    }
    return shown;
}

QString Comparison::Caption() const {
    return DriveMode() ? QStringLiteral(" Compare Drive Values")
                       : QStringLiteral(" Compare Files Values");
}

QStringList Comparison::ColumnTitles() const {
    if (DriveMode())
        return {QStringLiteral(" Name"), QStringLiteral("Address"), QStringLiteral("Drive"),
                QStringLiteral("File")};
    return {QStringLiteral(" Name"), QStringLiteral("Address"), QStringLiteral("File1"),
            QStringLiteral("File2")};
}

} // namespace kelm
