#pragma once

#include <QString>
#include <functional>
#include <map>

namespace kelm {

class ShellHost;
class TFMainDev;

// The pages the main parameter page's buttons open, by window name: "TFSpeed",
// "TFCurrent", "TFMotor", "TFDigital", "TFAnalog", "TFEncOut", "TFPosition". A page not
// listed here answers its button with "The <caption> page is not there yet.".
using PageOpeners = std::map<QString, std::function<void(ShellHost&)>>;

// Main window entry for the main parameter page: brings the page up, or creates it in the
// main window's frame, registers it for the on-line state (edit controls, File menu) and
// for table reloads (the page lays itself out again), and sets it up for the current kind.
void OpenMainDevPage(ShellHost& shell, PageOpeners openers = {});
// The page while it exists, else nullptr (for the program's entries and tests: other windows
// follow the page through TDriver::Notice and TDriver::DigitalSpeed, never through it).
TFMainDev* MainDevPage();

} // namespace kelm
