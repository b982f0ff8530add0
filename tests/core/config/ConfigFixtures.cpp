#include "ConfigFixtures.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace kelm::test {

QByteArray CrLf(const QStringList& lines) {
    return lines.isEmpty() ? QByteArray() : (lines.join("\r\n") + "\r\n").toLatin1();
}

void WriteFixture(const QString& folder, const QString& name, const QByteArray& bytes) {
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(QDir(folder).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void WriteFixture(const QString& folder, const QString& name, const QStringList& lines) {
    WriteFixture(folder, name, CrLf(lines));
}

void WriteGoodConfigSet(const QString& folder) {
    // Per file its lines, joined by '|'.
    const QString table =
        "Kelm Devices Global Configuration File|Name\tAcc\tKind\tAddr\tMin\tMax\tDef\tCmp|";
    const QString io =
        "Kelm Digital I/O Configuration File|Caption\tMulti\tFlag\tText\tN1\tN2\tN3|";
    const QString homing =
        "Kelm Homing Configuration File|Method Descriptors|No Homing|Switch\tsearch a "
        "switch|End|Sensor Descriptors|NOpen|NClosed|End|"
        "Code\tName\tSensor\tZero\tAngle\tAcc\tSpeed\tZSpeed\tOffset|----|"
        "0\t0\t0\t0\t0\t0\t0\t0\t0|5\t1\t2\t1\t0\t1\t1\t1\t1";
    const std::pair<const char*, QString> files[] = {
        {"device.dll", table + "Speed\tU\tA\t0\t-100\t100\t10\t1|Mode\tE\tD\t1\t0\t5\t2\t0"},
        {"TarnPower.dll", table + "Bus\tU\tN\t3\t0\t800\t560\t0|Base\tE\tA\t4\t1\t31\t1\t0"},
        {"TarnDrive.dll", table + "Speed\tU\tA\t0\t-100\t100\t0\t1|Gain\tU\tA\t7\t0\t99\t9\t1"},
        {"TarnOrca230.dll", table + "; Orca table|Speed\tU\tA\t0\t-100\t100\t0\t1"},
        {"strall.dll", "Kelm Allarms Messages Configuration File|1\tOver Speed\tPwr Over\tDrv "
                       "Over\tOrca Over|2\tFeedback\tMains\tFeedback\tFeedback"},
        {"digIO.dll",
         io + "Inputs\t1\t0\tNone\t0\t0\t0|\t\t1\tEnable\t1\t0\t0|Outputs\t0\t0\tReady\t2\t0\t5"},
        {"DigIO_Tarn.dll", io + "Inputs\t0\t0\tNone\t0\t0\t0"},
        {"DigIO_Orca.dll", io + "Inputs\t0\t1\tHome\t4\t1\t0"},
        {"StrMon.dll", "Kelm Analog Outs Labels|Speed\tCurrent|Id\tIq"},
        {"StrMonTarnD.dll", "Kelm Analog Outs Labels|V_bus\tAngle"},
        {"StrMonOrca.dll", "Kelm Analog Outs Labels|Posit_Err\tFF_vel"},
        {"Btldr.dll", "Kelm bootloader configuration file|Kind\tFirst\tSecond\tProgram|"
                      "Drive\t1\t2\tTarnLoader.exe|Orca\t3\t4\tOrcaLoader.exe"},
        {"Homing.dll", homing},
        {"Homing_Tarn.dll", homing},
        {"Homing_Orca.dll", homing},
        {"Osci.dll",
         "Kelm Oscilloscope Y Axis Configuration|Speed\t\tCurrent\t|1 rpm\t1\t1 A\t10|10 rpm\t10"},
        {"Osci_Tarn.dll", "Kelm Oscilloscope Y Axis Configuration|Position\t|1 inc\t1"}};
    for (const auto& [name, lines] : files)
        WriteFixture(folder, name, lines.split('|'));
}

} // namespace kelm::test
