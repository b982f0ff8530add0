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

// Registers 249/250 of a link unit that is a "Tarn Orca 230" (the letters O R C A, two per
// register, the earlier letter in the low byte, the second pair in the lower register).
inline constexpr std::uint16_t OrcaSignatureLow = 0x4143;  // register 249
inline constexpr std::uint16_t OrcaSignatureHigh = 0x524F; // register 250
bool IsOrcaSignature(std::uint16_t register249, std::uint16_t register250);

// Drive > "&Select Drive": the selection dialog (or the port preselected by
// SelectLinkDirect), the connection it asks for, then SetFileDialogsForDevice and
// ReloadFromDrive. Cancel changes nothing.
void SelectDrive(ShellHost& shell);
// Drive > "S&elect Tarn link": reopens the current COM port in link mode when the link is
// not ready, preselects it and runs SelectDrive.
void SelectLinkDirect(ShellHost& shell);

} // namespace kelm
