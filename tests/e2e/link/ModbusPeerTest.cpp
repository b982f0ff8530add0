// kelmctl (and so the master) against libmodbus, an independent Modbus RTU implementation
// serving the other side of a pseudo-terminal: plain frames, parity none. Then kelmctl on a
// bare pseudo-terminal: the link line settings. The master's handling of bad replies is
// checked on the core's fake channel.
#include "../../core/link/Pty.h"
#include "common/ProgramRun.h"
#include "core/settings/SettingsStore.h"

#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <poll.h>
#include <thread>

using namespace kelm::test;

namespace {

// A libmodbus RTU server at address 1 answering on the master side of a pseudo-terminal until
// destroyed.
struct ModbusServer {
    explicit ModbusServer(int fd) {
        if (ctx_ && mapping_ && modbus_set_slave(ctx_.get(), 1) == 0 &&
            modbus_set_socket(ctx_.get(), fd) == 0) {
            modbus_set_indication_timeout(ctx_.get(), 0, 100000);
            thread_ = std::thread([this] {
                std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
                while (!stop_)
                    if (const int length = modbus_receive(ctx_.get(), query); length > 0)
                        modbus_reply(ctx_.get(), query, length, mapping_.get());
            });
        }
    }
    ~ModbusServer() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    bool Ok() const { return thread_.joinable(); }
    std::uint16_t* Registers() { return mapping_->tab_registers; }

    std::unique_ptr<modbus_t, decltype(&modbus_free)> ctx_{
        modbus_new_rtu("/dev/null", 19200, 'N', 8, 1), &modbus_free};
    std::unique_ptr<modbus_mapping_t, decltype(&modbus_mapping_free)> mapping_{
        modbus_mapping_new(0, 0, 600, 0), &modbus_mapping_free};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

// 45 values (signed, hexadecimal) go out as a full block and the rest, and come back the
// same way; options may also follow the command name.
TEST(ModbusPeer, KelmctlWritesAndReadsBlocks) {
    const Pty pty;
    ModbusServer server(pty.Master());
    ASSERT_TRUE(pty.Ok() && server.Ok());
    const QTemporaryDir config;
    const QStringList connection = {"--device", pty.Path(), "--baud",    "19200",
                                    "--parity", "none",     "--address", "1"};
    QStringList values{"0x10"};
    QString printed = "300\t16\n";
    for (int i = 1; i < 45; ++i) {
        values << QString::number(i * 1001 - 20000);
        printed += QStringLiteral("%1\t%2\n").arg(300 + i).arg(std::uint16_t(i * 1001 - 20000));
    }
    ProgramRun run = Kelmctl(connection + QStringList{"write", "300"} + values, config.path());
    EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(std::pair(server.Registers()[301], server.Registers()[344]),
              std::pair(std::uint16_t(-18999), std::uint16_t(24044)));
    run = Kelmctl(connection + QStringList{"read", "300", "45"}, config.path());
    EXPECT_EQ(std::pair(run.Code, run.Out), std::pair(0, printed)) << run.Err.toStdString();
    server.Registers()[0x103] = 65535;
    run = Kelmctl(QStringList{"read"} + connection + QStringList{"0x103"}, config.path());
    EXPECT_EQ(run.Out, "259\t65535\n");
}

// With --link the line runs at the Tarn Power table's register 5 default times 100 and
// without parity, whatever baud rate and parity the settings store holds.
TEST(KelmctlRaw, LinkModeTakesTheBaudRateFromThePowerTable) {
    std::uint32_t linkBaud = 0; // as the Bin folder beside kelmctl gives it
    QFile power(QFileInfo(KELMCTL_PATH).absolutePath() + "/Bin/TarnPower.dll");
    ASSERT_TRUE(power.open(QIODevice::ReadOnly));
    for (const QByteArray& line : power.readAll().split('\n'))
        if (const QList<QByteArray> f = line.trimmed().split('\t'); f.size() > 6 && f[3] == "5")
            linkBaud = f[6].toUInt() * 100U;
    ASSERT_GT(linkBaud, 0u);

    QTemporaryDir config, install; // stored settings unlike the link's: 9600 baud, odd parity
    ASSERT_TRUE(QDir(install.path()).mkpath("Data"));
    {
        kelm::SettingsStore store(install.path(), config.path() + "/Dorsel/Kelmmb.ini");
        store.BaudRate = 9600;
        store.Parity = 1;
    }
    const Pty pty;
    ASSERT_TRUE(pty.Ok());
    QProcess process;
    StartProgram(process, KELMCTL_PATH,
                 {"--device", pty.Path(), "--link", "--address", "3", "read", "5"}, config.path());
    // The line settings while kelmctl holds the port and waits for an answer to its request.
    ssize_t sent = 0;
    char bytes[64];
    for (int waited = 0; sent < 8 && !process.waitForFinished(10) && waited < 2000; ++waited)
        if (pollfd entry{pty.Master(), POLLIN, 0}; ::poll(&entry, 1, 0) > 0)
            sent += std::max<ssize_t>(0, ::read(pty.Master(), bytes, sizeof bytes));
    ASSERT_GE(sent, 8);
    const TerminalState line = pty.State();
    process.kill();
    process.waitForFinished();
    // A pseudo-terminal drops PARENB, not PARODD.
    EXPECT_EQ(std::tuple(line.Ok, line.Ospeed, line.Cflag & PARODD),
              std::tuple(true, linkBaud, 0u));
}
