#include "Pty.h"

#include "core/link/ComSettingsLogic.h"
#include "core/link/ModbusMaster.h"
#include "core/link/PosixSerialChannel.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
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
    EXPECT_EQ(raw.Lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ((raw.Iflag & (ICRNL | IXON)) | (raw.Oflag & OPOST), 0u);
    EXPECT_EQ(raw.Cflag & (CSIZE | CSTOPB | CREAD | CLOCAL | PARODD | CMSPAR),
              unsigned(CS8 | CREAD | CLOCAL));
    EXPECT_EQ(std::tuple(raw.Ospeed, raw.Ispeed, raw.Vmin), std::tuple(19200u, 19200u, 0));
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
    PosixSerialChannel first;
    PosixSerialChannel second;
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
    EXPECT_FALSE(second.ApplyLineSettings({19200, 2}) || second.ApplyTimeouts(10));
    EXPECT_FALSE(second.RestoreLineSettings() || second.RestoreTimeouts());
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
        if (!unplugged) {
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), node));
        }
        pty.CloseMaster();
        std::uint8_t byte = 0;
        EXPECT_EQ(channel.ReadByte(byte, 50), -1);
        EXPECT_EQ(channel.Removed(), unplugged);
    }
}
