#pragma once

#include "cli/CliCommand.h"

namespace kelm::cli {

// ConfigCommands.cpp
int RunCheckConfig(const QStringList& arguments, const CliOptions& options);

// RawCommands.cpp
int RunRead(const QStringList& arguments, const CliOptions& options);
int RunWrite(const QStringList& arguments, const CliOptions& options);

} // namespace kelm::cli
