#pragma once
// Choosing a row and the search history, shared by the result list's
// handlers and the drop target.

#include "catalogue/folder_record.h"

#include <windows.h>

#include <string>

namespace tarnwick {

// Puts the search box's text at the top of the history (the combo box).
void AddQueryToHistory(HWND dialog);

// The catalogue record a result-list row stands for (its item data is the
// record's position); null when the row or the position does not exist.
const FolderRecord* RecordOfRow(HWND list, int row);

// What the drop target on the result list asks of the dialog: the folder of
// a row, and the history entry after a drop.
bool FolderIdOfRow(HWND list, int row, std::string& folderId);
void RecordQueryAfterDrop(HWND list, const std::string& folderId);

}  // namespace tarnwick
