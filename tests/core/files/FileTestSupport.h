#pragma once

#include "core/files/FileStamp.h"
#include "core/params/ParamTable.h"
#include "core/seams/RecordingMessages.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelm::testing {

// The four heading lines of a plain device file.
inline const QByteArray DeviceHeading = "Kelm Industries\r\nDevice Configuration File\r\n"
                                        "Generated on: x\r\nParameter\tAddress\tValue\r\n";

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline ParamEntry MakeEntry(std::uint16_t address, const QString& name, char kind = 'A',
                            bool compared = false) {
    return {.Name = name, .KindLetter = kind, .Address = address, .Compared = compared};
}

// Sunday 7 March 2027 at 09:05:03 in the C locale.
inline FileStamp FixedStamp(const QLocale& locale = QLocale::c()) {
    return {QDateTime(QDate(2027, 3, 7), QTime(9, 5, 3)), locale};
}

// A private folder for the files of one test and the messages shown meanwhile.
class FileTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
    RecordingMessages messages;
};

} // namespace kelm::testing
