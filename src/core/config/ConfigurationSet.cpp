#include "core/config/ConfigurationSet.h"

#include "core/config/DeviceConfiguration.h"
#include "core/seams/Messages.h"
#include "core/text/InputFile.h"

#include <QDir>
#include <QFile>

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

} // namespace

void ConfigurationSet::SetConfigFolder(const QString& folder) {
    configFolder_ = WithSlash(folder);
}

QString ConfigurationSet::ConfigFolder(const QString& installFolder) const {
    return configFolder_.isEmpty() ? WithSlash(installFolder) + QStringLiteral("Bin/")
                                   : configFolder_;
}

QString ConfigurationSet::DeviceFileName(DeviceKind kind) {
    switch (kind) {
    case DeviceKind::Power:
        return QStringLiteral("TarnPower.dll");
    case DeviceKind::Drive:
        return QStringLiteral("TarnDrive.dll");
    case DeviceKind::Orca230:
        return QStringLiteral("TarnOrca230.dll");
    case DeviceKind::Std:
        break;
    }
    return QStringLiteral("device.dll");
}

QString ConfigurationSet::DeviceOpenFailureMessage(DeviceKind kind) {
    switch (kind) {
    case DeviceKind::Power:
        return QStringLiteral("Fail to Open Tarn Power Configuration File\rApplication Terminate!");
    case DeviceKind::Drive:
        return QStringLiteral("Fail to Open Tarn Drive Configuration File\rApplication Terminate!");
    case DeviceKind::Std:
    case DeviceKind::Orca230:
        break;
    }
    return QStringLiteral("Fail to Open Devices Configuration File\rApplication Terminate!");
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
    switch (kind) {
    case DeviceKind::Drive:
        return &bootloader_.Drive;
    case DeviceKind::Orca230:
        return &bootloader_.Orca230;
    case DeviceKind::Std:
    case DeviceKind::Power:
        break;
    }
    return nullptr;
}

const ScopeScaleSet& ConfigurationSet::ScopeSet(DeviceKind kind) const {
    static const ScopeScaleSet none;
    switch (kind) {
    case DeviceKind::Std:
    case DeviceKind::Orca230:
        return stdScopeSet_;
    case DeviceKind::Drive:
        return tarnScopeSet_;
    case DeviceKind::Power:
        break;
    }
    return none;
}

bool ConfigurationSet::LoadDeviceTables(const QString& folder) {
    for (DeviceKind kind : AllKinds) {
        ParamTable& table = KindTable(kind);
        table.Clear();
        QFile file;
        QString reason;
        if (!OpenInputFile(file, folder + DeviceFileName(kind), reason)) {
            ShowError(WithReason(DeviceOpenFailureMessage(kind), reason));
            return false;
        }
        if (!LoadConfiguration(table, file, QLatin1String(DeviceConfigurationHeader),
                               QLatin1String(DeviceConfigurationErrorTitle))) {
            return false;
        }
    }
    return true;
}

bool ConfigurationSet::LoadAllIoStrings(const QString& folder) {
    for (DeviceKind kind : AuxKinds) {
        if (!LoadIoStrings(folder + IoStringsFileName(kind), kind, ioGroups_[Index(kind)])) {
            return false;
        }
    }
    return true;
}

bool ConfigurationSet::LoadAtDriverStart(const QString& installFolder,
                                         const QString& devicesFolder) {
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
    if (!LoadAllIoStrings(folder)) {
        RequestTerminate();
        return false;
    }
    bootloader_ = LoadBootloaderRecords(folder + QLatin1String(BootloaderFileName));
    SelectKindLists(DeviceKind::Std);
    return true;
}

bool ConfigurationSet::LoadAtMainWindowCreation(const QString& installFolder) {
    const QString folder = ConfigFolder(installFolder);
    bool allLoaded = true;
    for (DeviceKind kind : AuxKinds) {
        const QString name = AnalogOutLabelsFileName(kind);
        allLoaded &= LoadAnalogOutLabels(folder + name, name, analogLabels_[Index(kind)]);
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
            homingLoaded = false;
            break;
        }
    }
    if (!homingLoaded) {
        ShowError(QStringLiteral("Fail To Load Homing Setup...\r\nApplication Terminate"));
        RequestTerminate();
    }
    tarnScopeSet_.clear();
    const bool scopeLoaded = LoadScopeScales(folder + QStringLiteral("Osci.dll"),
                                             QStringLiteral("Osc.dll"), stdScopeSet_) &&
                             LoadScopeScales(folder + QStringLiteral("Osci_Tarn.dll"),
                                             QStringLiteral("Osc_Tarn.dll"), tarnScopeSet_);
    if (!scopeLoaded) {
        ShowError(
            QStringLiteral("Fail To Load Oscilloscope Conf. File...\r\nApplication Terminate"));
        RequestTerminate();
    }
    return homingLoaded && scopeLoaded;
}

} // namespace kelm
