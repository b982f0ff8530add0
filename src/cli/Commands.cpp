#include "cli/Commands.h"

namespace kelm::cli {

const std::vector<CliCommand>& AllCommands() {
    static const std::vector<CliCommand> commands = {
        {"check-config", "[--format F] [BINDIR]",
         "load every configuration file as the program does at start and report problems "
         "(--format: one record {record, severity, text} per message)",
         &RunCheckConfig},
        {"read", "[--format F] ADDR [COUNT]",
         "print registers as ADDR<TAB>VALUE (json: {address, value})", &RunRead},
        {"write", "ADDR VALUE...",
         "write a block of registers; with --address 0 (broadcast) each block is sent once "
         "and no reply is awaited",
         &RunWrite},
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
        {"alarms", "[--kind K] [--reset] [--format F]",
         "print the active and historic alarms with their texts (--reset: clear the historic "
         "alarms first; --format: one record {list, number, text} per alarm)",
         &RunAlarms},
        {"compare", "[--kind K] [--format F] FILE",
         "compare drive values with a device file: marker (* = different), name, address, "
         "drive value, file value (json: {differs, name, address, drive, file}); exit 0 all "
         "equal, 1 rows differ, 2 trouble",
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
        {"phase", "[--kind K] [--timeout S] [--format F]",
         "motor phasing (asks; --yes): prints the result and the phase value on stdout "
         "(json: {procedure, value}); the drive not done within S seconds (default 120, "
         "0 = no limit) counts as failed",
         &RunPhase},
        {"offset", "[--kind K] [--timeout S] [--format F] 1|2",
         "offset tuning of analog input 1 (speed) or 2 (torque) (asks; --yes): prints the "
         "result and the offset in mV on stdout (json: {procedure, input, millivolts, value})",
         &RunOffset},
        {"scope", "[--kind K] [--force] [OPTIONS] FILE",
         "capture one oscilloscope record and write it as .kls or .csv, then set the recorder "
         "back to idle; --signal1/2 N (1 to the signals of the kind), --scale1/2 U (a scale of "
         "that signal), --window MS (10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000), "
         "--edge E (1 rising, 2 falling, 3 automatic), --level L, --delay MS (0 to the window) "
         "override the stored oscilloscope settings; no record within --timeout S seconds "
         "(default 10) fails; --metrics then prints channel 1's figures, the step at the "
         "trigger (json: {overshoot_percent, rise_time_ms, settling_time_ms, "
         "steady_state_error, peak, min, max, mean, rms}, null: not measurable)",
         &RunScope},
        {"scope", "--list-signals [--kind K]",
         "print kind, number, name, unit and the --scale values of every signal, "
         "tab-separated (no drive needed)",
         &RunScope},
        {"step", "[--speed RPM] [--duration MS] [--format F] FILE",
         "speed step (asks; --yes) on an enabled drive in Digital Speed mode whose digital "
         "speed reference is 0: records channel 1 speed and channel 2 speed reference, sets the "
         "reference to RPM (default 500) for MS ms (default 500) and back to 0 (also on Ctrl-C "
         "or, after a lost line, once the drive answers again), writes the record as .kls or "
         ".csv and prints channel 1's figures as scope --metrics does",
         &RunStep},
        {"machine", "backup DIR",
         "on a link port (--link): scan the link and save every answering unit into DIR as "
         "unit-ADDR.tnp/.tnd (and .bcp profiles of the Drive units), with machine.json (date, "
         "tool version, port, per unit address, kind, identity, files and SHA-256 sums); DIR "
         "appears complete or not at all (an existing DIR is replaced only when empty or a "
         "machine backup); exit 1 when a unit did not answer (listed as missing)",
         &RunMachine},
        {"machine", "compare DIR",
         "compare every unit with its file; per unit the count, then the differing parameters "
         "(*, name, address, drive, file); exit 0 all equal, 1 differ, 2 trouble",
         &RunMachine},
        {"machine", "restore [--force] DIR",
         "check first that the link holds the same units (addresses, kinds, identities), the "
         "files' SHA-256 sums and limits, and write nothing otherwise; a replaced unit of the "
         "same kind (or a value outside its limits) only with --force; asks (--yes); then "
         "writes unit by unit and reports each (\"N of M registers written\" for one that "
         "breaks off)",
         &RunMachine},
        {"journal", "[--since DATE] [--drive D] [--format F]",
         "list the journal of changes, newest change first: text by change, or one record "
         "per entry {change, time, program, level, port, address, kind, model, size, firmware, "
         "register, name, old, new, command, action, result}; --drive D: "
         "key=value[,key=value...] with keys port, address, kind, model, size, firmware",
         &RunJournal},
        {"journal", "undo [--kind K] CHANGE",
         "write back the old values of one change (its refused and failed writes and its "
         "commands are left out), as a change of its own: prints what it writes, asks (--yes; "
         "without a terminal only --yes writes); exit 2 when the drive connected is not the "
         "one journalled (kind, model, size, firmware)",
         &RunJournal},
        {"report", "[--kind K] [--force] [--since DATE] FILE",
         "read the whole table and write the commissioning report as FILE.pdf (A4) or "
         "FILE.html: identity, port and address, every setting that differs from its default "
         "with name, value and unit, and the drive's journalled changes since DATE (default: "
         "today)",
         &RunReport},
    };
    return commands;
}

} // namespace kelm::cli
