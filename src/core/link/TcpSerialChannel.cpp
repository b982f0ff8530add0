#include "core/link/TcpSerialChannel.h"

#include "core/link/MonotonicClock.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace kelm {
namespace {

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Waits for `events` on fd until the deadline: > 0 ready, 0 timed out, < 0 failed.
int WaitFor(int fd, short events, std::int64_t deadline) {
    for (;;) {
        const std::int64_t left = deadline - MonotonicMs();
        if (left <= 0)
            return 0;
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0)
            return (entry.revents & (POLLERR | POLLNVAL)) != 0 && (entry.revents & POLLIN) == 0 ? -1
                                                                                                : 1;
        if (ready < 0 && errno != EINTR)
            return -1;
    }
}

// One non-blocking connect to one resolved address, finished within the deadline.
int ConnectOne(const addrinfo& address, std::int64_t deadline, int& error) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address.ai_protocol);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) {
        error = errno;
        ::close(fd);
        return -1;
    }
    const int ready = WaitFor(fd, POLLOUT, deadline);
    int result = 0;
    socklen_t size = sizeof result;
    if (ready <= 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &size) != 0 || result != 0) {
        error = ready == 0 ? ETIMEDOUT : (result != 0 ? result : errno);
        ::close(fd);
        return -1;
    }
    // Requests are a few bytes each and must leave at once.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    return fd;
}

} // namespace

std::optional<TcpAddress> ParseTcpAddress(const QString& path) {
    if (!IsTcpPath(path))
        return std::nullopt;
    const QString rest = path.mid(4);
    const qsizetype colon = rest.lastIndexOf(u':');
    if (colon <= 0)
        return std::nullopt;
    QString host = rest.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(u':') || host.contains(u'[') || host.contains(u']'))
        return std::nullopt; // an IPv6 host needs its brackets
    bool number = false;
    const uint port = rest.mid(colon + 1).toUInt(&number);
    if (host.isEmpty() || !number || port == 0 || port > 65535)
        return std::nullopt;
    return TcpAddress{host, static_cast<std::uint16_t>(port)};
}

TcpSerialChannel::~TcpSerialChannel() {
    Close();
}

bool TcpSerialChannel::Open(const QString& devicePath) {
    Close();
    openError_.clear();
    const auto address = ParseTcpAddress(devicePath);
    if (!address) {
        openError_ = QStringLiteral("not a network port: write tcp:HOST:PORT");
        return false;
    }
    address_ = *address;
    socket_ = Connect(ConnectTimeoutMs);
    open_ = socket_ >= 0;
    return open_;
}

int TcpSerialChannel::Connect(int timeoutMs) {
    lastAttemptMs_ = MonotonicMs();
    const std::int64_t deadline = lastAttemptMs_ + timeoutMs;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const QByteArray host = address_.Host.toUtf8();
    const QByteArray port = QByteArray::number(address_.Port);
    if (const int failed = ::getaddrinfo(host.constData(), port.constData(), &hints, &found)) {
        openError_ = QStringLiteral("cannot find %1: %2")
                         .arg(address_.Host, QString::fromLocal8Bit(::gai_strerror(failed)));
        return -1;
    }
    int error = ECONNREFUSED;
    int fd = -1;
    for (const addrinfo* each = found; each != nullptr && fd < 0; each = each->ai_next)
        fd = ConnectOne(*each, deadline, error);
    ::freeaddrinfo(found);
    if (fd < 0)
        openError_ = QStringLiteral("cannot connect to %1 port %2: %3")
                         .arg(address_.Host)
                         .arg(address_.Port)
                         .arg(ErrorText(error));
    bufferStart_ = bufferEnd_ = 0;
    return fd;
}

void TcpSerialChannel::Drop() {
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
    bufferStart_ = bufferEnd_ = 0;
}

bool TcpSerialChannel::ApplyLineSettings(const LineSettings& settings) {
    if (!open_)
        return false;
    baudRate_ = settings.BaudRate;
    return true;
}

void TcpSerialChannel::Purge() {
    bufferStart_ = bufferEnd_ = 0;
    if (socket_ < 0)
        return;
    std::array<std::uint8_t, 256> discard{};
    for (;;) {
        const ssize_t n = ::recv(socket_, discard.data(), discard.size(), MSG_DONTWAIT);
        if (n > 0)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            Drop();
        if (n == 0 || errno != EINTR)
            return;
    }
}

long TcpSerialChannel::Write(const std::uint8_t* data, std::size_t length) {
    if (!open_)
        return -1;
    if (socket_ < 0 && MonotonicMs() - lastAttemptMs_ >= 1000)
        socket_ = Connect(ReconnectTimeoutMs);
    if (socket_ < 0)
        return -1;
    std::size_t sent = 0;
    const std::int64_t deadline = MonotonicMs() + ReconnectTimeoutMs;
    while (sent < length) {
        const ssize_t n = ::send(socket_, data + sent, length - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
                   WaitFor(socket_, POLLOUT, deadline) > 0) {
            continue;
        } else {
            Drop();
            return -1;
        }
    }
    return static_cast<long>(sent);
}

int TcpSerialChannel::ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) {
    if (!open_)
        return -1;
    const std::int64_t deadline = MonotonicMs() + timeoutMs;
    while (bufferStart_ == bufferEnd_) {
        if (socket_ < 0) {
            // Without a connection the line is silent for the time asked.
            const std::int64_t left = deadline - MonotonicMs();
            if (left > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(left));
            return 0;
        }
        const int ready = WaitFor(socket_, POLLIN, deadline);
        if (ready == 0)
            return 0;
        const ssize_t n = ready > 0 ? ::recv(socket_, buffer_.data(), buffer_.size(), 0) : -1;
        if (n > 0) {
            bufferStart_ = 0;
            bufferEnd_ = static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            Drop(); // closed by the server or broken: silent from here on
        }
    }
    byte = buffer_[bufferStart_++];
    return 1;
}

void TcpSerialChannel::Close() {
    Drop();
    open_ = false;
}

std::uint32_t TcpSerialChannel::ReplyAllowanceMs(std::size_t requestBytes) const {
    // The request still has to cross the server's line: 11 bits a character.
    const std::uint64_t wireMs =
        baudRate_ > 0
            ? (static_cast<std::uint64_t>(requestBytes) * 11 * 1000 + baudRate_ - 1) / baudRate_
            : 0;
    return NetworkAllowanceMs + static_cast<std::uint32_t>(wireMs);
}

} // namespace kelm
