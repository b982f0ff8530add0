#pragma once

#include <QProcess>
#include <QString>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kelm::test {

// socat listening on a loopback TCP port and passing each connection's bytes raw to a
// terminal, as a serial device server passes them to its line. One connection at a time:
// a child still draining the last one would take the next one's replies. Path() is the port as the
// program and kelmctl name it; empty when socat did not start.
class SocatBridge {
public:
    explicit SocatBridge(const QString& terminal) {
        const std::uint16_t port = FreePort();
        process_.setReadChannel(QProcess::StandardError);
        // A group of its own, so that the children serving connections end with it.
        process_.setChildProcessModifier([] { ::setpgid(0, 0); });
        process_.start(QStringLiteral("socat"),
                       {QStringLiteral("-d"), QStringLiteral("-d"), QStringLiteral("-t"),
                        QStringLiteral("0.2"),
                        QStringLiteral("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr,fork,"
                                       "max-children=1")
                            .arg(port),
                        QStringLiteral("FILE:%1,raw,echo=0").arg(terminal)});
        if (!process_.waitForStarted(5000))
            return;
        QByteArray said;
        while (!said.contains("listening on") && process_.waitForReadyRead(5000))
            said += process_.readAllStandardError();
        if (said.contains("listening on"))
            path_ = QStringLiteral("tcp:127.0.0.1:%1").arg(port);
    }
    ~SocatBridge() {
        if (process_.processId() > 0)
            ::kill(-static_cast<pid_t>(process_.processId()), SIGTERM);
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(3000);
    }
    const QString& Path() const { return path_; }

private:
    static std::uint16_t FreePort() {
        const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(probe, reinterpret_cast<sockaddr*>(&address), size);
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
        ::close(probe);
        return ntohs(address.sin_port);
    }

    QProcess process_;
    QString path_;
};

} // namespace kelm::test
