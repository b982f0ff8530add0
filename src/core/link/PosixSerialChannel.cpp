// termios2 lives in <asm/termbits.h>, whose struct termios clashes with <termios.h>: this
// file includes only the kernel header and uses ioctls throughout.
#include "core/link/PosixSerialChannel.h"

#include "core/link/MonotonicClock.h"

#include <QFile>

#include <algorithm>
#include <asm/termbits.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kelm {
namespace {

enum class Readiness { Ready, TimedOut, Failed };

// Waits until fd is ready for `events` or the deadline passes. A hang-up or error is a
// failure even when data is still pending (ReadByte takes the last bytes itself).
Readiness WaitReady(int fd, short events, std::int64_t deadline) {
    for (;;) {
        const std::int64_t left = deadline - MonotonicMs();
        if (left <= 0) {
            return Readiness::TimedOut;
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0) {
            if (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) {
                return Readiness::Failed;
            }
            return Readiness::Ready;
        }
        if (ready < 0 && errno != EINTR) {
            return Readiness::Failed;
        }
    }
}

// Time the bytes take on the line: 11 bits per character (start, 8 data, parity, stop).
std::chrono::microseconds WireTime(std::size_t bytes, unsigned baudRate) {
    if (baudRate == 0) {
        return std::chrono::microseconds(0);
    }
    return std::chrono::microseconds(static_cast<std::int64_t>(bytes) * 11 * 1000000 / baudRate);
}

// The caller's reply deadline starts when Write returns, so return only once the request
// has left the line: the output queue has drained (tcdrain), and at least the request's
// wire time at the port's baud rate has passed since it was handed over (a pseudo-terminal
// or an adapter that buffers reports empty at once).
void AwaitLineEmpty(int fd, std::size_t written, std::chrono::steady_clock::time_point started) {
    if (written == 0) {
        return;
    }
    while (::ioctl(fd, TCSBRK, 1) != 0 && errno == EINTR) {
    }
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) == 0) {
        std::this_thread::sleep_until(started + WireTime(written, tio.c_ospeed));
    }
}

} // namespace

struct PosixSerialChannel::Saved {
    termios2 Settings{};
    std::optional<int> SerialFlags; // before the low-latency request, when it was taken
};

PosixSerialChannel::PosixSerialChannel() : saved_(std::make_unique<Saved>()) {}

PosixSerialChannel::~PosixSerialChannel() {
    Close();
}

QString PosixSerialChannel::DescribeOpenError(int error, const QString& accessGroup) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return QStringLiteral("no such device");
    case EACCES:
    case EPERM:
        if (accessGroup.isEmpty())
            return QStringLiteral("permission denied");
        return QStringLiteral("permission denied: the port belongs to the group \"%1\". Add "
                              "your user to it with: sudo usermod -aG %1 $USER (then log out "
                              "and in again)")
            .arg(accessGroup);
    case EBUSY:
    case EWOULDBLOCK:
        return QStringLiteral("the port is busy (in use by another program)");
    case ENOTTY:
    case EINVAL:
        return QStringLiteral("not a serial port");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString PosixSerialChannel::OwningGroup(const QString& path) {
    struct stat info {};
    if (::stat(path.toLocal8Bit().constData(), &info) != 0 || info.st_gid == 0)
        return {};
    // A group this process already has cannot be the missing permission.
    if (info.st_gid == ::getegid())
        return {};
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
    if (count > 0 &&
        std::find(groups.begin(), groups.begin() + count, info.st_gid) != groups.begin() + count)
        return {};
    const group* entry = ::getgrgid(info.st_gid);
    return entry != nullptr ? QString::fromLocal8Bit(entry->gr_name) : QString();
}

bool PosixSerialChannel::Open(const QString& devicePath) {
    if (IsOpen()) {
        openError_ = QStringLiteral("already open");
        return false;
    }
    if (devicePath.isEmpty()) {
        openError_ = QStringLiteral("no device path");
        return false;
    }
    const auto fail = [this, &devicePath](int error) {
        openError_ = DescribeOpenError(
            error, error == EACCES || error == EPERM ? OwningGroup(devicePath) : QString());
        return false;
    };
    const QByteArray path = devicePath.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return fail(errno);
    }
    // flock refuses a second opener even when TIOCEXCL does not (root ignores it).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(error);
    }
    if (::ioctl(fd, TCGETS2, &saved_->Settings) != 0) {
        const int error = errno;
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return fail(error);
    }
    fd_ = fd;
    path_ = devicePath;
    removed_ = false;
    openError_.clear();
    RequestLowLatency();
    latency_ = LowerAdapterLatency(devicePath);
    return true;
}

// Asks the driver to pass received bytes on at once (a USB adapter's driver then lowers its
// latency timer). Ports that do not know the request keep working as they are.
void PosixSerialChannel::RequestLowLatency() {
    saved_->SerialFlags.reset();
    serial_struct serial{};
    if (::ioctl(fd_, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY) != 0)
        return;
    const int flags = serial.flags;
    serial.flags |= ASYNC_LOW_LATENCY;
    if (::ioctl(fd_, TIOCSSERIAL, &serial) == 0)
        saved_->SerialFlags = flags;
}

// A failing port whose device node has gone was unplugged (a USB adapter); a hung-up
// terminal whose node is still there may come back.
void PosixSerialChannel::NoteFailure() {
    struct stat info {};
    if (!path_.isEmpty() && ::stat(QFile::encodeName(path_).constData(), &info) != 0 &&
        errno == ENOENT)
        removed_ = true;
}

QString PosixSerialChannel::LineNote() const {
    return IsOpen() ? DescribeAdapterLatency(latency_) : QString();
}

unsigned PosixSerialChannel::ParityControlFlags(std::uint8_t parityCode) {
    switch (parityCode) {
    case 1:
        return PARENB | PARODD;
    case 2:
        return PARENB;
    case 3:
        return PARENB | PARODD | CMSPAR; // mark: the parity bit is always 1
    default:
        return 0;
    }
}

bool PosixSerialChannel::ApplyLineSettings(const LineSettings& settings) {
    if (!IsOpen() || settings.BaudRate == 0) {
        return false;
    }
    termios2 tio = saved_->Settings;
    // Raw mode: no input or output processing, no echo, no signals, no flow control.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXON | IXOFF | IXANY | INPCK | IUCLC | IMAXBEL);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS |
                                          CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    tio.c_cflag |= ParityControlFlags(settings.ParityCode);
    tio.c_ispeed = settings.BaudRate;
    tio.c_ospeed = settings.BaudRate;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::ioctl(fd_, TCSETS2, &tio) == 0;
}

bool PosixSerialChannel::ApplyTimeouts(std::uint32_t ms) {
    if (!IsOpen()) {
        return false;
    }
    // Reads take their wait per call; the write allowance is ms plus ms per byte.
    writeTimeoutMs_ = ms;
    return true;
}

bool PosixSerialChannel::RestoreLineSettings() {
    return IsOpen() && ::ioctl(fd_, TCSETS2, &saved_->Settings) == 0;
}

bool PosixSerialChannel::RestoreTimeouts() {
    // Nothing of the device was changed by ApplyTimeouts.
    return IsOpen();
}

void PosixSerialChannel::Purge() {
    if (IsOpen()) {
        ::ioctl(fd_, TCFLSH, TCIOFLUSH);
    }
}

long PosixSerialChannel::Write(const std::uint8_t* data, std::size_t length) {
    if (!IsOpen()) {
        return -1;
    }
    const auto started = std::chrono::steady_clock::now();
    const std::int64_t deadline =
        MonotonicMs() + writeTimeoutMs_ + static_cast<std::int64_t>(writeTimeoutMs_) * length;
    std::size_t written = 0;
    while (written < length) {
        const ssize_t n = ::write(fd_, data + written, length - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            if (WaitReady(fd_, POLLOUT, deadline) != Readiness::Ready) {
                break;
            }
        } else {
            NoteFailure();
            return written > 0 ? static_cast<long>(written) : -1;
        }
    }
    AwaitLineEmpty(fd_, written, started);
    return static_cast<long>(written);
}

int PosixSerialChannel::ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) {
    if (!IsOpen()) {
        return -1;
    }
    const std::int64_t deadline = MonotonicMs() + timeoutMs;
    for (;;) {
        // Raw mode with VMIN 0: an empty input queue reads as 0 bytes (or EAGAIN).
        const ssize_t n = ::read(fd_, &byte, 1);
        if (n == 1) {
            return 1;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            NoteFailure();
            return -1;
        }
        switch (WaitReady(fd_, POLLIN, deadline)) {
        case Readiness::Ready:
            break;
        case Readiness::TimedOut:
            return 0;
        case Readiness::Failed:
            if (::read(fd_, &byte, 1) == 1)
                return 1; // last bytes
            NoteFailure();
            return -1;
        }
    }
}

void PosixSerialChannel::Close() {
    if (!IsOpen()) {
        return;
    }
    if (saved_->SerialFlags) {
        serial_struct serial{};
        if (::ioctl(fd_, TIOCGSERIAL, &serial) == 0) {
            serial.flags = *saved_->SerialFlags;
            ::ioctl(fd_, TIOCSSERIAL, &serial);
        }
        saved_->SerialFlags.reset();
    }
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

} // namespace kelm
