#pragma once
// What the search dialog's parts share inside the dialog subsystem. Other
// subsystems see only search_dialog.h and history.h.

#include "catalogue/folder_record.h"
#include "search/match.h"
#include "common/unique_handle.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

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
    // "VirtualList": the result list is an owner-data list view; its rows are
    // rowPositions in the order shown, and the row that shows the drop
    // highlight is kept here (such a list stores selection and focus only).
    bool virtualRows = false;
    int dropHighlightRow = -1;
    // The matches of the last fill: the rows in the order shown with
    // virtualRows, else in the fill's order (the list view holds the rows).
    std::vector<RowPosition> rowPositions;
    // The upper-cased query of the last fill (empty for none), for narrowing
    // the next one and for what "HighlightMatches" marks in the rows;
    // invalid after a fill of every folder from a list that may have changed.
    std::string lastQuery;
    MatchSettings lastSettings;
    bool lastQueryValid = false;
    // "InstantOpen": the immutable copy the rows point into, swapped only
    // on this thread.
    std::shared_ptr<const FolderList> shownSnapshot;
    // "HighlightMatches": the bold face of the list's font, and that font.
    UniqueFont highlightFont;
    HFONT highlightFontSource = nullptr;
    // Where the list view itself draws a cell's text (the name's from its
    // label rectangle, the path's from its cell), measured from the list for
    // the font of textPlaceFont; y -1 until then: centred.
    POINT textPlace[2] = {{2, -1}, {6, -1}};
    HFONT textPlaceFont[2] = {nullptr, nullptr};
    bool measuringTextPlace = false;
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
// The position a row stands for: its item data, or with virtualRows its
// entry of rowPositions; false when the row does not exist.
bool PositionOfRow(HWND list, int row, std::size_t& position);
void OnSearchQueryChanged(HWND dialog, int notification);
// "MatchMigemo": the dictionary became ready; a query shown is filled again
// with romaji.
constexpr UINT kMigemoReadyMessage = WM_APP + 0x156;
void OnMigemoReady(HWND dialog);
void ShowAllFolders(HWND dialog);
void ApplyActiveSort(HWND list);
void SortByColumnClick(HWND list, int column);
int CALLBACK CompareResultRows(LPARAM first, LPARAM second, LPARAM column);
void UpdateSortArrows(HWND list, int column, int state);

// highlight.cpp: "HighlightMatches", the result list's custom draw; its
// result is the dialog's message result for NM_CUSTOMDRAW.
bool HighlightEnabled() noexcept;
LRESULT OnResultListCustomDraw(HWND list, NMLVCUSTOMDRAW* draw);
// After a fill: finds where the list draws its texts, once for its font.
void MeasureListTextPlaces(HWND list);

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

// virtual_rows.cpp: the owner-data result list of "VirtualList".
bool VirtualListEnabled() noexcept;
// Creation: the template's list replaced by an owner-data one in its place;
// the list the dialog then has.
HWND UseVirtualResultList(HWND dialog);
// Shows the rows of rowPositions from the top, nothing selected.
void ShowVirtualRows(HWND list);
// Sorts rowPositions by the column's state, keeping the selected folder selected.
void SortVirtualRows(HWND list, int column);
// The list's questions for texts and type-ahead; false for other notifications.
bool OnVirtualListNotify(HWND dialog, const NMHDR* header);
// The list's own messages that the owner must answer for such a list
// (the drop highlight); false when the message is for the list view.
bool HandleVirtualListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// keyboard.cpp
LRESULT CALLBACK SearchDialogKeyHook(int code, WPARAM removeFlag, LPARAM message);
LRESULT CALLBACK ResultListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tarnwick
