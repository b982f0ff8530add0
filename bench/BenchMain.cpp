// kelmbench: the speed of the program against the line's physical limit. Runs every case
// against kelmsim on a pseudo-terminal, prints one table and writes it as results.md and
// results.json into the output folder.
//
//   kelmbench [--quick] [--out DIR]
//
// --quick: one short run of each case at 115200 baud (a check that every case still runs).
#include "bench/LineCases.h"
#include "bench/Results.h"
#include "bench/StallCase.h"
#include "bench/StartCase.h"
#include "core/seams/RecordingMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

bool WriteText(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    kelm::bench::Plan plan;
    QString out = QStringLiteral("bench");
    bool quick = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--quick")) {
            quick = true;
        } else if (arguments[i] == QLatin1String("--out") && i + 1 < arguments.size()) {
            out = arguments[++i];
        } else {
            std::fprintf(stderr, "usage: kelmbench [--quick] [--out DIR]\n");
            return 2;
        }
    }
    if (quick) {
        plan.Runs = 1;
        plan.Bauds = {115200};
        plan.SingleReads = 100;
        plan.PollsPerRun = 1;
    }
    // Reports of the drive model (a lost line) are kept, not shown.
    kelm::RecordingMessages messages;
    const QString machine = kelm::bench::MachineText();

    std::vector<kelm::bench::Row> rows = kelm::bench::RunLineCases(plan);
    for (kelm::bench::Row& row : kelm::bench::RunStartCases(plan.Runs))
        rows.push_back(std::move(row));
    for (kelm::bench::Row& row : kelm::bench::RunStallCases(quick ? 1 : 3, quick ? 3 : 8))
        rows.push_back(std::move(row));

    const QString table = kelm::bench::TableText(rows);
    std::fputs(qPrintable(table), stdout);
    for (const QString& text : messages.Texts())
        std::fprintf(stderr, "bench: message: %s\n", qPrintable(text));
    if (!QDir().mkpath(out) ||
        !WriteText(out + QStringLiteral("/results.md"),
                   kelm::bench::MarkdownText(rows, machine, quick)) ||
        !WriteText(out + QStringLiteral("/results.json"), kelm::bench::JsonText(rows, machine))) {
        std::fprintf(stderr, "kelmbench: cannot write the results into %s\n", qPrintable(out));
        return 1;
    }
    std::printf("Machine: %s\nWritten: %s/results.md, %s/results.json\n", qPrintable(machine),
                qPrintable(out), qPrintable(out));
    for (const kelm::bench::Row& row : rows) {
        if (!row.Ok() && row.Note != QLatin1String("not built"))
            return 1;
    }
    return 0;
}
