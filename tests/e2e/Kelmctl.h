#pragma once

#include <QProcess>
#include <QStringList>

namespace kelm::test {

struct CtlRun {
    int Code = -1; // -1: hung, -2: crashed
    QString Out, Err;
};

// Starts kelmctl with a configuration folder of its own: the user's settings stay out.
inline void StartKelmctl(QProcess& process, const QStringList& arguments, const QString& config) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config);
    process.setProcessEnvironment(environment);
    process.start(KELMCTL_PATH, arguments);
}

inline CtlRun Kelmctl(const QStringList& arguments, const QString& config) {
    QProcess process;
    StartKelmctl(process, arguments, config);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

} // namespace kelm::test
