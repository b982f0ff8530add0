// The device-server channel against a listening socket of the test's own on the loopback.
#include "core/link/TcpSerialChannel.h"
#include "core/link/PortChannel.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace kelm;

namespace {

// A listening socket on 127.0.0.1 and the one connection accepted from it.
struct Server {
    Server() {
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
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
    EXPECT_EQ(channel.ReadByte(byte, 100), 0);
    EXPECT_EQ(channel.ReadByte(byte, 100), 0);
    EXPECT_GE(clock.elapsed(), 90); // silent, not failing at once
    EXPECT_TRUE(channel.IsOpen());
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
