#pragma once

#include "core/common/DeviceKind.h"
#include "core/params/ParamTable.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// Side-by-side comparison of the compared parameters: the drive's values against a device
// parameter file (drive mode), or one file against another (file mode). It reads the
// files with its own tolerant reader and never changes the table, the drive or a file.
//
// What stays with the window: the dialogs and the extension check, the menu enabling,
// colours and fonts (a Different row is highlighted), the empty placeholder row when
// nothing is shown, the label widths (ShortenPath does the shortening given a fit test).
namespace kelm {

enum class RowState { Equal, Different, Neither };

// The filter buttons' tags: 1 all, 2 not equal, 3 equal; any other number shows all.
enum class CompareFilter { All = 1, NotEqual = 2, Equal = 3 };
CompareFilter CompareFilterFromTag(int tag);

struct ComparisonSide {
    std::int16_t Value = 0;
    bool Valid = false;
};

struct ComparisonRow {
    QString Name;
    std::uint16_t Address = 0;
    ComparisonSide Left;  // the drive, or the first file
    ComparisonSide Right; // the (second) file

    RowState State() const;
    // Name, address formatted "000", left and right formatted "00000" (empty when absent).
    std::array<QString, 4> Cells() const;
};

class Comparison {
public:
    // Builds one row per entry of `table` with Compared set, in table order. Drive mode
    // when firstFile is empty: the left side is each entry's DriveValue. Reads firstFile
    // (file mode) into the left side and secondFile into the right side; a file that
    // cannot be read is reported and leaves its side without values.
    void Load(const ParamTable& table, DeviceKind kind, const QString& firstFile,
              const QString& secondFile);

    bool DriveMode() const { return firstFile_.isEmpty(); }
    const QString& FirstFile() const { return firstFile_; }
    const QString& SecondFile() const { return secondFile_; }
    const std::vector<ComparisonRow>& Rows() const { return rows_; }
    // The rows a filter shows, in table order.
    std::vector<ComparisonRow> Filtered(CompareFilter filter) const;

    // " Compare Drive Values" / " Compare Files Values".
    QString Caption() const;
    // " Name", "Address", then "Drive", "File" or "File1", "File2".
    QStringList ColumnTitles() const;

private:
    void ReadFile(const QString& path, DeviceKind kind, bool left);

    QString firstFile_;
    QString secondFile_;
    std::vector<ComparisonRow> rows_;
};

} // namespace kelm
