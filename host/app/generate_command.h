#pragma once
#include "command_line.h"

namespace standin::app {

// Writes a sample data folder; returns the process exit code.
int RunGenerateCommand(const HostOptions& options);

}  // namespace standin::app
