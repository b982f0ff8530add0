// The shipped files as bytes: every file present, 8-bit text with CR LF line ends, lines
// within the readers' limits, and the oscilloscope settings consistent with the scales.
#include "core/config/ScopeScales.h"
#include "core/seams/RecordingMessages.h"

#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

using namespace kelm;

namespace {

const QString kBin = QStringLiteral(KELM_RUNTIME_DIR "/Bin/");

const char* const kShippedFiles[] = {
    "device.dll",     "TarnPower.dll",  "TarnDrive.dll",  "TarnOrca230.dll", "strall.dll",
    "digIO.dll",      "DigIO_Tarn.dll", "DigIO_Orca.dll", "StrMon.dll",      "StrMonTarnD.dll",
    "StrMonOrca.dll", "Btldr.dll",      "Homing.dll",     "Homing_Tarn.dll", "Homing_Orca.dll",
    "Osci.dll",       "Osci_Tarn.dll",  "ZavaRive.dll"};

QByteArray ReadAll(const QString& name) {
    QFile f(kBin + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Lines without their CR LF; fails the test when a line end is not CR LF.
QList<QByteArray> Lines(const QString& name) {
    const QByteArray bytes = ReadAll(name);
    EXPECT_TRUE(bytes.endsWith("\r\n")) << name.toStdString();
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // after the final line end
    for (QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << name.toStdString() << ": LF without CR";
        line.chop(1);
        EXPECT_FALSE(line.contains('\r')) << name.toStdString() << ": stray CR";
    }
    return lines;
}

} // namespace

TEST(ShippedFiles, EveryFileIsCrLfTextWithinTheLineLimit) {
    for (const char* name : kShippedFiles) {
        const QList<QByteArray> lines = Lines(name);
        ASSERT_FALSE(lines.isEmpty()) << name << " missing or empty";
        const int limit = QByteArray(name).startsWith("Osci") ? ScopeScalesMaxLineChars : 99;
        for (const QByteArray& line : lines) {
            EXPECT_LE(line.size(), limit) << name << ": " << line.constData();
            for (char c : line) // plain text: printable characters and tabs
                EXPECT_TRUE(c == '\t' || (static_cast<unsigned char>(c) >= 32 &&
                                          static_cast<unsigned char>(c) != 127))
                    << name << ": control character in " << line.constData();
        }
    }
}

TEST(ShippedFiles, DeviceTableNamesFitAndLinesHaveEightFields) {
    for (const char* name : {"device.dll", "TarnPower.dll", "TarnDrive.dll", "TarnOrca230.dll"}) {
        const QList<QByteArray> lines = Lines(name);
        ASSERT_GT(lines.size(), 2);
        EXPECT_EQ(lines[0], "Kelm Devices Global Configuration File");
        for (int i = 2; i < lines.size(); ++i) {
            const QByteArray& line = lines[i];
            if (line.startsWith(';'))
                continue;
            const QList<QByteArray> fields = line.split('\t');
            EXPECT_EQ(fields.size(), 8) << name << ": " << line.constData();
            // A longer name would be cut silently by the reader.
            EXPECT_LE(fields[0].size(), 19) << name << ": " << line.constData();
        }
    }
}

TEST(ShippedFiles, ScopeSettingsMatchTheScales) {
    RecordingMessages recorder;
    QSettings ini(kBin + "ZavaRive.dll", QSettings::IniFormat);
    const std::pair<const char*, const char*> sections[] = {{"Std", "Osci.dll"},
                                                            {"Tarn", "Osci_Tarn.dll"}};
    for (const auto& [section, file] : sections) {
        ScopeScaleSet signalSet;
        ASSERT_TRUE(LoadScopeScales(kBin + file, file, signalSet));
        ini.beginGroup(section);
        for (int a = 50000; a <= 50013; ++a)
            EXPECT_TRUE(ini.contains(QString("O%1").arg(a))) << section << " O" << a;
        EXPECT_TRUE(ini.contains("Ofs1"));
        EXPECT_TRUE(ini.contains("Ofs2"));
        EXPECT_EQ(ini.value("O50000").toInt(), 0) << "must not arm the recorder";
        const int window = ini.value("O50001").toInt();
        EXPECT_TRUE(
            QList<int>({10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000}).contains(window));
        EXPECT_LE(ini.value("O50003").toInt(), window);
        EXPECT_GE(ini.value("O50004").toInt(), 1);
        EXPECT_LE(ini.value("O50004").toInt(), 3);
        for (int channel = 0; channel < 2; ++channel) {
            const int number = ini.value(QString("O%1").arg(50006 + channel)).toInt();
            ASSERT_GE(number, 1);
            ASSERT_LE(number, static_cast<int>(signalSet.size()));
            const int units = ini.value(QString("O%1").arg(50008 + channel)).toInt();
            bool found = false;
            for (const ScopeScale& scale : signalSet[static_cast<std::size_t>(number - 1)].Scales)
                found = found || scale.UnitsPerDivision == units;
            EXPECT_TRUE(found) << section << " channel " << channel + 1 << " scale " << units;
            // Factor 2: samples taken as they are (multiply by 1).
            EXPECT_EQ(ini.value(QString("O%1").arg(50012 + channel)).toInt(), 2);
        }
        ini.endGroup();
    }
    EXPECT_TRUE(recorder.Texts().isEmpty());
}
