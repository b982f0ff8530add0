// A backup folder appears complete or not at all; an existing one is replaced whole, and a
// folder holding other files is never swept away.
#include "core/machine/AtomicFolder.h"
#include "core/machine/MachineManifest.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kelm;

namespace {

bool Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList Entries(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

struct FolderCase {
    const char* Name;
    QStringList Before; // files in the target before; empty list: no target
    bool TargetIsFile;
    bool Begins;
};

TEST(AtomicFolder, CommitAbandonAndRefusals) {
    const std::vector<FolderCase> cases = {
        {"new folder", {}, false, true},
        {"empty folder", {"."}, false, true},
        {"earlier backup", {ManifestFileName, "unit-001.tnp"}, false, true},
        {"folder of other files", {"notes.txt"}, false, false},
        {"a file by that name", {}, true, false},
    };
    for (const FolderCase& c : cases) {
        for (const bool commit : {false, true}) {
            SCOPED_TRACE(std::string(c.Name) + (commit ? " committed" : " abandoned"));
            QTemporaryDir parent;
            const QString target = QDir(parent.path()).filePath("machine");
            if (c.TargetIsFile) {
                ASSERT_TRUE(Put(target, "x"));
            } else if (!c.Before.isEmpty()) {
                ASSERT_TRUE(QDir().mkdir(target));
            }
            for (const QString& name : c.Before) {
                if (name != ".") {
                    ASSERT_TRUE(Put(QDir(target).filePath(name), "old"));
                }
            }
            const QStringList before = c.TargetIsFile ? QStringList() : Entries(target);
            {
                AtomicFolder folder(target);
                QString error;
                ASSERT_EQ(folder.Begin(&error), c.Begins) << error.toStdString();
                if (!c.Begins) {
                    EXPECT_FALSE(error.isEmpty());
                    continue;
                }
                ASSERT_TRUE(Put(QDir(folder.WorkPath()).filePath(ManifestFileName), "new"));
                // Nothing of the new folder shows under the target's name before the commit.
                EXPECT_EQ(c.TargetIsFile ? QStringList() : Entries(target), before);
                if (commit) {
                    ASSERT_TRUE(folder.Commit(&error)) << error.toStdString();
                }
            }
            // Only the target is left beside it: no temporary or old folder.
            const bool exists = commit || !c.Before.isEmpty();
            EXPECT_EQ(Entries(parent.path()), exists ? QStringList{"machine"} : QStringList());
            if (commit) {
                EXPECT_EQ(Entries(target), QStringList{ManifestFileName});
            } else if (exists) {
                EXPECT_EQ(Entries(target), before);
            }
        }
    }
}

} // namespace
