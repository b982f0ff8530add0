// kelmctl check-config: loads every configuration file the way the program does at start.
#include "cli/CommandLine.h"
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

} // namespace

// Without BINDIR the installation folder is the executable's folder and the files are read
// from its "Bin/". With BINDIR the files are read from BINDIR and the installation folder
// is its parent. The devices folder, which the program creates at start, is a temporary
// folder here, so a check never writes into an installation.
// The messages the program would show go to stderr (through the message sink); stdout gets
// one line per file read with what it gave (registers, alarms, strings ...), so that a file
// cut short shows. The exit code is 1 when a message would end the program.
int RunCheckConfig(const QStringList& words, const CliOptions&) {
    CommandLine line("check-config", "[BINDIR]");
    if (const auto exit = line.Parse(words))
        return *exit;
    const QStringList& arguments = line.Positional();
    if (arguments.size() > 1)
        return line.Usage();
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
    ClearTerminateRequest();
    if (set.LoadAtDriverStart(installFolder, WithSlash(devices.path()) + "Data/Devices/")) {
        set.LoadAtMainWindowCreation(installFolder);
        set.LoadAtMainWindowShow(installFolder);
    }
    for (const QString& summary : set.Summary())
        std::printf("%s\n", summary.toLocal8Bit().constData());
    std::fflush(stdout);
    return TerminateRequested() ? 1 : 0;
}

} // namespace kelm::cli
