#include "cli/Commands.h"

namespace kelm::cli {

const std::vector<CliCommand>& AllCommands() {
    static const std::vector<CliCommand> commands = {
        {"check-config", "[BINDIR]",
         "load every configuration file as the program does at start and report problems",
         &RunCheckConfig},
        {"read", "ADDR [COUNT]", "print registers as ADDR<TAB>VALUE", &RunRead},
        {"write", "ADDR VALUE...", "write a block of registers", &RunWrite},
        {"backup", "[--kind K] [--force] FILE",
         "read the whole parameter table and save it to a device file (a read-only FILE: only "
         "with --force)",
         &RunBackup},
        {"restore", "[--kind K] [--force] FILE",
         "open a device file and write the whole table to the drive (values outside their "
         "limits: only with --force); exit 1 when a line of the file was ignored",
         &RunRestore},
        {"eeprom", "[--kind K] save|reload|defaults", "EEPROM command (defaults asks; --yes)",
         &RunEeprom},
        {"reset", "[--kind K]", "reset the drive", &RunReset},
        {"alarms", "[--kind K] [--reset]",
         "print the active and historic alarms with their texts (--reset: clear the historic "
         "alarms first)",
         &RunAlarms},
        {"compare", "[--kind K] FILE",
         "compare drive values with a device file (* = different); exit 0 all equal, 1 rows "
         "differ, 2 trouble",
         &RunCompare},
        {"profiles-backup", "[--kind K] [--force] FILE",
         "read the profile registers and save a .bcp file (a read-only FILE: only with --force)",
         &RunProfilesBackup},
        {"profiles-restore", "[--kind K] FILE",
         "open a .bcp file and write the profile registers; exit 1 when a line was ignored",
         &RunProfilesRestore},
        {"profiles-flash", "[--kind K] save|load",
         "store the drive's profiles in its flash or reload them from it (asks; --yes)",
         &RunProfilesFlash},
        {"phase", "[--kind K] [--timeout S]",
         "motor phasing (asks; --yes): prints the phase value; the drive not done within S "
         "seconds (default 120, 0 = no limit) counts as failed",
         &RunPhase},
        {"offset", "[--kind K] [--timeout S] 1|2",
         "offset tuning of analog input 1 (speed) or 2 (torque) (asks; --yes): prints the "
         "offset in mV",
         &RunOffset},
        {"scope", "[--kind K] [--force] [OPTIONS] FILE",
         "capture one oscilloscope record and write it as .kls or .csv; options --signal1/2 N, "
         "--scale1/2 U, --window MS, --edge E, --level L, --delay MS override the stored "
         "oscilloscope settings; no record within --timeout S seconds (default 10) fails",
         &RunScope},
    };
    return commands;
}

} // namespace kelm::cli
