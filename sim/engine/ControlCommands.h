#pragma once

#include "sim/engine/Engine.h"

#include <QString>

namespace kelm::sim {

struct ControlResult {
    bool ok = false;
    bool quit = false;
    QString message;     // what was done, or why the command was refused
    bool hangup = false; // the terminal is to be hung up and replaced by a new one
};

// One text command of the run-time control channel, applied to the engine at nowMs.
// <addr> is a device address or '*' for every device; numbers are decimal or 0x-hex.
//   set <addr> <reg> <value>     write a register as the drive itself would (no behaviour)
//   silent <addr> on|off         the device stops / starts answering
//   silentafter <addr> <n>       the device falls silent after n more write requests
//   drop <k>                     every k-th reply is lost (0: off)
//   badcrc on|off  wrongaddr on|off  wrongcount on|off  truncate on|off  trailing on|off
//   delay <ms>                   replies start this much later
//   alarm <addr> <bits>          active alarm words show bits (32-bit); historic words add them
//   cmddelay <addr> <ms>         command register handshake: time until the bits clear
//   cmdfault <addr> on|off       status bit 0 is set after every command
//   live <addr> on|off           live values move (on) or stay as set (off)
//   load <addr> <percent>        load torque against the motor's motion, % of rated torque
//   replace <addr> <model> [<fw>] another drive in its place (model, firmware, defaults)
//   wrongfunc on|off             replies name function + 1
//   exception <code>             every request gets an exception reply (0: off)
//   hangup                       the terminal hangs up; a new one (and the link) replaces it
//   faults off                   every line fault off, every device answering
//   quit                         end the simulator
ControlResult ApplyControlCommand(Engine& engine, const QString& line, std::uint32_t nowMs);

// The command list above, for --help and the README.
QString ControlCommandHelp();

} // namespace kelm::sim
