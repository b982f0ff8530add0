// kelmctl report against a running kelmsim: one setting changed by a restore, then the
// report as PDF (read back with pdftotext) and as HTML.
#include "sim/kelmsim/SimProcess.h"

#include "common/ProgramRun.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

using kelm::sim::test::SimProcess;
using namespace kelm::test;

namespace {

// The text of a PDF; a missing pdftotext fails the test and says where it comes from.
QString PdfText(const QString& path) {
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty()) {
        ADD_FAILURE() << "pdftotext is missing: install poppler-utils (scripts/setup.sh)";
        return {};
    }
    // Ligatures ("fi") read back as their letters.
    return RunProgram(tool, {path, "-"}).Out.normalized(QString::NormalizationForm_KC);
}

TEST(ReportCommand, ShowsIdentityChangedSettingAndItsChange) {
    QTemporaryDir files;
    const auto file = [&](const QString& name) { return files.filePath(name); };
    SimProcess sim;
    ASSERT_TRUE(sim.Start({}, false));
    const auto ctl = [&](const QStringList& arguments) {
        return Kelmctl(QStringList{"--device", sim.Path()} + arguments, file("config"));
    };
    const auto read = [&](const QString& name) {
        QFile in(file(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    };
    ASSERT_EQ(ctl({"backup", file("drive.dev")}).Code, 0);
    QString text = QString::fromLatin1(read("drive.dev"));
    text.replace(QRegularExpression("\nSpeed Limit\t0*31\t[^\r]*"), "\nSpeed Limit\t31\t2500");
    ASSERT_TRUE(text.contains("\nSpeed Limit\t31\t2500\r"));
    QFile dev(file("drive.dev"));
    ASSERT_TRUE(dev.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(dev.write(text.toLatin1()), text.size());
    dev.close();
    ASSERT_EQ(ctl({"restore", file("drive.dev")}).Code, 0);

    ASSERT_EQ(ctl({"report", file("r.pdf")}).Code, 0);
    ASSERT_EQ(ctl({"report", file("r.html")}).Code, 0);
    const QString page = QString::fromUtf8(read("r.html"));
    const QString pdf = PdfText(file("r.pdf"));
    for (const QString& expected :
         QStringList{"Commissioning Report", "Device", "ZEPHON", "firmware 2.3", sim.Path(),
                     "Speed Limit", "2500", "rpm", "3000 -> 2500 rpm", "restore"}) {
        EXPECT_TRUE(pdf.contains(expected)) << expected.toStdString() << "\n" << pdf.toStdString();
        EXPECT_TRUE(page.contains(expected.toHtmlEscaped())) << expected.toStdString();
    }
    EXPECT_TRUE(page.contains("kelmctl --device " + sim.Path() + " restore " + file("drive.dev")));
    // The identity's rows and one setting: only the changed one differs on a fresh drive.
    EXPECT_EQ(page.count("<tr><td>"), 7 + 1) << page.toStdString();
    // A name of another kind is refused before the port is opened.
    EXPECT_EQ(ctl({"report", file("r.txt")}).Code, 2);
    EXPECT_FALSE(QFile::exists(file("r.txt")));
}

} // namespace
