#pragma once

#include "ui/drive/TFSelectDriver.h"

#include <cstdint>

namespace kelm {

class ShellHost;
class TDriver;

// The link-port discovery the selection dialog uses; by default the system's ports (sysfs,
// with the settings store's COM mappings). Tests install a fixed list. Returns the previous.
LinkPortScan InstallLinkPortScan(LinkPortScan scan);
LinkPortScan CurrentLinkPortScan(ShellHost& shell);

// Drive > "&Select Drive": the selection dialog (or the port preselected by
// SelectLinkDirect), the connection it asks for (a link port identified by IdentifyLink, as
// on the command line), then SetFileDialogsForDevice and ReloadFromDrive. Cancel changes
// nothing.
void SelectDrive(ShellHost& shell);
// Drive > "S&elect Tarn link": reopens the current COM port in link mode when the link is
// not ready, preselects it and runs SelectDrive.
void SelectLinkDirect(ShellHost& shell);

} // namespace kelm
