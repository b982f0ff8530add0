#pragma once

#include <QStringList>
#include <vector>

namespace kelm::cli {

// Options that apply to every command.
struct CliOptions {
    bool AnswerYes = false; // --yes: questions are answered Yes instead of No
    bool Quiet = false;     // --quiet: no reminder to save to EEPROM after writes
};

// One kelmctl command. `Run` gets the words after the command name and returns the exit
// code. Messages of the core go to stderr through StderrMessages (installed by main).
struct CliCommand {
    const char* Name;
    const char* Arguments; // shown in the help, e.g. "[BINDIR]"
    const char* Summary;
    int (*Run)(const QStringList& arguments, const CliOptions& options);
};

// Every command, in help order. To add a command: write its Run function in a file of its
// own (e.g. RawCommands.cpp), declare it in Commands.h, add one entry in Commands.cpp and
// the source to CMakeLists.txt.
const std::vector<CliCommand>& AllCommands();

} // namespace kelm::cli
