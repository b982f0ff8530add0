#pragma once

#include "ui/pages/MainDevPage.h"

#include <functional>

namespace kelm {

class DialogPage;
class ShellHost;

// Main window entries of the dialog pages opened by the main parameter page's buttons.
// Each page exists at most once: a second press restores and focuses it. While the main
// window's menu is locked a page opens in the guided layout (the guided setup).
void OpenMotorPage(ShellHost& shell);
void OpenCurrentPage(ShellHost& shell);
void OpenSpeedPage(ShellHost& shell);
void OpenPositionPage(ShellHost& shell);
void OpenEncoderOutPage(ShellHost& shell);

// The openers above under the main page's window names ("TFMotor", "TFCurrent", ...).
PageOpeners DialogPageOpeners();

// Drive > "Guided Setup": locks the main window's menu and opens the current page in the
// guided layout; its Ok moves on to the speed page, whose Ok moves on to the motor page,
// whose Ok unlocks the menu. Closing a guided page any other way unlocks it too.
void StartGuidedSetup(ShellHost& shell);

// The page while it exists, else nullptr (by window name).
DialogPage* OpenDialogPage(const QString& name);

// The profile editor refreshes its speed limit through this hook after the speed page
// applied (empty while no editor is open).
void SetSpeedLimitRefresh(std::function<void()> refresh);

} // namespace kelm
