#pragma once

namespace kelm {

class ShellHost;
class StatusPageHost;
class TFOscillo;
struct ShellFlows;

// The one oscilloscope window: its global reference (empty while it does not exist),
// creation as a child window of the main window, and the hooks of the status poll.
TFOscillo* OscilloWindow();
void ShowOscilloWindow(ShellHost& shell);
// Closes the window when it is open (Select Drive does this first). It can always be
// closed; closing writes nothing but the stop of a recorder it armed, on line only.
void CloseOscilloscope(ShellHost& shell);
void InstallOscilloWindow(ShellFlows& flows);
// "Window > Tile": the open loop page (speed, position or current) at the top left at its
// own size and the oscilloscope beside it. Does nothing while the oscilloscope is closed;
// without a loop page the oscilloscope fills the frame.
void TileOscilloscope(ShellHost& shell);

bool OscilloWindowExists();
void OscilloStatusStep();
void OscilloCaptureComplete();
// The status poll's view of the oscilloscope window (its I/O page calls do nothing).
StatusPageHost& OscilloPageHost();

} // namespace kelm
