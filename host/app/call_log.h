#pragma once
// The host's log of the plug-in's calls as UTF-8 text, one call a line, for
// a terminal and for the test that reads it.

#include "host_model.h"

#include <string>
#include <vector>

namespace standin::app {

std::string ToUtf8(const std::string& ansi);
// Lines like: BKA_SetCurrentFolder("MB1\仕事\", 0)
std::string FormatCallLog(const std::vector<HostCall>& calls);
bool WriteTextFile(const std::string& path, const std::string& text);

}  // namespace standin::app
