#pragma once
#include "command_line.h"

namespace standin::app {

// The mail client window with Tarnwick.dll loaded into it, interactive or
// running the scripted session; returns the process exit code.
int RunHostWindow(const HostOptions& options);

}  // namespace standin::app
