#pragma once

#include <QString>

namespace kelm {

// Where the files the program writes live (Data/Devices, Data/Drivers, Data/Profiles).
// A writable installation folder (a build tree, a portable copy) keeps them beside the
// program; an installed, read-only one keeps them in the user's data folder
// ($XDG_DATA_HOME/kelmdrive/, by default ~/.local/share/kelmdrive/). An installed package
// marks its folder with InstallMarker, so files go to the user's folder even for a user who
// could write there (root).

// The file an installed package puts into its installation folder.
inline constexpr const char* InstallMarker = "installed-package";

// True when installFolder holds the marker or is a folder the user cannot write: the
// program then keeps its files in the user's data folder. A folder that does not exist
// (a removed installation) is not read-only.
bool ReadOnlyInstallation(const QString& installFolder);

// The user's data folder of the program: $XDG_DATA_HOME/kelmdrive/ (ending with '/').
QString UserDataFolder();

// The folder that holds Data/ for an installation folder (both end with '/').
QString DataRootOf(const QString& installFolder);

} // namespace kelm
