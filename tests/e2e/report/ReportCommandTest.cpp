// kelmctl report against a running kelmsim: one setting changed by a restore, then the
// report as PDF (read back with pdftotext) and as HTML.
#include "sim/kelmsim/SimProcess.h"

#include "common/ProgramRun.h"
#include "core/files/FileTestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

using kelm::sim::test::SimProcess;
using namespace kelm::test;
using kelm::testing::ReadBytes;
using kelm::testing::WriteBytes;

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
    ASSERT_EQ(ctl({"backup", file("drive.dev")}).Code, 0);
    QString text = QString::fromLatin1(ReadBytes(file("drive.dev")));
    text.replace(QRegularExpression("\nSpeed Limit\t0*31\t[^\r]*"), "\nSpeed Limit\t31\t2500");
    ASSERT_TRUE(text.contains("\nSpeed Limit\t31\t2500\r"));
    WriteBytes(file("drive.dev"), text.toLatin1());
    ASSERT_EQ(ctl({"restore", file("drive.dev")}).Code, 0);

    ASSERT_EQ(ctl({"report", file("r.pdf")}).Code, 0);
    ASSERT_EQ(ctl({"report", file("r.html")}).Code, 0);
    const QString page = QString::fromUtf8(ReadBytes(file("r.html")));
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
