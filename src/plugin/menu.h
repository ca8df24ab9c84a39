#pragma once
// The menu command and the shortcut key that open the search dialog.

#include <windows.h>

namespace tarnwick {

struct ShortcutKey {
    char text[20] = "";  // as read from "ShortCutKey", at most 19 characters
    bool valid = false;
    int keyCode = 0;     // virtual-key code to match
    int shiftCode = 0;   // the host's shift state to match
};

ShortcutKey& CurrentShortcutKey() noexcept;

// Parses text into CurrentShortcutKey()'s codes; returns whether it is valid.
// An invalid text leaves the key code as it was.
bool ParseShortcutKey(const char* text);

// Reads and parses "ShortCutKey" and appends the command to the second
// top-level menu (menu type 0 only).
void InitSearchMenu(HMENU menu, int menuType);

// True when the key matched and the dialog was asked for.
bool DispatchShortcutKey(int firstValue, int keyCode, int shiftCode);

// Exit: writes the shortcut text back unchanged.
void WriteShortcutKeyText();

}  // namespace tarnwick
