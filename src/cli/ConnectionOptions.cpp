#include "cli/ConnectionOptions.h"

#include "core/config/ConfigurationSet.h"
#include "core/config/DeviceConfiguration.h"
#include "core/link/PortChannel.h"
#include "core/link/PortNames.h"
#include "core/params/LinkBaud.h"
#include "core/settings/SettingsStore.h"

#include "cli/StderrMessages.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <sys/stat.h>

namespace kelm::cli {
namespace {

void Complain(const QString& text) {
    PrintMessage(text);
}

// The parities the line can do, in the order of their codes (0 none, 1 odd, 2 even).
std::optional<int> ParseParity(const QString& text) {
    static const QStringList names = {"none", "odd", "even"};
    const int index = names.indexOf(text.toLower());
    return index >= 0 ? std::optional<int>(index) : std::nullopt;
}

// Why a path that exists cannot be a serial port; empty when it may be one (a character
// device) or does not exist (the open then says so).
QString NotAPort(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISCHR(info.st_mode))
        return {};
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("it is a folder, not a serial port");
    if (S_ISREG(info.st_mode))
        return QStringLiteral("it is a regular file, not a serial port");
    return QStringLiteral("it is not a serial port (not a character device)");
}

} // namespace

std::optional<std::uint32_t> ReadLinkBaudRate(const QString& binFolder) {
    const QString path = binFolder + ConfigurationSet::DeviceFileName(DeviceKind::Power);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Complain(QStringLiteral("cannot read %1 for the link baud rate").arg(path));
        return std::nullopt;
    }
    ParamTable power;
    if (!LoadConfiguration(power, file, QLatin1String(DeviceConfigurationHeader),
                           QLatin1String(DeviceConfigurationErrorTitle))) {
        Complain(QStringLiteral("%1 is not usable for the link baud rate").arg(path));
        return std::nullopt;
    }
    const std::uint32_t baud = LinkBaudRate(power);
    if (baud == 0) {
        Complain(QStringLiteral("%1 gives no link baud rate (register %2)")
                     .arg(path)
                     .arg(TheLinkRegisters().BaudHundreds));
        return std::nullopt;
    }
    return baud;
}

std::optional<std::uint32_t> ParseNumber(const QString& text, std::uint32_t max) {
    bool ok = false;
    const qulonglong value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                                 ? text.mid(2).toULongLong(&ok, 16)
                                 : text.toULongLong(&ok, 10);
    if (!ok || value > max || text.startsWith(u'+')) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

QList<QCommandLineOption> ConnectionOptionList() {
    return {
        {QStringLiteral("port"), QStringLiteral("COM number of the port (1 to 255)."),
         QStringLiteral("N")},
        {QStringLiteral("device"),
         QStringLiteral("Device path of the port, or tcp:HOST:PORT for a serial device "
                        "server (instead of --port)."),
         QStringLiteral("PATH")},
        {QStringLiteral("baud"), QStringLiteral("Baud rate (1 to 4000000)."), QStringLiteral("B")},
        {QStringLiteral("parity"), QStringLiteral("none, odd or even."), QStringLiteral("P")},
        {QStringLiteral("address"),
         QStringLiteral("Device address (1 to 255, default 1; 0 broadcasts, write only)."),
         QStringLiteral("A")},
        {QStringLiteral("link"), QStringLiteral("Tarn link frames (parity none, link baud rate).")},
        {QStringLiteral("verbose"),
         QStringLiteral("Say on stderr which port was opened, with which settings, and a USB "
                        "adapter's latency.")},
    };
}

void AddConnectionOptions(QCommandLineParser& parser) {
    parser.addOptions(ConnectionOptionList());
}

bool ReadConnectionOptions(const QCommandLineParser& parser, ConnectionOptions& options) {
    options.LinkMode = parser.isSet(QStringLiteral("link"));
    options.Verbose = parser.isSet(QStringLiteral("verbose"));
    if (parser.isSet(QStringLiteral("port"))) {
        const QString value = parser.value(QStringLiteral("port"));
        const auto port = ParseNumber(value, PortNames::MaxComNumber);
        if (!port || *port == 0) {
            Complain(QStringLiteral("bad COM number: %1 (1 to %2)")
                         .arg(value)
                         .arg(PortNames::MaxComNumber));
            return false;
        }
        options.Port = static_cast<int>(*port);
    }
    if (parser.isSet(QStringLiteral("device"))) {
        options.DevicePath = parser.value(QStringLiteral("device"));
        if (options.DevicePath.isEmpty()) {
            Complain(QStringLiteral("--device needs a device path"));
            return false;
        }
    }
    if (parser.isSet(QStringLiteral("baud"))) {
        const QString value = parser.value(QStringLiteral("baud"));
        const auto baud = ParseNumber(value, 4000000);
        if (!baud || *baud == 0) {
            Complain(QStringLiteral("bad baud rate: %1 (1 to 4000000)").arg(value));
            return false;
        }
        options.Baud = *baud;
    }
    if (parser.isSet(QStringLiteral("parity"))) {
        const QString value = parser.value(QStringLiteral("parity"));
        options.Parity = ParseParity(value);
        if (!options.Parity) {
            Complain(QStringLiteral("bad parity: %1 (the line does none, odd or even)").arg(value));
            return false;
        }
    }
    if (parser.isSet(QStringLiteral("address"))) {
        const QString value = parser.value(QStringLiteral("address"));
        const auto address = ParseNumber(value, 255);
        if (!address) {
            Complain(QStringLiteral("bad device address: %1 (0 to 255)").arg(value));
            return false;
        }
        options.Address = static_cast<std::uint8_t>(*address);
    }
    if (options.Port && !options.DevicePath.isEmpty()) {
        Complain(QStringLiteral("give either --port or --device"));
        return false;
    }
    return true;
}

void ReportNoAnswer(std::uint8_t address, const QString& portText) {
    Complain(QStringLiteral("no answer from address %1 on %2").arg(address).arg(portText));
}

std::unique_ptr<ModbusMaster> OpenConnection(const ConnectionOptions& options, QString* portText) {
    // Read only: the command line never resets or rewrites the program's settings.
    const SettingsStore store(SettingsStore::DefaultExecutableFolder(),
                              SettingsStore::DefaultSettingsFile(),
                              SettingsStore::Access::ReadOnly);
    const int port = options.Port.value_or(store.ComPort);
    std::uint32_t baud = 0;
    if (options.Baud) {
        baud = *options.Baud;
    } else if (options.LinkMode) {
        // The link's rate is fixed by the Tarn Power configuration, not by the stored rate.
        const auto linkBaud =
            ReadLinkBaudRate(QCoreApplication::applicationDirPath() + QStringLiteral("/Bin/"));
        if (!linkBaud) {
            return nullptr;
        }
        baud = *linkBaud;
    } else {
        baud = store.BaudRate > 0 ? static_cast<std::uint32_t>(store.BaudRate) : 19200u;
    }
    const int parity = options.Parity.value_or(options.LinkMode ? 0 : store.Parity);

    QString device = options.DevicePath;
    if (device.isEmpty()) {
        const PortNames names([&store](int com) { return store.PortPath(com); });
        device = names.DevicePath(port);
    }
    if (device.isEmpty()) {
        Complain(QStringLiteral("COM%1 has no device; use --device or KELM_COM%1").arg(port));
        return nullptr;
    }
    if (const QString reason = NotAPort(device); !reason.isEmpty()) {
        Complain(QStringLiteral("cannot open %1: %2").arg(device, reason));
        return nullptr;
    }
    auto channel = std::make_unique<PortChannel>();
    const SerialChannel& line = *channel; // owned by the master from here on
    auto master = std::make_unique<ModbusMaster>(std::move(channel),
                                                 [device](std::uint8_t) { return device; });
    const std::uint8_t comNumber =
        options.DevicePath.isEmpty() ? static_cast<std::uint8_t>(port) : std::uint8_t{0};
    if (!master->OpenPort(comNumber, baud, options.LinkMode, static_cast<std::uint8_t>(parity))) {
        // The channel's reason when the open itself failed, else the master's (settings).
        const QString reason =
            line.IsOpen() || line.OpenError().isEmpty() ? master->OpenError() : line.OpenError();
        Complain(
            QStringLiteral("cannot open %1 (%2): %3")
                .arg(device,
                     ModbusMaster::BuildSettingsString(baud, static_cast<std::uint8_t>(parity)),
                     reason));
        return nullptr;
    }
    master->SelectUnit(options.Address);
    if (options.Verbose) {
        const QString note = line.LineNote();
        std::fprintf(stderr, "kelmctl: opened %s (%s)%s\n", QFile::encodeName(device).constData(),
                     ModbusMaster::BuildSettingsString(baud, static_cast<std::uint8_t>(parity))
                         .toUtf8()
                         .constData(),
                     note.isEmpty() ? "" : (", " + note).toUtf8().constData());
    }
    if (portText != nullptr)
        *portText = options.DevicePath.isEmpty()
                        ? QStringLiteral("%1 (COM%2)").arg(device).arg(port)
                        : device;
    return master;
}

} // namespace kelm::cli
