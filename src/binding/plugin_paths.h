#pragma once
// Where the plug-in lives: its module handle and its INI file, set once at
// load (tests may point them elsewhere).

#include <windows.h>

namespace tarnwick {

HINSTANCE PluginModule() noexcept;
void SetPluginModule(HINSTANCE module) noexcept;

// The INI file's full path; empty when the module path left no room for
// ".ini", in which case settings stay at their defaults and nothing is written.
const char* IniFilePath() noexcept;

// Derives the INI path from a module path: everything from the last dot
// (code-page aware, directories included) becomes ".ini"; without a dot
// ".ini" is appended. Returns false, leaving the path empty, when the result
// would not fit in 260 bytes.
bool SetIniFilePathFromModulePath(const char* modulePath) noexcept;

// Reads the module's own path and derives the INI path from it.
void DeriveIniFilePath(HINSTANCE module) noexcept;

}  // namespace tarnwick
