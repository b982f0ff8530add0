// The shipped files as bytes: every file present, 8-bit text with CR LF line ends, lines
// within the readers' limits, and the oscilloscope settings consistent with the scales.
#include "core/config/ScopeScales.h"
#include "core/seams/RecordingMessages.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <algorithm>
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

// Device tables: lines of eight fields, names short enough not to be cut by the reader.
TEST(ShippedFiles, EveryFileIsCrLfTextWithinTheLineLimit) {
    for (const QString name : kShippedFiles) {
        const QList<QByteArray> lines = Lines(name);
        ASSERT_FALSE(lines.isEmpty()) << name.toStdString() << " missing or empty";
        const bool table = name.contains(QRegularExpression("^(device|Tarn)"));
        EXPECT_TRUE(!table || lines[0] == "Kelm Devices Global Configuration File");
        const int limit = name.startsWith("Osci") ? ScopeScalesMaxLineChars : 99;
        for (int i = 0; i < lines.size(); ++i) {
            const QByteArray& line = lines[i];
            const std::string where = name.toStdString() + ": " + line.toStdString();
            EXPECT_LE(line.size(), limit) << where;
            // Plain text: no control character but the tab.
            EXPECT_FALSE(QString::fromLatin1(line).contains(
                QRegularExpression("[\\x00-\\x08\\x0a-\\x1f\\x7f]")))
                << where;
            const bool entry = table && i >= 2 && !line.startsWith(';');
            EXPECT_TRUE(!entry || (line.count('\t') == 7 && line.indexOf('\t') <= 19)) << where;
        }
    }
}

TEST(ShippedFiles, ScopeSettingsMatchTheScales) {
    RecordingMessages recorder;
    QSettings ini(kBin + "ZavaRive.dll", QSettings::IniFormat);
    const auto O = [&ini](int address) { return ini.value(QString("O%1").arg(address)).toInt(); };
    for (const auto& [section, file] : {std::pair("Std", "Osci.dll"), {"Tarn", "Osci_Tarn.dll"}}) {
        ScopeScaleSet signalSet;
        ASSERT_TRUE(LoadScopeScales(kBin + file, file, signalSet));
        ini.beginGroup(section);
        QStringList keys{"Ofs1", "Ofs2"};
        for (int a = 50000; a <= 50013; ++a)
            keys << QString("O%1").arg(a);
        for (const QString& key : keys)
            EXPECT_TRUE(ini.contains(key)) << section << " " << key.toStdString();
        EXPECT_EQ(O(50000), 0) << "must not arm the recorder";
        const int window = O(50001);
        EXPECT_TRUE(
            QList<int>({10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000}).contains(window));
        EXPECT_TRUE(O(50003) <= window && O(50004) >= 1 && O(50004) <= 3) << section;
        for (int channel = 0; channel < 2; ++channel) {
            const int number = O(50006 + channel);
            ASSERT_TRUE(number >= 1 && number <= static_cast<int>(signalSet.size())) << number;
            const auto& scales = signalSet[static_cast<std::size_t>(number - 1)].Scales;
            EXPECT_TRUE(std::any_of(scales.begin(), scales.end(),
                                    [&](const ScopeScale& scale) {
                                        return scale.UnitsPerDivision == O(50008 + channel);
                                    }))
                << section << " channel " << channel + 1;
            // Factor 2: samples taken as they are (multiply by 1).
            EXPECT_EQ(O(50012 + channel), 2);
        }
        ini.endGroup();
    }
    EXPECT_TRUE(recorder.Texts().isEmpty());
}
