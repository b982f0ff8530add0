#pragma once

#include <QStringList>
#include <optional>

namespace kelm {

// The desktop program's command line: --help, --version and the one optional word
// "travik" (any letter case: start at the Expert level). The toolkit's own options
// (-platform, -style, ...) pass through to it. Read before the application object exists,
// so --help and --version work without a display.
struct ProgramCommandLine {
    QStringList Words; // program path first, then "travik" when given
    // Exit code when the program ends here: 0 after --help or --version (printed on
    // stdout), 2 after a one-line complaint on stderr.
    std::optional<int> Exit;
};

ProgramCommandLine ParseProgramCommandLine(const QStringList& arguments);

} // namespace kelm
