#pragma once
// What the search dialog's parts share inside the dialog subsystem. Other
// subsystems see only search_dialog.h and history.h.

#include "catalogue/folder_record.h"
#include "common/unique_handle.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

namespace tarnwick {

class CDropTarget;

enum SortState : int { kSortNone = 0, kSortAscending = 1, kSortDescending = 2 };

// Where the dialog takes its folders from. The plug-in uses the shared
// catalogue; tests give their own lists.
struct FolderSource {
    FolderList* (*folders)() noexcept;
    void (*rebuild)();
    HANDLE (*mutex)() noexcept;
};
FolderSource& DialogFolderSource() noexcept;

struct SearchDialogState {
    HWND dialog = nullptr;
    HWND list = nullptr;
    int sortState[2] = {kSortNone, kSortNone};
    WNDPROC previousListProc = nullptr;
    UniqueHook hook;
    CDropTarget* dropTarget = nullptr;
    bool oleInitialized = false;
    HANDLE searchDialogMutex = nullptr;
    // True from a request that shows the dialog to its close: the showing
    // owns the folder-list mutex only then, and a second close must not
    // release anything twice.
    bool showing = false;
    bool holdsFolderList = false;
    // The last preparation of a showing ran to its end.
    bool prepared = false;
    // The history was loaded whole: only then may exit write it back over
    // the keys it was read from.
    bool historyLoaded = false;
    // The list the rows' item data point into (the one the last fill used).
    const FolderList* rowSource = nullptr;
    // "InstantOpen": the immutable copy the rows point into, swapped only
    // on this thread.
    std::shared_ptr<const FolderList> shownSnapshot;
    // The upper-cased query of the last fill (empty for none): what
    // "HighlightMatches" marks in the rows.
    std::string fillQuery;
    // "HighlightMatches": the bold face of the list's font, and that font.
    UniqueFont highlightFont;
    HFONT highlightFontSource = nullptr;
};
SearchDialogState& DialogState() noexcept;

// search_dialog.cpp
INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void PrepareSearchDialog(HWND dialog);
void CloseSearchDialog(HWND dialog);
void LayoutSearchDialog(HWND dialog, WPARAM sizeType);

// launcher.cpp
void ReleaseDialogActCtx() noexcept;

// result_list.cpp
void FillResultList(HWND list, const FolderList& folders, const char* query);
void OnSearchQueryChanged(HWND dialog, int notification);
void ShowAllFolders(HWND dialog);
void ApplyActiveSort(HWND list);
void SortByColumnClick(HWND list, int column);
int CALLBACK CompareResultRows(LPARAM first, LPARAM second, LPARAM column);
void UpdateSortArrows(HWND list, int column, int state);

// highlight.cpp: "HighlightMatches", the result list's custom draw; its
// result is the dialog's message result for NM_CUSTOMDRAW.
bool HighlightEnabled() noexcept;
LRESULT OnResultListCustomDraw(HWND list, NMLVCUSTOMDRAW* draw);

// history.cpp
LRESULT OnResultListNotify(HWND dialog, const NMHDR* notification);
void OpenFolderOfRow(int row, HWND list);
void LoadSearchHistory(HWND dialog);
// Item index of the combo box as ANSI text, cut to maxLength bytes.
std::string ComboItemText(HWND box, int index, std::size_t maxLength);

// instant_open.cpp: the showing of "InstantOpen", which does not hold the
// folder-list mutex but a snapshot, and refreshes its rows in place when a
// rebuild has changed the catalogue.
constexpr UINT kCatalogueChangedMessage = WM_APP + 0x154;
constexpr UINT_PTR kRebuildStartTimer = 0x154;
constexpr UINT_PTR kRefreshRetryTimer = 0x155;
bool InstantOpenEnabled() noexcept;
// The list the rows point into in either mode; null when there is none.
const FolderList* RowFolders() noexcept;
void TakeShowingSnapshot(HWND dialog);
void OnCatalogueChanged(HWND dialog);
void OnInstantOpenTimer(HWND dialog, UINT_PTR timer);
// Teardown: no more notifications, no snapshot.
void EndInstantShowings() noexcept;

// keyboard.cpp
LRESULT CALLBACK SearchDialogKeyHook(int code, WPARAM removeFlag, LPARAM message);
LRESULT CALLBACK ResultListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tarnwick
