// Placeholder until the search dialog lands.
#include "dialog/search_dialog.h"

namespace tarnwick {

void WINAPI OpenSearchDialog(HWND, LPARAM) {}
bool SearchDialogExists() noexcept { return false; }
void SaveSearchHistory() {}
void DestroySearchDialog() noexcept {}

}  // namespace tarnwick

#include "dialog/history.h"

namespace tarnwick {

void AddQueryToHistory(HWND) {}
const FolderRecord* RecordOfRow(HWND, int) { return nullptr; }

}  // namespace tarnwick
