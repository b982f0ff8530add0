// kelmctl check-config: loads every configuration file the way the program does at start.
#include "cli/Commands.h"
#include "core/config/ConfigurationSet.h"
#include "core/seams/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace kelm::cli {
namespace {

QString WithSlash(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

void PrintSummary(const ConfigurationSet& set) {
    for (int k = 0; k < DeviceKindCount; ++k) {
        const auto kind = static_cast<DeviceKind>(k);
        int ioItems = 0;
        for (const IoGroup& group : set.IoGroupsOf(kind)) {
            ioItems += static_cast<int>(group.Items.size());
        }
        std::printf("%-14s %4d parameters, %3lld alarm texts, %3d I/O items, "
                    "%3lld analog labels, %2d homing methods, %2d scope signals\n",
                    DeviceKindText(kind).toLocal8Bit().constData(), set.KindTable(kind).Count(),
                    static_cast<long long>(set.AlarmTexts(kind).size()), ioItems,
                    static_cast<long long>(set.AnalogLabels(kind).First.size()),
                    static_cast<int>(set.Homing(kind).Methods.size()),
                    static_cast<int>(set.ScopeSet(kind).size()));
    }
}

} // namespace

// Without BINDIR the installation folder is the executable's folder and the files are read
// from its "Bin/". With BINDIR the files are read from BINDIR and the installation folder
// is its parent. The devices folder, which the program creates at start, is a temporary
// folder here, so a check never writes into an installation.
int RunCheckConfig(const QStringList& arguments, const CliOptions&) {
    if (arguments.size() > 1) {
        std::fprintf(stderr, "Usage: kelmctl check-config [BINDIR]\n");
        return 2;
    }
    ConfigurationSet set;
    QString installFolder = WithSlash(QCoreApplication::applicationDirPath());
    if (!arguments.isEmpty()) {
        const QString binFolder = QDir::cleanPath(QFileInfo(arguments.first()).absoluteFilePath());
        if (!QFileInfo(binFolder).isDir()) {
            std::fprintf(stderr, "kelmctl: %s is not a folder\n",
                         arguments.first().toLocal8Bit().constData());
            return 2;
        }
        installFolder = WithSlash(QFileInfo(binFolder).path());
        set.SetConfigFolder(binFolder);
    }
    QTemporaryDir devices;
    if (!devices.isValid()) {
        std::fprintf(stderr, "kelmctl: cannot create a temporary folder\n");
        return 2;
    }
    std::printf("Configuration folder: %s\n",
                set.ConfigFolder(installFolder).toLocal8Bit().constData());
    ClearTerminateRequest();
    if (set.LoadAtDriverStart(installFolder, WithSlash(devices.path()) + "Data/Devices/")) {
        set.LoadAtMainWindowCreation(installFolder);
        set.LoadAtMainWindowShow(installFolder);
    }
    PrintSummary(set);
    if (TerminateRequested()) {
        std::printf("Result: the program would terminate\n");
        return 1;
    }
    std::printf("Result: configuration usable\n");
    return 0;
}

} // namespace kelm::cli
