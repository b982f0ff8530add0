// Every reader of bytes from outside the program, by target name. With KELM_FUZZ this is
// the libFuzzer entry of fuzz_<target> (the name taken from the program's own); otherwise
// `test_fuzz_replay TARGET FOLDER` feeds every stored input of the folder once.
#include "core/config/AlarmTexts.h"
#include "core/config/AnalogOutLabels.h"
#include "core/config/BootloaderRecords.h"
#include "core/config/DeviceConfiguration.h"
#include "core/config/HomingDescriptors.h"
#include "core/config/IoStrings.h"
#include "core/config/ScopeScales.h"
#include "core/drive/scope/ScopeSettingsFile.h"
#include "core/files/Comparison.h"
#include "core/files/DeviceFile.h"
#include "core/files/ProfilesFile.h"
#include "core/files/ScopeFile.h"
#include "core/files/ScopeRecording.h"
#include "core/link/ModbusMaster.h"
#include "core/settings/SettingsStore.h"
#include "sim/engine/KindTables.h"
#include "sim/engine/SimSetup.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <map>

namespace kelm::fuzz {
namespace {

using Target = std::function<void(const QByteArray&)>;

const sim::KindTables& ShippedTables() {
    static const sim::KindTables tables = [] {
        sim::KindTables loaded;
        QString error;
        for (sim::SimKind kind : {sim::SimKind::Std, sim::SimKind::Orca, sim::SimKind::Link})
            sim::LoadTablesFor(kind, KELM_SOURCE_DIR "/data/Bin/", loaded, error);
        return loaded;
    }();
    return tables;
}

// A path-based reader, run on a fresh file per input (QSettings caches files by name and
// time stamp).
Target OnFile(const char* suffix, std::function<void(const QString&)> read) {
    return [suffix, read](const QByteArray& bytes) {
        static QTemporaryDir dir;
        static int counter = 0;
        QFile file(dir.path() + QStringLiteral("/in%1%2").arg(++counter).arg(suffix));
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush())
            read(file.fileName());
        file.remove();
    };
}

// The serial line as the master sees it: the input is the reply, then the line breaks.
struct ReplayChannel final : SerialChannel {
    explicit ReplayChannel(QByteArray bytes) : reply(std::move(bytes)) {}
    bool Open(const QString&) override { return open = true; }
    bool IsOpen() const override { return open; }
    bool ApplyLineSettings(const LineSettings&) override { return true; }
    bool ApplyTimeouts(std::uint32_t) override { return true; }
    bool RestoreLineSettings() override { return true; }
    bool RestoreTimeouts() override { return true; }
    void Purge() override {}
    long Write(const std::uint8_t*, std::size_t length) override { return long(length); }
    int ReadByte(std::uint8_t& byte, std::uint32_t) override {
        return next < reply.size() ? (byte = std::uint8_t(reply[next++]), 1) : -1;
    }
    void Close() override { open = false; }

    QByteArray reply;
    qsizetype next = 0;
    bool open = false;
};

// First byte: bit 0 link frames, bit 1 write, bits 2..7 the register count (1..40);
// the rest is the reply.
void MasterReply(const QByteArray& bytes) {
    const auto control = static_cast<std::uint8_t>(bytes.isEmpty() ? 0 : bytes[0]);
    const auto count = static_cast<std::uint8_t>(1 + (control >> 2) % ModbusMaster::MaxRegisters);
    ModbusMaster master(std::make_unique<ReplayChannel>(bytes.mid(1)),
                        [](std::uint8_t) { return QStringLiteral("replay"); });
    if (!master.OpenPort(1, 19200, (control & 1) != 0, 0))
        return;
    master.SelectUnit(1);
    std::array<std::uint16_t, ModbusMaster::MaxRegisters> values{};
    if ((control & 2) != 0)
        master.WriteRegistersOnce(0x0102, values.data(), count, 0);
    else
        master.ReadRegistersOnce(0x0102, values.data(), count, 0);
}

// First byte: the kind played (plain, Orca, link); the rest is the request stream, fed in
// two pieces so that a frame split across reads is covered too.
void SimRequests(const QByteArray& bytes) {
    sim::SetupOptions options;
    options.kind =
        static_cast<sim::SimKind>(static_cast<std::uint8_t>(bytes.isEmpty() ? 0 : bytes[0]) % 3);
    QString error;
    const auto engine = sim::BuildEngine(options, ShippedTables(), 0, error);
    if (!engine)
        return;
    const QByteArray stream = bytes.mid(1);
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.constData());
    const auto half = static_cast<std::size_t>(stream.size() / 2);
    engine->Feed(data, half, 10);
    engine->Feed(data + half, static_cast<std::size_t>(stream.size()) - half, 20);
    engine->Tick(5000);
}

// One row per reader; the devicetable reader takes a stream, the others a path.
using Path = const QString&;
// clang-format off
const std::map<std::string_view, Target> Targets{
    {"devicetable", [](QByteArray b) {
        ParamTable table;
        QBuffer buffer(&b);
        buffer.open(QIODevice::ReadOnly);
        LoadConfiguration(table, buffer, QLatin1String(DeviceConfigurationHeader),
                          QLatin1String(DeviceConfigurationErrorTitle)); }},
    {"alarmtexts", OnFile(".dll", LoadAlarmTexts)},
    {"iostrings", OnFile(".dll", [](Path p) {
        IoGroups groups;
        LoadIoStrings(p, DeviceKind::Std, groups);
        LoadIoStrings(p, DeviceKind::Drive, groups); })},
    {"analoglabels", OnFile(".dll", [](Path p) {
        AnalogOutLabels out; LoadAnalogOutLabels(p, "StrMon.dll", out); })},
    {"homing", OnFile(".dll", [](Path p) {
        HomingDescriptors homing;
        LoadHomingDescriptors(p, "Homing.dll", homing);
        for (const HomingMethod& method : homing.Methods)
            homing.FindByCode(method.Code); })},
    {"scopescales", OnFile(".dll", [](Path p) {
        ScopeScaleSet set; LoadScopeScales(p, "Osci.dll", set); })},
    {"bootloader", OnFile(".dll", LoadBootloaderRecords)},
    {"devicefile", OnFile(".dev", [](Path p) {
        ParamTable table;
        table.CopyFrom(ShippedTables()[KindIndex(DeviceKind::Std)]);
        OpenDeviceFile(table, DeviceKind::Std, p, false);
        Comparison().Load(table, DeviceKind::Std, p, p); })},
    {"profilesfile", OnFile(".bcp", [](Path p) {
        auto table = ParamTable::MakeSynthetic("P", 256, 831); OpenProfilesFile(table, p); })},
    {"scopefile", OnFile(".kls", [](Path p) { ScopeRecording out; ReadScopeFile(p, out); })},
    {"scopesettings", OnFile(".dll", [](Path p) {
        ParamTable table = ParamTable::MakeSynthetic("O", 50000, 50013);
        std::array<int, 2> offsets{};
        ScopeSettingsFile file(p, p);
        file.Load(DeviceKind::Std, table, offsets);
        file.Load(DeviceKind::Drive, table, offsets); })},
    {"settings", OnFile(".ini", [](Path p) {
        const SettingsStore store("/tmp/kelm-fuzz/", p, SettingsStore::Access::ReadOnly);
        for (int com = 0; com <= 41; ++com)
            store.PortPath(com); })},
    {"master", MasterReply},
    {"simrequest", SimRequests},
};
// clang-format on

} // namespace
} // namespace kelm::fuzz

#ifdef KELM_FUZZ
static const kelm::fuzz::Target* g_target = nullptr;

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
    const QString name = QFileInfo(QString::fromLocal8Bit((*argv)[0])).fileName().mid(5);
    g_target = &kelm::fuzz::Targets.at(name.toStdString());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (*g_target)(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
#else
int main(int argc, char** argv) {
    const auto target = argc == 3 ? kelm::fuzz::Targets.find(argv[1]) : kelm::fuzz::Targets.end();
    const QDir folder(QString::fromLocal8Bit(argc == 3 ? argv[2] : ""));
    const QStringList files = folder.entryList(QDir::Files, QDir::Name);
    if (target == kelm::fuzz::Targets.end() || files.isEmpty()) {
        std::fprintf(stderr, "usage: %s TARGET CORPUS_FOLDER (with inputs)\n", argv[0]);
        return 2;
    }
    for (const QString& name : files) {
        QFile file(folder.filePath(name));
        std::fprintf(stderr, "%s\n", qPrintable(name));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        target->second(file.readAll());
    }
    std::printf("%lld inputs replayed\n", static_cast<long long>(files.size()));
}
#endif
