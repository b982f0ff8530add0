#pragma once

#include "cli/CliCommand.h"

namespace kelm::cli {

// ConfigCommands.cpp
int RunCheckConfig(const QStringList& arguments, const CliOptions& options);

} // namespace kelm::cli
