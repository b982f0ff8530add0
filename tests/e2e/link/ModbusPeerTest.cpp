// kelmctl (and so the master) against libmodbus, an independent Modbus RTU implementation,
// over a pair of pseudo-terminals: plain frames, parity none (see the design notes on
// libmodbus and ptys). Then kelmctl on a bare pseudo-terminal: a dead line and the link line
// settings. The master's handling of bad replies is checked on the core's fake channel.
#include "PtyBridge.h"

#include "../../core/link/Pty.h"
#include "core/common/Ticks.h"
#include "core/settings/SettingsStore.h"

#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace kelm;
using kelm::test::PtyBridge;

namespace {

constexpr int Slave = 1;
constexpr int RegisterCount = 600;

// A libmodbus RTU server answering on one side of the bridge until destroyed.
class ModbusServer {
public:
    explicit ModbusServer(const QString& path)
        : ctx_(modbus_new_rtu(path.toLocal8Bit().constData(), 19200, 'N', 8, 1), &modbus_free),
          mapping_(modbus_mapping_new(0, 0, RegisterCount, 0), &modbus_mapping_free) {
        if (ctx_ && mapping_ && modbus_set_slave(ctx_.get(), Slave) == 0 &&
            modbus_connect(ctx_.get()) == 0) {
            modbus_set_indication_timeout(ctx_.get(), 0, 100000);
            thread_ = std::thread([this] { Serve(); });
        }
    }
    ~ModbusServer() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
            modbus_close(ctx_.get());
        }
    }

    bool Ok() const { return thread_.joinable(); }
    std::uint16_t* Registers() { return mapping_->tab_registers; }

private:
    void Serve() {
        std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
        while (!stop_) {
            const int length = modbus_receive(ctx_.get(), query);
            if (length > 0) {
                modbus_reply(ctx_.get(), query, length, mapping_.get());
            }
        }
    }

    std::unique_ptr<modbus_t, decltype(&modbus_free)> ctx_;
    std::unique_ptr<modbus_mapping_t, decltype(&modbus_mapping_free)> mapping_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct CliRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

void StartKelmctl(QProcess& process, const QStringList& arguments, const QString& config) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KELMCTL_PATH), arguments);
}

CliRun RunKelmctl(const QStringList& arguments) {
    static QTemporaryDir config;
    QProcess process;
    StartKelmctl(process, arguments, config.path());
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

class ModbusPeer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bridge.Ok());
        server = std::make_unique<ModbusServer>(bridge.PathA());
        ASSERT_TRUE(server->Ok());
    }

    PtyBridge bridge;
    std::unique_ptr<ModbusServer> server;
};

} // namespace

// 45 values (signed, hexadecimal) go out as a full block and the rest, and come back the
// same way; options may also follow the command name.
TEST_F(ModbusPeer, KelmctlWritesAndReadsBlocks) {
    const QStringList connection = {"--device", bridge.PathB(), "--baud",    "19200",
                                    "--parity", "none",         "--address", "1"};
    QStringList values{"0x10"};
    QString printed = "300\t16\n";
    for (int i = 1; i < 45; ++i) {
        values << QString::number(i * 1001 - 20000);
        printed += QStringLiteral("%1\t%2\n").arg(300 + i).arg(std::uint16_t(i * 1001 - 20000));
    }
    CliRun run = RunKelmctl(connection + QStringList{"write", "300"} + values);
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(server->Registers()[301], std::uint16_t(-18999));
    EXPECT_EQ(server->Registers()[344], 24044);
    run = RunKelmctl(connection + QStringList{"read", "300", "45"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, printed);
    server->Registers()[0x103] = 65535;
    run = RunKelmctl(QStringList{"read"} + connection + QStringList{"0x103"});
    EXPECT_EQ(run.Out, "259\t65535\n");
}

TEST(KelmctlRaw, DeadLineAndBadInputFail) {
    const kelm::test::Pty pty;
    ASSERT_TRUE(pty.Ok());
    const QStringList on = {"--device", pty.Path(), "--parity", "none"};
    const struct {
        QStringList Arguments;
        int ExitCode;
        QString Says;
    } cases[] = {
        {on + QStringList{"read", "0"}, 1, "Device not Respondig"},
        {on + QStringList{"write", "0", "70000"}, 2, "70000"},
        {on + QStringList{"read", "65535", "2"}, 2, ""},
        {{"--parity", "seven", "read", "0"}, 2, ""},
        {{"--port", "3", "--device", pty.Path(), "read", "0"}, 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        const CliRun run = RunKelmctl(c.Arguments);
        EXPECT_EQ(run.ExitCode, c.ExitCode);
        EXPECT_TRUE(run.Err.contains(c.Says)) << run.Err.toStdString();
        EXPECT_TRUE(run.Out.isEmpty());
    }
}

// With --link the line runs at the Tarn Power table's register 5 default times 100 and
// without parity, whatever baud rate and parity the settings store holds.
TEST(KelmctlRaw, LinkModeTakesTheBaudRateFromThePowerTable) {
    // The link rate as the Bin folder beside kelmctl gives it.
    std::uint32_t linkBaud = 0;
    QFile power(QFileInfo(QStringLiteral(KELMCTL_PATH)).absolutePath() + "/Bin/TarnPower.dll");
    ASSERT_TRUE(power.open(QIODevice::ReadOnly));
    for (const QByteArray& line : power.readAll().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split('\t');
        if (fields.size() > 6 && fields[3] == "5") {
            linkBaud = fields[6].toUInt() * 100U;
        }
    }
    ASSERT_GT(linkBaud, 0u);

    // Stored settings that differ from the link's: 9600 baud, odd parity.
    QTemporaryDir config;
    QTemporaryDir install;
    ASSERT_TRUE(QDir(install.path()).mkpath("Data"));
    {
        SettingsStore store(install.path(), config.path() + "/Dorsel/Kelmmb.ini");
        store.BaudRate = 9600;
        store.Parity = 1;
    }

    const kelm::test::Pty pty;
    ASSERT_TRUE(pty.Ok());
    QProcess process;
    StartKelmctl(process, {"--device", pty.Path(), "--link", "--address", "3", "read", "5"},
                 config.path());
    // The line settings while kelmctl holds the port and waits for an answer to its request.
    std::size_t sent = 0;
    const std::uint32_t start = TickCount();
    while (sent < 8 && !process.waitForFinished(10) && TickCount() - start < 20000) {
        pollfd entry{pty.Master(), POLLIN, 0};
        std::uint8_t byte = 0;
        while (::poll(&entry, 1, 0) > 0 && ::read(pty.Master(), &byte, 1) == 1)
            ++sent;
    }
    ASSERT_GE(sent, 8u);
    const kelm::test::TerminalState line = kelm::test::ReadTerminalState(pty.Master());
    process.kill();
    process.waitForFinished();
    ASSERT_TRUE(line.Ok);
    EXPECT_EQ(line.Ospeed, linkBaud);
    EXPECT_EQ(line.Cflag & PARODD, 0u); // a pseudo-terminal drops PARENB, not PARODD
}
