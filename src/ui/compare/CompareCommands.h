#pragma once

namespace kelm {

class ShellHost;
struct ShellFlows;
class TFCompDev;

// The comparison window's single instance; nullptr while it does not exist.
TFCompDev* CompareWindow();

// Drive > "&Compare with File" and the window's Open File button: the drive (or, in file
// mode, the first file) against a chosen device file.
void DriveCompareCommand(ShellHost& shell);
// File > "&Compare": a chosen file against itself, until Open File picks the second one.
void FileCompareCommand(ShellHost& shell);

// Installs both commands as the main window's "TFCompDevDrive" and "TFCompDev" entries.
void InstallCompareWindows(ShellFlows& flows);

} // namespace kelm
