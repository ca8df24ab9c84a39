#pragma once
// The search dialog as the plug-in's entry points see it.

#include <windows.h>

namespace tarnwick {

// The menu command's callback and the shortcut key's action: shows the one
// search dialog, creating it on first use.
void WINAPI OpenSearchDialog(HWND window, LPARAM unused);

// True once the dialog window was created, until exit destroys it.
bool SearchDialogExists() noexcept;

// Exit: writes the combo box's history to [History].
void SaveSearchHistory();

// Exit, or a showing that failed part-way: the showing ends and gives back
// the folder-list mutex and the dialog mutex it holds.
void EndSearchDialogShowing() noexcept;

// Exit: revokes and releases the drop target, ends OLE, removes the hook and
// subclass and destroys the dialog window.
void DestroySearchDialog() noexcept;

}  // namespace tarnwick
