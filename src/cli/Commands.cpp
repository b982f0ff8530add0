#include "cli/Commands.h"

namespace kelm::cli {

const std::vector<CliCommand>& AllCommands() {
    static const std::vector<CliCommand> commands = {
        {"check-config", "[BINDIR]",
         "load every configuration file as the program does at start and report problems",
         &RunCheckConfig},
    };
    return commands;
}

} // namespace kelm::cli
