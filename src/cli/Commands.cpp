#include "cli/Commands.h"

namespace kelm::cli {

const std::vector<CliCommand>& AllCommands() {
    static const std::vector<CliCommand> commands = {
        {"check-config", "[BINDIR]",
         "load every configuration file as the program does at start and report problems",
         &RunCheckConfig},
        {"read", "ADDR [COUNT]", "print registers as ADDR<TAB>VALUE (connection options first)",
         &RunRead},
        {"write", "ADDR VALUE...", "write a block of registers (connection options first)",
         &RunWrite},
    };
    return commands;
}

} // namespace kelm::cli
