#include "core/config/ConfigurationSet.h"

#include "core/common/KindDescriptor.h"
#include "core/common/PerKind.h"
#include "core/config/DeviceConfiguration.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <tuple>

namespace kelm {
namespace {

constexpr std::array<DeviceKind, DeviceKindCount> AllKinds = {
    DeviceKind::Std, DeviceKind::Power, DeviceKind::Drive, DeviceKind::Orca230};
// Kinds that have their own auxiliary files.
constexpr std::array<DeviceKind, 3> AuxKinds = {DeviceKind::Std, DeviceKind::Drive,
                                                DeviceKind::Orca230};

QString WithSlash(const QString& folder) {
    return folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}

QString Counted(int count, const char* what) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(what));
}

QString IoSummary(const IoGroups& groups) {
    int used = 0;
    int strings = 0;
    for (const IoGroup& group : groups) {
        used += group.Caption.isEmpty() && group.Items.empty() ? 0 : 1;
        strings += static_cast<int>(group.Items.size());
    }
    return QStringLiteral("%1 of %2 groups, %3")
        .arg(used)
        .arg(IoGroupCount)
        .arg(Counted(strings, "strings"));
}

QString AlarmSummary(const AlarmTextLists& lists) {
    qsizetype alarms = 0;
    for (const QStringList& list : lists)
        alarms = std::max(alarms, list.size());
    return QStringLiteral("%1 alarms; texts: Std %2, Power %3, Drive %4, Orca 230 %5")
        .arg(alarms)
        .arg(lists[0].size())
        .arg(lists[1].size())
        .arg(lists[2].size())
        .arg(lists[3].size());
}

QString ScopeSummary(const ScopeScaleSet& set) {
    int scales = 0;
    for (const ScopeSignal& signal : set)
        scales += static_cast<int>(signal.Scales.size());
    return Counted(static_cast<int>(set.size()), "signals") + QStringLiteral(", ") +
           Counted(scales, "scales");
}

bool Filled(const BootloaderRecord& record) {
    return record.First != 0 || record.Second != 0 || !record.Text.isEmpty();
}

} // namespace

void ConfigurationSet::SetConfigFolder(const QString& folder) {
    configFolder_ = WithSlash(folder);
}

QString ConfigurationSet::ConfigFolder(const QString& installFolder) const {
    return configFolder_.isEmpty() ? WithSlash(installFolder) + QStringLiteral("Bin/")
                                   : configFolder_;
}

QString ConfigurationSet::DeviceFileName(DeviceKind kind) {
    return QString::fromLatin1(Describe(kind).ConfigurationFile);
}

QString ConfigurationSet::DeviceOpenFailureMessage(DeviceKind kind) {
    return QStringLiteral("Fail to Open %1 Configuration File\rApplication Terminate!")
        .arg(QLatin1String(Describe(kind).ConfigurationCaption));
}

const IoGroup& ConfigurationSet::GetIoLabelBase(int i, DeviceKind kind) const {
    static const IoGroup empty;
    if (i < 0 || i >= IoGroupCount) {
        return empty;
    }
    const DeviceKind source = kind == DeviceKind::Power ? DeviceKind::Std : kind;
    return ioGroups_[Index(source)][static_cast<std::size_t>(i)];
}

const BootloaderRecord* ConfigurationSet::Bootloader(DeviceKind kind) const {
    // Only the kinds with a firmware loader have a record.
    static constexpr PerKind<BootloaderRecord BootloaderRecords::*> records{
        .Std = nullptr,
        .Power = nullptr,
        .Drive = &BootloaderRecords::Drive,
        .Orca230 = &BootloaderRecords::Orca230};
    const auto record = records[kind];
    return record != nullptr ? &(bootloader_.*record) : nullptr;
}

const ScopeScaleSet& ConfigurationSet::ScopeSet(DeviceKind kind) const {
    // Orca230 shares Std's scales; Power has no oscilloscope.
    static const ScopeScaleSet none;
    static constexpr PerKind<ScopeScaleSet ConfigurationSet::*> sets{
        .Std = &ConfigurationSet::stdScopeSet_,
        .Power = nullptr,
        .Drive = &ConfigurationSet::tarnScopeSet_,
        .Orca230 = &ConfigurationSet::stdScopeSet_};
    const auto set = sets[kind];
    return set != nullptr ? this->*set : none;
}

bool ConfigurationSet::LoadDeviceTables(const QString& folder) {
    for (DeviceKind kind : AllKinds) {
        ParamTable& table = KindTable(kind);
        table.Clear();
        QFile file;
        QString reason;
        const QString path = folder + DeviceFileName(kind);
        if (!OpenInputFile(file, path, reason)) {
            ShowError(WithReason(DeviceOpenFailureMessage(kind), reason));
            return false;
        }
        if (!LoadConfiguration(table, file, QLatin1String(DeviceConfigurationHeader),
                               QLatin1String(DeviceConfigurationErrorTitle), path)) {
            return false;
        }
        Note(DeviceFileName(kind), Counted(table.Count(), "registers"));
    }
    return true;
}

void ConfigurationSet::Note(const QString& fileName, const QString& counts) {
    summary_ << fileName + QStringLiteral(": ") + counts;
}

bool ConfigurationSet::LoadAllIoStrings(const QString& folder) {
    for (DeviceKind kind : AuxKinds) {
        if (!LoadIoStrings(folder + IoStringsFileName(kind), kind, ioGroups_[Index(kind)])) {
            return false;
        }
        Note(IoStringsFileName(kind), IoSummary(ioGroups_[Index(kind)]));
    }
    return true;
}

bool ConfigurationSet::LoadAtDriverStart(const QString& installFolder,
                                         const QString& devicesFolder) {
    summary_.clear();
    if (!QDir().mkpath(devicesFolder)) {
        ShowError(QStringLiteral("Fail to Devices Folder\rApplication Terminate!"));
        RequestTerminate();
        return false;
    }
    const QString folder = ConfigFolder(installFolder);
    if (!LoadDeviceTables(folder)) {
        RequestTerminate();
        return false;
    }
    alarmTexts_ = LoadAlarmTexts(folder + QLatin1String(AlarmTextsFileName));
    Note(QLatin1String(AlarmTextsFileName), AlarmSummary(alarmTexts_));
    if (!LoadAllIoStrings(folder)) {
        RequestTerminate();
        return false;
    }
    bootloader_ = LoadBootloaderRecords(folder + QLatin1String(BootloaderFileName));
    Note(QLatin1String(BootloaderFileName),
         Counted((Filled(bootloader_.Drive) ? 1 : 0) + (Filled(bootloader_.Orca230) ? 1 : 0),
                 "of 2 records"));
    SelectKindLists(DeviceKind::Std);
    return true;
}

bool ConfigurationSet::LoadAtMainWindowCreation(const QString& installFolder) {
    const QString folder = ConfigFolder(installFolder);
    bool allLoaded = true;
    for (DeviceKind kind : AuxKinds) {
        const QString name = AnalogOutLabelsFileName(kind);
        const bool loaded = LoadAnalogOutLabels(folder + name, name, analogLabels_[Index(kind)]);
        Note(name,
             loaded ? Counted(static_cast<int>(analogLabels_[Index(kind)].First.size()), "labels")
                    : QStringLiteral("not read (built-in labels)"));
        allLoaded &= loaded;
    }
    return allLoaded;
}

bool ConfigurationSet::LoadAtMainWindowShow(const QString& installFolder) {
    const QString folder = ConfigFolder(installFolder);
    bool homingLoaded = true;
    for (DeviceKind kind : AuxKinds) {
        homing_[Index(kind)] = HomingDescriptors{};
    }
    for (DeviceKind kind : AuxKinds) {
        const QString name = HomingFileName(kind);
        if (!LoadHomingDescriptors(folder + name, name, homing_[Index(kind)])) {
            Note(name, QStringLiteral("not read"));
            homingLoaded = false;
            break;
        }
        const HomingDescriptors& read = homing_[Index(kind)];
        Note(name, Counted(static_cast<int>(read.MethodNames.size()), "methods") +
                       QStringLiteral(", ") +
                       Counted(static_cast<int>(read.SensorNames.size()), "sensors") +
                       QStringLiteral(", ") +
                       Counted(static_cast<int>(read.Methods.size()), "method records"));
    }
    if (!homingLoaded) {
        ShowError(QStringLiteral("Fail To Load Homing Setup...\r\nApplication Terminate"));
        RequestTerminate();
    }
    tarnScopeSet_.clear();
    bool scopeLoaded = true;
    // File name, the name its messages show, the set it fills.
    const std::tuple<const char*, const char*, ScopeScaleSet*> scopeFiles[] = {
        {"Osci.dll", "Osc.dll", &stdScopeSet_}, {"Osci_Tarn.dll", "Osc_Tarn.dll", &tarnScopeSet_}};
    for (const auto& [name, shown, set] : scopeFiles) {
        scopeLoaded = LoadScopeScales(folder + QLatin1String(name), QLatin1String(shown), *set);
        Note(QLatin1String(name), scopeLoaded ? ScopeSummary(*set) : QStringLiteral("not read"));
        if (!scopeLoaded)
            break;
    }
    if (!scopeLoaded) {
        ShowError(
            QStringLiteral("Fail To Load Oscilloscope Conf. File...\r\nApplication Terminate"));
        RequestTerminate();
    }
    return homingLoaded && scopeLoaded;
}

} // namespace kelm
