#pragma once
// What the plug-in tells the host about itself, and its setup dialog.

#include <windows.h>

#include "version.h"

namespace tarnwick {

constexpr char kPluginName[] = "Tarnwick";
constexpr char kPluginVendor[] = "Tarnwick developers";
constexpr char kPluginVersion[] = TARNWICK_VERSION_TEXT;
constexpr char kPluginDescription[] = "Enables folder search dialog.";

// Writes name, vendor, version and description into the host's record, each
// text and its terminator only.
void FillPluginInfo(char* record) noexcept;

// Shows the setup dialog modally; returns when it has ended, with the id of
// the button that ended it (IDOK, IDCANCEL), or -1 when it could not be shown.
INT_PTR ShowSetupDialog(HWND parent);

}  // namespace tarnwick
