// The master against libmodbus, an independent Modbus RTU implementation, over a pair of
// pseudo-terminals: plain frames, parity none (see the design notes on libmodbus and ptys).
#include "PtyBridge.h"

#include "../../core/link/Pty.h"
#include "core/common/Ticks.h"
#include "core/link/Crc16.h"
#include "core/link/ModbusMaster.h"
#include "core/link/PosixSerialChannel.h"
#include "core/seams/RecordingMessages.h"
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
    explicit ModbusServer(const QString& path) {
        ctx_ = modbus_new_rtu(path.toLocal8Bit().constData(), 19200, 'N', 8, 1);
        mapping_ = modbus_mapping_new(0, 0, RegisterCount, 0);
        if (ctx_ == nullptr || mapping_ == nullptr || modbus_set_slave(ctx_, Slave) != 0 ||
            modbus_connect(ctx_) != 0) {
            return;
        }
        modbus_set_indication_timeout(ctx_, 0, 100000);
        ok_ = true;
        thread_ = std::thread([this] { Serve(); });
    }
    ~ModbusServer() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (ctx_ != nullptr) {
            modbus_close(ctx_);
            modbus_free(ctx_);
        }
        if (mapping_ != nullptr) {
            modbus_mapping_free(mapping_);
        }
    }
    ModbusServer(const ModbusServer&) = delete;
    ModbusServer& operator=(const ModbusServer&) = delete;

    bool Ok() const { return ok_; }
    std::uint16_t* Registers() { return mapping_->tab_registers; }
    int Requests() const { return requests_; }

private:
    void Serve() {
        std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
        while (!stop_) {
            const int length = modbus_receive(ctx_, query);
            if (length > 0) {
                ++requests_;
                modbus_reply(ctx_, query, length, mapping_);
            }
        }
    }

    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* mapping_ = nullptr;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

class ModbusPeer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bridge.Ok());
        server = std::make_unique<ModbusServer>(bridge.PathA());
        ASSERT_TRUE(server->Ok());
        const QString path = bridge.PathB();
        master = std::make_unique<ModbusMaster>(std::make_unique<PosixSerialChannel>(),
                                                [path](std::uint8_t) { return path; });
        ASSERT_TRUE(master->OpenPort(1, 19200, false, 0));
        master->DeviceAddress = Slave;
    }

    RecordingMessages messages;
    PtyBridge bridge;
    std::unique_ptr<ModbusServer> server;
    std::unique_ptr<ModbusMaster> master;
};

} // namespace

TEST_F(ModbusPeer, WritesAFullBlockAndReadsItBack) {
    std::array<std::uint16_t, 40> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::uint16_t>(0x8000 + i * 7);
    }
    ASSERT_TRUE(master->WriteRegisters(500, out.data(), 40, 100, true));
    for (std::size_t i = 0; i < out.size(); ++i) {
        ASSERT_EQ(server->Registers()[500 + i], out[i]) << i;
    }
    std::array<std::uint16_t, 40> back{};
    ASSERT_TRUE(master->ReadRegisters(500, back.data(), 40, 100, true));
    EXPECT_EQ(back, out);
    const std::uint16_t one = 42;
    ASSERT_TRUE(master->WriteRegisters(7, &one, 1, 100, true));
    EXPECT_EQ(server->Registers()[7], 42);
    EXPECT_TRUE(messages.Boxes().empty());
}

TEST_F(ModbusPeer, ExceptionReplyFailsLikeSilenceAndTheLineRecovers) {
    // Beyond the server's registers: it answers with a 5-byte exception.
    std::uint16_t value = 0xAAAA;
    const std::uint32_t start = TickCount();
    EXPECT_FALSE(master->ReadRegisters(RegisterCount - 1, &value, 2, 100, false));
    const std::uint32_t took = TickCount() - start;
    // Each try waits out the 70 ms inter-byte allowance after the short reply, then pauses.
    EXPECT_GE(took, 500u);
    EXPECT_LE(took, 3000u);
    EXPECT_EQ(value, 0xAAAA);
    EXPECT_EQ(master->FailureCount, 3u);
    EXPECT_TRUE(master->IsPortOpen());
    EXPECT_TRUE(messages.Boxes().empty());
    EXPECT_GE(server->Requests(), 3);

    server->Registers()[10] = 99;
    ASSERT_TRUE(master->ReadRegisters(10, &value, 1, 100, true));
    EXPECT_EQ(value, 99);
}

// --- kelmctl raw access -------------------------------------------------------------------

namespace {

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
    CliRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.Err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

TEST_F(ModbusPeer, KelmctlReadsAndWrites) {
    master->ClosePort(); // kelmctl needs the port to itself
    const QStringList connection = {"--device", bridge.PathB(), "--baud",    "19200",
                                    "--parity", "none",         "--address", "1"};
    server->Registers()[0x102] = 4660;
    server->Registers()[0x103] = 65535;
    CliRun run = RunKelmctl(connection + QStringList{"read", "0x102", "2"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, "258\t4660\n259\t65535\n");

    run = RunKelmctl(connection + QStringList{"write", "300", "1", "-1", "0x10"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(server->Registers()[300], 1);
    EXPECT_EQ(server->Registers()[301], 0xFFFF);
    EXPECT_EQ(server->Registers()[302], 0x10);

    // More than one block: 45 registers come in two requests.
    run = RunKelmctl(connection + QStringList{"read", "300", "45"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out.count('\n'), 45);
    EXPECT_TRUE(run.Out.startsWith("300\t1\n301\t65535\n302\t16\n"));
    EXPECT_TRUE(run.Out.endsWith("344\t0\n"));

    // Options may also follow the command name.
    run = RunKelmctl(QStringList{"read"} + connection + QStringList{"0x103"});
    EXPECT_EQ(run.Out, "259\t65535\n");
}

TEST(KelmctlRaw, DeadLineAndBadInputFail) {
    const kelm::test::Pty pty;
    ASSERT_TRUE(pty.Ok());
    const QStringList connection = {"--device", pty.Path(), "--parity", "none"};
    CliRun run = RunKelmctl(connection + QStringList{"read", "0"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_TRUE(run.Err.contains("Device not Respondig")) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.isEmpty());

    run = RunKelmctl(connection + QStringList{"write", "0", "70000"});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.contains("70000"));
    run = RunKelmctl(connection + QStringList{"read", "65535", "2"});
    EXPECT_EQ(run.ExitCode, 2);
    run = RunKelmctl({"--parity", "seven", "read", "0"});
    EXPECT_EQ(run.ExitCode, 2);
    run = RunKelmctl({"--port", "3", "--device", pty.Path(), "read", "0"});
    EXPECT_EQ(run.ExitCode, 2);
    run = RunKelmctl({"--device", "/nonexistent/tty", "read", "0"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_TRUE(run.Err.contains("cannot open"));
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
    const int masterFd = pty.Master();
    QProcess process;
    StartKelmctl(process, {"--device", pty.Path(), "--link", "--address", "3", "read", "5"},
                 config.path());

    std::vector<std::uint8_t> reply{3, 0xFF, 0x03, 0, 5, 2, 0x12, 0x34};
    const std::uint16_t crc = Crc16(reply.data(), reply.size());
    reply.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    reply.push_back(static_cast<std::uint8_t>(crc >> 8));

    // Every request is answered (a slow machine may make kelmctl try again); the first one
    // shows the frame layout and, while kelmctl holds the port, its line settings.
    std::vector<std::uint8_t> pending;
    std::vector<std::uint8_t> firstRequest;
    kelm::test::TerminalState line;
    const std::uint32_t start = TickCount();
    while (!process.waitForFinished(10) && TickCount() - start < 20000) {
        pollfd entry{masterFd, POLLIN, 0};
        std::uint8_t byte = 0;
        while (::poll(&entry, 1, 0) > 0 && ::read(masterFd, &byte, 1) == 1) {
            pending.push_back(byte);
        }
        if (pending.size() < 8) {
            continue;
        }
        if (firstRequest.empty()) {
            firstRequest.assign(pending.begin(), pending.begin() + 8);
            line = kelm::test::ReadTerminalState(masterFd);
        }
        pending.clear();
        ASSERT_EQ(::write(masterFd, reply.data(), reply.size()),
                  static_cast<ssize_t>(reply.size()));
    }
    ASSERT_EQ(process.state(), QProcess::NotRunning);
    ASSERT_EQ(firstRequest.size(), 8u);
    EXPECT_EQ(std::vector<std::uint8_t>(firstRequest.begin(), firstRequest.begin() + 6),
              (std::vector<std::uint8_t>{0xFF, 3, 0x03, 0, 5, 1}));
    ASSERT_TRUE(line.Ok);
    EXPECT_EQ(line.Ospeed, linkBaud);
    EXPECT_EQ(line.Cflag & PARODD, 0u); // a pseudo-terminal drops PARENB, not PARODD
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromLocal8Bit(process.readAllStandardOutput()), "5\t4660\n");
}
