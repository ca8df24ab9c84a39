#pragma once
// Keys go to the plug-in before the client handles them, as in the mail
// client's message loop.

#include "plugin_loader.h"

#include <windows.h>

namespace standin::app {

// The shift state as the client reports it: Ctrl 32, Shift 64, both 96,
// Alt 254, none 0.
int ShiftCode(bool control, bool shift, bool alt);
int CurrentShiftCode();

// True when the message is a key press the plug-in took (BKC_OnKeyDispatch
// returned 1); the loop then does not handle it again.
bool PluginTookKey(LoadedPlugin& plugin, const MSG& message);

// GetMessage, plug-in key dispatch, TranslateMessage, DispatchMessage, until
// WM_QUIT; returns its exit code.
int RunMessageLoop(LoadedPlugin& plugin);

}  // namespace standin::app
