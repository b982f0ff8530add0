// A whole link saved, changed, compared and restored with kelmctl machine against kelmsim
// (Power unit at 1, Drive units at 2, 3 and 4); a missing or replaced unit is refused before
// any write.
#include "sim/kelmsim/SimProcess.h"

#include "common/ProgramRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using kelm::sim::test::SimProcess;
using namespace kelm::test;

namespace {

struct Step {
    QString Control; // for kelmsim first, when not empty
    QStringList Arguments;
    int Code;
    QStringList Says = {};
    bool Writes = false; // the run reached the drives with a write
};

struct MachineCommands : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(sim.Start({"--kind", "link", "--units", "3", "--log", File("sim.log")}, false));
    }
    QString File(const QString& name) const { return files.filePath(name); }
    int Writes() const {
        QFile log(File("sim.log"));
        int count = 0; // function 16 in the log's third column
        for (const QByteArray& line :
             log.open(QIODevice::ReadOnly) ? log.readAll().split('\n') : QList<QByteArray>())
            count += line.split(' ').value(2) == "16" ? 1 : 0;
        return count;
    }
    void Run(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            SCOPED_TRACE((step.Control + " | " + step.Arguments.join(' ')).toStdString());
            if (!step.Control.isEmpty()) {
                ASSERT_TRUE(sim.Command(step.Control));
            }
            const int before = Writes();
            const ProgramRun run =
                Kelmctl(QStringList{"--device", sim.Path(), "--link", "machine"} + step.Arguments,
                        File("config"));
            EXPECT_EQ(run.Code, step.Code) << run.Out.toStdString() << run.Err.toStdString();
            for (const QString& text : step.Says)
                EXPECT_TRUE((run.Out + run.Err).contains(text))
                    << run.Out.toStdString() << run.Err.toStdString();
            EXPECT_EQ(Writes() > before, step.Writes);
        }
    }
    QTemporaryDir files;
    SimProcess sim;
};

TEST_F(MachineCommands, BackupChangeCompareRestore) {
    const QString dir = File("machine");
    // clang-format off
    Run({
        {"", {"backup", dir}, 0, {"unit 1 (Tarn Power): saved", "unit 4 (Tarn Drive): saved"}},
        {"set 4 43 777", {"compare", dir}, 1,
         {"unit 4 (Tarn Drive): 1 of ", "*\tSpeed Loop KP\t43\t777\t500",
          "unit 2 (Tarn Drive): 0 of "}},
        {"", {"restore", dir}, 1, {"nothing written"}},  // the question answered No
        {"", {"--yes", "restore", dir}, 0, {"unit 4 (Tarn Drive): restored"}, true},
        {"", {"compare", dir}, 0},
        // A unit that does not answer, then one replaced by another drive of its kind.
        {"silent 3 on", {"--yes", "restore", dir}, 1, {"unit 3 (Tarn Drive): missing"}},
        {"silent 3 off", {"compare", dir}, 0},
        {"replace 3 0x0566", {"--yes", "restore", dir}, 1,
         {"unit 3 (Tarn Drive): replaced: now ", "nothing written"}},
        {"", {"compare", dir}, 1, {"unit 3 (Tarn Drive): "}},
        {"", {"--yes", "--force", "restore", dir}, 0, {"unit 3 (Tarn Drive): restored"}, true},
        {"", {"compare", dir}, 0},
        // A backup with a silent unit lists it as missing; the folder is still written.
        {"silent 2 on", {"backup", File("partial")}, 1, {"unit 2 (Tarn Drive): missing"}},
        {"silent 2 off", {"--yes", "restore", File("partial")}, 1, {"unit 2: answers now"}},
    });
    // clang-format on
    EXPECT_TRUE(QFile::exists(QDir(File("partial")).filePath("machine.json")));
    // A comparison whose results cannot reach stdout is trouble, not "rows differ".
    QProcess lost;
    lost.setStandardOutputFile("/dev/full");
    StartProgram(lost, KELMCTL_PATH, {"--device", sim.Path(), "--link", "machine", "compare", dir},
                 File("config"));
    ASSERT_TRUE(lost.waitForFinished(60000));
    EXPECT_EQ(lost.exitCode(), 2);
    // No temporary or set-aside folder is left beside them.
    EXPECT_EQ(
        QDir(files.path()).entryList({".*"}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList());
}

} // namespace
