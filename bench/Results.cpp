#include "bench/Results.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSysInfo>
#include <algorithm>
#include <thread>

namespace kelm::bench {

Figure Summarize(std::vector<double> samples) {
    Figure figure;
    if (samples.empty())
        return figure;
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    figure.Median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    figure.Min = samples.front();
    figure.Max = samples.back();
    figure.Runs = static_cast<int>(n);
    return figure;
}

namespace {

QString Number(double value) {
    return QString::number(value, 'f', value >= 100 ? 0 : (value >= 10 ? 1 : 2));
}

QString BaudText(const Row& row) {
    return row.Baud == 0 ? QStringLiteral("-") : QString::number(row.Baud);
}

QString MeasuredText(const Row& row) {
    if (!row.Ok())
        return row.Note;
    return QStringLiteral("%1 %2 (%3..%4)")
        .arg(Number(row.Measured.Median), row.Unit, Number(row.Measured.Min),
             Number(row.Measured.Max));
}

QString LimitText(const Row& row) {
    if (!row.Ok() || row.Limit <= 0)
        return QStringLiteral("-");
    return QStringLiteral("%1 %2 %3").arg(Number(row.Limit), row.Unit, row.LimitKind);
}

QString RatioText(const Row& row) {
    return row.Ok() && row.Limit > 0 ? QString::number(row.Ratio(), 'f', 3) : QStringLiteral("-");
}

QString TurnaroundText(const Row& row) {
    return row.Ok() && row.Turnaround > 0 ? Number(row.Turnaround) + QStringLiteral(" ms")
                                          : QStringLiteral("-");
}

// The host's own time: measured less the time spent waiting on the line.
QString HostText(const Row& row) {
    return row.Ok() && row.LimitKind == QLatin1String("wire")
               ? QString::number(row.Host, 'f', 2) + QStringLiteral(" ms")
               : QStringLiteral("-");
}

QStringList Cells(const Row& row) {
    return {row.Case,       BaudText(row),       MeasuredText(row), LimitText(row),
            RatioText(row), TurnaroundText(row), HostText(row)};
}

const QStringList Header{QStringLiteral("case"),
                         QStringLiteral("baud"),
                         QStringLiteral("measured median (min..max)"),
                         QStringLiteral("limit or peer"),
                         QStringLiteral("ratio"),
                         QStringLiteral("of it turnaround"),
                         QStringLiteral("host's own")};

} // namespace

QString TableText(const std::vector<Row>& rows) {
    std::vector<QStringList> lines{Header};
    for (const Row& row : rows)
        lines.push_back(Cells(row));
    std::vector<qsizetype> widths(static_cast<std::size_t>(Header.size()), 0);
    for (const QStringList& line : lines)
        for (qsizetype i = 0; i < line.size(); ++i)
            widths[static_cast<std::size_t>(i)] =
                std::max(widths[static_cast<std::size_t>(i)], line[i].size());
    QString text;
    for (const QStringList& line : lines) {
        QStringList padded;
        for (qsizetype i = 0; i < line.size(); ++i)
            padded << line[i].leftJustified(widths[static_cast<std::size_t>(i)]);
        text += padded.join(QStringLiteral("  ")).trimmed() + QLatin1Char('\n');
    }
    return text;
}

QString MarkdownText(const std::vector<Row>& rows, const QString& machine, bool quick) {
    QString text =
        QStringLiteral("Machine: %1%2\n\n")
            .arg(machine, quick ? QStringLiteral(" (quick run: one run per case)") : QString());
    text += QLatin1Char('|') + Header.join(QLatin1Char('|')) + QStringLiteral("|\n");
    text += QStringLiteral("|---|---:|---:|---:|---:|---:|---:|\n");
    for (const Row& row : rows)
        text += QLatin1Char('|') + Cells(row).join(QLatin1Char('|')) + QStringLiteral("|\n");
    return text;
}

QString JsonText(const std::vector<Row>& rows, const QString& machine) {
    QJsonArray list;
    for (const Row& row : rows) {
        QJsonObject object{{QStringLiteral("case"), row.Case},
                           {QStringLiteral("baud"), static_cast<qint64>(row.Baud)},
                           {QStringLiteral("unit"), row.Unit},
                           {QStringLiteral("machine"), machine}};
        if (row.Ok()) {
            object.insert(QStringLiteral("measured"), row.Measured.Median);
            object.insert(QStringLiteral("min"), row.Measured.Min);
            object.insert(QStringLiteral("max"), row.Measured.Max);
            object.insert(QStringLiteral("runs"), row.Measured.Runs);
            object.insert(QStringLiteral("limit"), row.Limit);
            object.insert(QStringLiteral("limit_kind"), row.LimitKind);
            object.insert(QStringLiteral("ratio"), row.Ratio());
            object.insert(QStringLiteral("turnaround"), row.Turnaround);
            object.insert(QStringLiteral("host"), row.Host);
        } else {
            object.insert(QStringLiteral("measured"), QJsonValue());
            object.insert(QStringLiteral("limit"), QJsonValue());
            object.insert(QStringLiteral("ratio"), QJsonValue());
            object.insert(QStringLiteral("note"), row.Note);
        }
        list.append(object);
    }
    return QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Indented));
}

QString MachineText() {
    QString cpu;
    QFile info(QStringLiteral("/proc/cpuinfo"));
    if (info.open(QIODevice::ReadOnly)) {
        const QRegularExpression model(QStringLiteral("^model name\\s*:\\s*(.*)$"),
                                       QRegularExpression::MultilineOption);
        cpu = model.match(QString::fromLatin1(info.readAll())).captured(1).trimmed();
    }
    QString load;
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly))
        load = QString::fromLatin1(loadavg.readAll()).section(QLatin1Char(' '), 0, 0);
    return QStringLiteral("%1, %2 cores, %3, load average %4 at the start")
        .arg(cpu.isEmpty() ? QSysInfo::currentCpuArchitecture() : cpu)
        .arg(std::thread::hardware_concurrency())
        .arg(QSysInfo::prettyProductName(), load);
}

} // namespace kelm::bench
