#pragma once

#include "cli/CliCommand.h"

namespace kelm::cli {

// ConfigCommands.cpp
int RunCheckConfig(const QStringList& arguments, const CliOptions& options);

// RawCommands.cpp
int RunRead(const QStringList& arguments, const CliOptions& options);
int RunWrite(const QStringList& arguments, const CliOptions& options);

// TableCommands.cpp
int RunBackup(const QStringList& arguments, const CliOptions& options);
int RunRestore(const QStringList& arguments, const CliOptions& options);
int RunEeprom(const QStringList& arguments, const CliOptions& options);
int RunReset(const QStringList& arguments, const CliOptions& options);
int RunAlarms(const QStringList& arguments, const CliOptions& options);
int RunCompare(const QStringList& arguments, const CliOptions& options);
int RunProfilesBackup(const QStringList& arguments, const CliOptions& options);
int RunProfilesRestore(const QStringList& arguments, const CliOptions& options);
int RunProfilesFlash(const QStringList& arguments, const CliOptions& options);

// ProcedureCommands.cpp
int RunPhase(const QStringList& arguments, const CliOptions& options);
int RunOffset(const QStringList& arguments, const CliOptions& options);

// ScopeCommands.cpp
int RunScope(const QStringList& arguments, const CliOptions& options);

// JournalCommands.cpp
int RunJournal(const QStringList& arguments, const CliOptions& options);
// ReportCommands.cpp
int RunReport(const QStringList& arguments, const CliOptions& options);

// StepCommands.cpp
int RunStep(const QStringList& arguments, const CliOptions& options);

// MachineCommands.cpp
int RunMachine(const QStringList& arguments, const CliOptions& options);

} // namespace kelm::cli
