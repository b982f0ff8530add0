// The channels the master opens: a terminal (a pseudo-terminal stands in for the serial
// port) and a device server (a listening socket of the test's own on the loopback).
#include "Pty.h"

#include "core/link/ComSettingsLogic.h"
#include "core/link/ModbusMaster.h"
#include "core/link/PortChannel.h"
#include "core/link/PosixSerialChannel.h"
#include "core/link/TcpSerialChannel.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

using namespace kelm;
using kelm::test::Pty;
using kelm::test::TerminalState;

// Raw mode, the parity bits (a pseudo-terminal drops PARENB itself but keeps the others), every
// listed rate and an exact restore.
TEST(PosixSerialChannel, ConfiguresRawAtEveryListedRateAndRestoresExactly) {
    const unsigned flags[] = {0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR, 0};
    for (std::uint8_t code = 0; code < 5; ++code)
        EXPECT_EQ(PosixSerialChannel::ParityControlFlags(code), flags[code]) << int(code);
    const Pty pty(false);
    ASSERT_TRUE(pty.Ok());
    const TerminalState before = pty.State();
    ASSERT_TRUE(before.Ok && (before.Lflag & ICANON));

    PosixSerialChannel channel;
    ASSERT_TRUE(channel.Open(pty.Path()));
    EXPECT_EQ(pty.State(), before); // opening alone changes nothing
    ASSERT_TRUE(channel.ApplyLineSettings({19200, 2}));
    const TerminalState raw = pty.State();
    EXPECT_EQ(std::tuple(raw.Lflag & (ICANON | ECHO | ISIG | IEXTEN),
                         (raw.Iflag & (ICRNL | IXON)) | (raw.Oflag & OPOST),
                         raw.Cflag & (CSIZE | CSTOPB | CREAD | CLOCAL | PARODD | CMSPAR),
                         raw.Ospeed, raw.Ispeed, raw.Vmin),
              std::tuple(0u, 0u, unsigned(CS8 | CREAD | CLOCAL), 19200u, 19200u, 0));
    ASSERT_TRUE(channel.ApplyLineSettings({9600, 3}));
    EXPECT_EQ(pty.State().Cflag & (PARODD | CMSPAR), unsigned(PARODD | CMSPAR));
    EXPECT_FALSE(channel.ApplyLineSettings({0, 2})); // no baud rate

    EXPECT_TRUE(channel.RestoreLineSettings());
    EXPECT_EQ(pty.State(), before);
    channel.Close();
    EXPECT_FALSE(channel.IsOpen());

    // Every rate the dialog offers opens; closing, or destroying, the master restores the pty.
    for (const QString& item : ComSettingsLogic::BaudItems()) {
        const std::uint32_t baud = item.toUInt();
        for (const bool close : {true, false}) {
            ModbusMaster master(std::make_unique<PosixSerialChannel>(),
                                [&](std::uint8_t) { return pty.Path(); });
            ASSERT_TRUE(master.OpenPort(1, baud, false, close ? 0 : 3)) << baud;
            EXPECT_EQ(std::tuple(pty.State().Ospeed, pty.State().Ispeed), std::tuple(baud, baud));
            EXPECT_NE(pty.State(), before);
            if (close)
                master.ClosePort();
        }
        EXPECT_EQ(pty.State(), before) << baud;
    }
}

// What is not a terminal, or is held by another opener, is refused; a channel that is not
// open refuses everything.
TEST(PosixSerialChannel, SecondOpenerAndNonTerminalsAreRefused) {
    const Pty pty(false);
    ASSERT_TRUE(pty.Ok());
    PosixSerialChannel first, second;
    EXPECT_FALSE(second.Open(QStringLiteral("/dev/null")));
    EXPECT_EQ(second.OpenError(), "not a serial port");
    EXPECT_FALSE(second.Open(QStringLiteral("/nonexistent/ttyS99")));
    EXPECT_EQ(second.OpenError(), "no such device");
    EXPECT_FALSE(second.Open(QString()));
    ASSERT_TRUE(first.Open(pty.Path()));
    EXPECT_FALSE(second.Open(pty.Path()));
    std::uint8_t byte = 0;
    EXPECT_TRUE(!second.IsOpen() && second.ReadByte(byte, 10) == -1 &&
                second.Write(&byte, 1) == -1);
    EXPECT_FALSE(second.ApplyLineSettings({19200, 2}) || second.ApplyTimeouts(10) ||
                 second.RestoreLineSettings() || second.RestoreTimeouts());
    second.Purge();
    second.Close();
    // An opener outside this class is refused too (TIOCEXCL; root bypasses it, the flock
    // above does not depend on that).
    const auto plainOpenWorks = [&pty] {
        const int fd = ::open(pty.Path().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        return fd >= 0 && ::close(fd) == 0;
    };
    EXPECT_TRUE(::geteuid() == 0 || !plainOpenWorks());
    first.Close();
    ASSERT_TRUE(second.Open(pty.Path()));
    // The exclusive mark is taken back at close: plain opens work again afterwards.
    second.Close();
    EXPECT_TRUE(plainOpenWorks());
}

// A failing terminal whose node stays may come back; one whose node has gone was unplugged.
TEST(PosixSerialChannel, AFailingPortIsRemovedOnlyWhenItsNodeHasGone) {
    for (const bool unplugged : {false, true}) {
        Pty pty;
        QTemporaryDir dir;
        const QString node = dir.filePath(QStringLiteral("ttyUSB0"));
        ASSERT_TRUE(QFile::link(pty.Path(), node));
        PosixSerialChannel channel;
        ASSERT_TRUE(channel.Open(node));
        // A hung-up pseudo-terminal's node goes with it: the name is kept alive by pointing
        // it elsewhere, as a port whose device stays would be.
        QFile::remove(node);
        ASSERT_TRUE(unplugged || QFile::link(QStringLiteral("/dev/null"), node));
        pty.CloseMaster();
        std::uint8_t byte = 0;
        EXPECT_EQ(channel.ReadByte(byte, 50), -1);
        EXPECT_EQ(channel.Removed(), unplugged);
    }
}

namespace {

// A listening socket on 127.0.0.1 and the one connection accepted from it.
struct Server {
    Server() {
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof address;
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(listener, 4);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~Server() {
        Hang();
        ::close(listener);
    }
    void Accept() { peer = ::accept(listener, nullptr, nullptr); }
    void Hang() {
        if (peer >= 0)
            ::close(peer);
        peer = -1;
    }
    QString Path() const { return QStringLiteral("tcp:127.0.0.1:%1").arg(port); }
    int listener = -1;
    int peer = -1;
    std::uint16_t port = 0;
};

QByteArray ReadAll(SerialChannel& channel, std::uint32_t waitMs) {
    QByteArray got;
    std::uint8_t byte = 0;
    while (channel.ReadByte(byte, waitMs) == 1)
        got.append(static_cast<char>(byte));
    return got;
}

} // namespace

TEST(TcpSerialChannel, AddressesItAcceptsAndRefuses) {
    const struct {
        const char* Path;
        std::optional<TcpAddress> Address;
    } cases[] = {
        {"tcp:192.168.0.7:4001", TcpAddress{"192.168.0.7", 4001}},
        {"tcp:server.plant:502", TcpAddress{"server.plant", 502}},
        {"tcp:[::1]:4001", TcpAddress{"::1", 4001}},
        {"tcp:::1:4001", std::nullopt}, // IPv6 without brackets
        {"tcp:host:0", std::nullopt},
        {"tcp:host:65536", std::nullopt},
        {"tcp:host:", std::nullopt},
        {"tcp::4001", std::nullopt},
        {"tcp:host", std::nullopt},
        {"/dev/ttyUSB0", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseTcpAddress(QString::fromLatin1(c.Path)), c.Address) << c.Path;
}

// Bytes both ways unchanged; a purge drops what came unasked; the line settings are the
// server's; a server that hangs up leaves a silent line until a write connects again.
TEST(TcpSerialChannel, PassesBytesAndOutlivesAHangUp) {
    Server server;
    PortChannel channel; // what the program and kelmctl open
    ASSERT_TRUE(channel.Open(server.Path())) << channel.OpenError().toStdString();
    server.Accept();
    EXPECT_TRUE(channel.ApplyLineSettings({9600, 3}));
    EXPECT_EQ(channel.ReplyAllowanceMs(8), TcpSerialChannel::NetworkAllowanceMs + 10); // 9.2 ms

    const std::uint8_t request[] = {1, 3, 0, 0, 0, 1, 0x84, 0x0a};
    EXPECT_EQ(channel.Write(request, sizeof request), 8);
    char received[8] = {};
    EXPECT_EQ(::recv(server.peer, received, 8, MSG_WAITALL), 8);
    EXPECT_EQ(QByteArray(received, 8), QByteArray(reinterpret_cast<const char*>(request), 8));
    ::send(server.peer, "stale", 5, 0);
    ::usleep(50000);
    channel.Purge();
    ::send(server.peer, "\x01\x83\x02", 3, 0);
    EXPECT_EQ(ReadAll(channel, 200), QByteArray("\x01\x83\x02"));

    server.Hang();
    std::uint8_t byte = 0;
    QElapsedTimer clock;
    clock.start();
    // Silent, not failing at once.
    EXPECT_EQ(std::pair(channel.ReadByte(byte, 100), channel.ReadByte(byte, 100)), std::pair(0, 0));
    EXPECT_TRUE(clock.elapsed() >= 90 && channel.IsOpen()) << clock.elapsed();
    ::usleep(1000000); // reconnects are at least a second apart
    EXPECT_EQ(channel.Write(request, sizeof request), 8);
    server.Accept();
    EXPECT_EQ(::recv(server.peer, received, 8, MSG_WAITALL), 8);
    channel.Close();
    EXPECT_EQ(channel.Write(request, sizeof request), -1);
}

TEST(TcpSerialChannel, NoServerIsARefusedOpenWithItsReason) {
    std::uint16_t port = 0;
    {
        const Server gone;
        port = gone.port;
    }
    PortChannel channel;
    EXPECT_FALSE(channel.Open(QStringLiteral("tcp:127.0.0.1:%1").arg(port)));
    EXPECT_TRUE(channel.OpenError().startsWith("cannot connect to 127.0.0.1 port "))
        << channel.OpenError().toStdString();
    EXPECT_FALSE(channel.Open(QStringLiteral("tcp:nowhere")));
    EXPECT_EQ(channel.OpenError(), "not a network port: write tcp:HOST:PORT");
}
