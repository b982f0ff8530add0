#pragma once

#include <QString>
#include <cstdint>
#include <map>

class QSettings;

namespace kelm {

// The settings that survive between runs: installation and user folders, serial port,
// baud rate, parity, link port, and the COM-number -> device path mappings. They live in
// one per-user INI file (group "11x" of "Dorsel/Kelmmb.ini" in the user's configuration
// folder). Construction loads or creates them; destruction writes back what changed.
// Folders use '/' and end with '/'. The user's folders default to Data/ beside the
// installation, or in the user's data folder when the installation is read-only
// (UserDataFolder.h).
class SettingsStore {
public:
    // Program: the program's start, which resets the store of a moved installation, creates
    // a missing one and writes changes back at destruction. ReadOnly (the command line):
    // reads what is stored (defaults where nothing is) and never writes.
    enum class Access { Program, ReadOnly };

    // executableFolder: folder of the running program (with or without a final '/').
    // settingsFile: the INI file holding the settings.
    explicit SettingsStore(const QString& executableFolder = DefaultExecutableFolder(),
                           const QString& settingsFile = DefaultSettingsFile(),
                           Access access = Access::Program);
    ~SettingsStore();

    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Writes every value that differs from the stored one; unchanged values are not touched.
    void Save();

    // Device path mapped to a COM number; empty when there is no mapping.
    QString PortPath(int com) const;
    // Sets (or, with an empty path, removes) the mapping of a COM number.
    void SetPortPath(int com, const QString& path);

    const QString& SettingsFile() const { return settingsFile_; }

    static QString DefaultExecutableFolder();
    static QString DefaultSettingsFile();
    static constexpr const char* Group = "11x";

    QString InstallFolder;
    QString DevicesFolder;
    QString DriversFolder;
    QString ProfilesFolder;
    std::uint8_t ComPort = 1;
    std::int32_t BaudRate = 19200;
    std::uint8_t Parity = 2;
    std::uint8_t LinkComPort = 10;
    // Start folder of the oscilloscope's file dialogs (records, CSV, pictures); empty
    // until one was used.
    QString ScopeFolder;

private:
    void Load();
    void Prepare(QSettings& s);
    // The file QSettings may touch: the settings file, or a path that never opens when the
    // settings file is no file to read (a pipe would block QSettings for good).
    QString FileInUse() const;

    QString executableFolder_;
    QString settingsFile_;
    Access access_;
    std::map<int, QString> portPaths_;
    bool usable_ = true;
};

} // namespace kelm
