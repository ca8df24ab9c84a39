// Placeholder until the search dialog lands.
#include "dialog/search_dialog.h"

namespace tarnwick {

void WINAPI OpenSearchDialog(HWND, LPARAM) {}
bool SearchDialogExists() noexcept { return false; }
void SaveSearchHistory() {}
void DestroySearchDialog() noexcept {}

}  // namespace tarnwick
