#pragma once

#include <QProcess>
#include <QStringList>

namespace kelm::test {

struct ProgramRun {
    int Code = -1; // -1: hung, -2: crashed
    QString Out, Err;
};

// Starts a program; with `config`, in a configuration folder of its own, so the user's
// settings stay out.
inline void StartProgram(QProcess& process, const QString& program, const QStringList& arguments,
                         const QString& config = {}) {
    if (!config.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", config);
        process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
}

// Runs a program to its end (a minute at most) and keeps what it printed.
inline ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                             const QString& config = {}) {
    QProcess process;
    StartProgram(process, program, arguments, config);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

#ifdef KELMCTL_PATH
inline ProgramRun Kelmctl(const QStringList& arguments, const QString& config) {
    return RunProgram(KELMCTL_PATH, arguments, config);
}
#endif

} // namespace kelm::test
