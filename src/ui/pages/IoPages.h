#pragma once

namespace kelm {

class ShellHost;
class StatusPageHost;
class TFDigital;
class TFAnalog;

// Main window entries of the digital and analog I/O pages ("Digital I/O" and "Analog I/O"
// of the main parameter page). Each exists at most once; a second press brings it up.
void OpenDigitalPage(ShellHost& shell);
void OpenAnalogPage(ShellHost& shell);
// The pages while they exist, else nullptr.
TFDigital* DigitalPage();
TFAnalog* AnalogPage();

// What the status poll reaches besides the panel: these two pages, and the oscilloscope
// window through the host given to SetScopeHost (none: no oscilloscope window).
StatusPageHost& IoPageHost();
void SetScopeHost(StatusPageHost* scope);

} // namespace kelm
