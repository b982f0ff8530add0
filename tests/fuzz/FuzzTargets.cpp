// Every reader of bytes from outside the program, behind one entry point per target name:
// libFuzzer builds one executable per name, the ordinary build replays the stored corpus.
#include "FuzzTargets.h"

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
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <map>

namespace kelm::fuzz {
namespace {

using Bytes = QByteArray;

// A fresh file per input: QSettings caches files by name and time stamp.
QString WriteInput(const Bytes& bytes, const char* suffix) {
    static QTemporaryDir dir;
    static int counter = 0;
    const QString path = dir.path() + QStringLiteral("/in%1%2").arg(++counter).arg(suffix);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

// Runs a path-based reader on a temporary copy of the input and removes it again.
void OnFile(const Bytes& bytes, const char* suffix,
            const std::function<void(const QString&)>& read) {
    const QString path = WriteInput(bytes, suffix);
    read(path);
    QFile::remove(path);
}

const QString& ShippedBin() {
    static const QString bin = QStringLiteral(KELM_SOURCE_DIR "/data/Bin/");
    return bin;
}

const sim::KindTables& ShippedTables() {
    static const sim::KindTables tables = [] {
        sim::KindTables loaded;
        QString error;
        for (DeviceKind kind :
             {DeviceKind::Std, DeviceKind::Power, DeviceKind::Drive, DeviceKind::Orca230})
            sim::LoadKindTable(kind, ShippedBin(), loaded[KindIndex(kind)], error);
        return loaded;
    }();
    return tables;
}

// The serial line as the master sees it: the input is the reply, then the line breaks.
class ReplayChannel final : public SerialChannel {
public:
    explicit ReplayChannel(Bytes reply) : reply_(std::move(reply)) {}
    bool Open(const QString&) override { return open_ = true; }
    bool IsOpen() const override { return open_; }
    bool ApplyLineSettings(const LineSettings&) override { return true; }
    bool ApplyTimeouts(std::uint32_t) override { return true; }
    bool RestoreLineSettings() override { return true; }
    bool RestoreTimeouts() override { return true; }
    void Purge() override {}
    long Write(const std::uint8_t*, std::size_t length) override {
        return static_cast<long>(length);
    }
    int ReadByte(std::uint8_t& byte, std::uint32_t) override {
        if (next_ >= reply_.size())
            return -1;
        byte = static_cast<std::uint8_t>(reply_[next_++]);
        return 1;
    }
    void Close() override { open_ = false; }

private:
    Bytes reply_;
    qsizetype next_ = 0;
    bool open_ = false;
};

// First byte: bit 0 link frames, bit 1 write, bits 2..7 the register count (1..40);
// the rest is the reply.
void MasterReply(const Bytes& bytes) {
    if (bytes.isEmpty())
        return;
    const auto control = static_cast<std::uint8_t>(bytes[0]);
    const bool link = (control & 1) != 0;
    const auto count = static_cast<std::uint8_t>(1 + (control >> 2) % ModbusMaster::MaxRegisters);
    ModbusMaster master(std::make_unique<ReplayChannel>(bytes.mid(1)),
                        [](std::uint8_t) { return QStringLiteral("replay"); });
    if (!master.OpenPort(1, 19200, link, 0))
        return;
    master.DeviceAddress = 1;
    std::array<std::uint16_t, ModbusMaster::MaxRegisters> values{};
    if ((control & 2) != 0)
        master.WriteRegistersOnce(0x0102, values.data(), count, 0);
    else
        master.ReadRegistersOnce(0x0102, values.data(), count, 0);
}

// First byte: the kind played (plain, Orca, link); the rest is the request stream, fed in
// two pieces so that a frame split across reads is covered too.
void SimRequests(const Bytes& bytes) {
    if (bytes.isEmpty())
        return;
    sim::SetupOptions options;
    options.kind = static_cast<sim::SimKind>(static_cast<std::uint8_t>(bytes[0]) % 3);
    QString error;
    const std::unique_ptr<sim::Engine> engine =
        sim::BuildEngine(options, ShippedTables(), 0, error);
    if (!engine)
        return;
    const Bytes stream = bytes.mid(1);
    const qsizetype half = stream.size() / 2;
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.constData());
    engine->Feed(data, static_cast<std::size_t>(half), 10);
    engine->Feed(data + half, static_cast<std::size_t>(stream.size() - half), 20);
    engine->Tick(5000);
}

using Target = std::function<void(const Bytes&)>;

// A path-based reader as a target.
Target OnFile(const char* suffix, std::function<void(const QString&)> read) {
    return [suffix, read](const Bytes& bytes) { OnFile(bytes, suffix, read); };
}

const std::map<std::string_view, Target>& Targets() {
    static const std::map<std::string_view, Target> targets{
        {"devicetable",
         [](const Bytes& b) {
             ParamTable table;
             QBuffer buffer;
             buffer.setData(b);
             buffer.open(QIODevice::ReadOnly);
             LoadConfiguration(table, buffer, QLatin1String(DeviceConfigurationHeader),
                               QLatin1String(DeviceConfigurationErrorTitle));
         }},
        {"alarmtexts", OnFile(".dll", LoadAlarmTexts)},
        {"iostrings", OnFile(".dll",
                             [](const QString& path) {
                                 IoGroups groups;
                                 LoadIoStrings(path, DeviceKind::Std, groups);
                                 LoadIoStrings(path, DeviceKind::Drive, groups);
                             })},
        {"analoglabels", OnFile(".dll",
                                [](const QString& path) {
                                    AnalogOutLabels labels;
                                    LoadAnalogOutLabels(path, "StrMon.dll", labels);
                                })},
        {"homing", OnFile(".dll",
                          [](const QString& path) {
                              HomingDescriptors homing;
                              LoadHomingDescriptors(path, "Homing.dll", homing);
                              for (const HomingMethod& method : homing.Methods)
                                  homing.FindByCode(method.Code);
                          })},
        {"scopescales", OnFile(".dll",
                               [](const QString& path) {
                                   ScopeScaleSet set;
                                   LoadScopeScales(path, "Osci.dll", set);
                               })},
        {"bootloader", OnFile(".dll", LoadBootloaderRecords)},
        {"devicefile", OnFile(".dev",
                              [](const QString& path) {
                                  ParamTable table;
                                  table.CopyFrom(ShippedTables()[KindIndex(DeviceKind::Std)]);
                                  OpenDeviceFile(table, DeviceKind::Std, path, false);
                                  Comparison().Load(table, DeviceKind::Std, path, path);
                              })},
        {"profilesfile", OnFile(".bcp",
                                [](const QString& path) {
                                    ParamTable table = ParamTable::MakeSynthetic("P", 256, 831);
                                    OpenProfilesFile(table, path);
                                })},
        {"scopefile", OnFile(".kls",
                             [](const QString& path) {
                                 ScopeRecording recording;
                                 ReadScopeFile(path, recording);
                             })},
        {"scopesettings", OnFile(".dll",
                                 [](const QString& path) {
                                     ParamTable table =
                                         ParamTable::MakeSynthetic("O", 50000, 50013);
                                     std::array<int, 2> offsets{};
                                     ScopeSettingsFile file(path, path);
                                     file.Load(DeviceKind::Std, table, offsets);
                                     file.Load(DeviceKind::Drive, table, offsets);
                                 })},
        {"settings", OnFile(".ini",
                            [](const QString& path) {
                                const SettingsStore store("/tmp/kelm-fuzz/", path,
                                                          SettingsStore::Access::ReadOnly);
                                for (int com = 0; com <= 41; ++com)
                                    store.PortPath(com);
                            })},
        {"master", MasterReply},
        {"simrequest", SimRequests},
    };
    return targets;
}

} // namespace

std::vector<std::string_view> TargetNames() {
    std::vector<std::string_view> names;
    for (const auto& [name, target] : Targets())
        names.push_back(name);
    return names;
}

bool RunTarget(std::string_view name, const std::uint8_t* data, std::size_t size) {
    const auto found = Targets().find(name);
    if (found == Targets().end())
        return false;
    found->second(Bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return true;
}

} // namespace kelm::fuzz
