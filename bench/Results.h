#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace kelm::bench {

// Median, minimum and maximum of the runs of one case.
struct Figure {
    double Median = 0;
    double Min = 0;
    double Max = 0;
    int Runs = 0;
};
Figure Summarize(std::vector<double> samples);

// One line of the table. Limit is the line's physical limit (wire time plus the drive's
// turnaround), the peer's time or the goal, as LimitKind says; Ratio = median / limit.
struct Row {
    QString Case;
    std::uint32_t Baud = 0; // 0: not a line case
    QString Unit = QStringLiteral("ms");
    Figure Measured;
    double Limit = 0;
    QString LimitKind;     // "wire", "libmodbus", "goal"
    double Turnaround = 0; // the part of Limit the simulated drive's turnaround makes
    double Host = 0;       // the part of Measured outside the line's exchanges (wire rows)
    QString Note;          // "not built", a failure, ...
    bool Ok() const { return Note.isEmpty(); }
    double Ratio() const { return Limit > 0 ? Measured.Median / Limit : 0; }
};

// The table as printed and as written to results.md (with a heading naming the machine),
// and the list written to results.json.
QString TableText(const std::vector<Row>& rows);
QString MarkdownText(const std::vector<Row>& rows, const QString& machine, bool quick);
QString JsonText(const std::vector<Row>& rows, const QString& machine);
// "Intel(R) Xeon(R) ... , 2 cores, load 1.52" from /proc.
QString MachineText();

} // namespace kelm::bench
