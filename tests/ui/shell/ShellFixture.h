#pragma once

#include "ui/diagnostic/ToolFixture.h"
#include "ui/shell/WaitFor.h"

namespace kelm::test {

// A window flow that puts an empty widget named `name` into the frame (deleted on close)
// and counts the windows it made.
std::function<void(ShellHost&)> FakeWindowFlow(const QString& name, int* created = nullptr);

// A main window on an in-memory simulated plain drive at address 1 (the window's Com1),
// built but not shown, at the level its arguments give.
class ShellFixture : public ToolFixture {
protected:
    void SetUp() override;

    // Builds the window (not shown). With everyWindow, a window or the port dialog not in
    // flows is an empty stand-in; other flows left empty use the main window's fallbacks.
    void Build(ShellFlows flows = {}, QStringList arguments = {QStringLiteral("kelmdrive")},
               bool everyWindow = true);
    // Selects the drive at address 1 through the fallback selection and reads the table.
    void GoOnline();
    // Takes shipped files out of the installation (before Build).
    void LeaveOut(const QStringList& names);
};

} // namespace kelm::test
