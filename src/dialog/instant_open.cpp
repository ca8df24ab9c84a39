// "InstantOpen": an opening shows the catalogue as last built at once and
// asks for a rebuild off this thread; when a build has changed the
// catalogue, the rows are refilled in place from the new snapshot, with the
// query, the sort, the selected folder and the scroll position kept.
#include "dialog/dialog_state.h"
#include "dialog/history.h"

#include "catalogue/catalogue.h"
#include "binding/config.h"

#include <algorithm>
#include <utility>

namespace tarnwick {
namespace {

constexpr UINT kRefreshRetryMilliseconds = 200;

// What the user sees of the rows and finds again after a refresh.
struct RowAnchor {
    int selectedRow = -1;
    std::string selectedFolderId;
    int topRow = 0;
    std::string topFolderId;
};

int RowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

RowAnchor RememberRows(HWND list) {
    RowAnchor anchor;
    anchor.selectedRow = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (anchor.selectedRow >= 0) FolderIdOfRow(list, anchor.selectedRow, anchor.selectedFolderId);
    anchor.topRow = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    FolderIdOfRow(list, anchor.topRow, anchor.topFolderId);
    return anchor;
}

// -1 when no row shows that folder.
int RowOfFolder(HWND list, const std::string& folderId) {
    if (folderId.empty()) return -1;
    const int count = RowCount(list);
    for (int row = 0; row < count; ++row) {
        const FolderRecord* record = RecordOfRow(list, row);
        if (record && record->folderId == folderId) return row;
    }
    return -1;
}

void ScrollToTopRow(HWND list, int row) {
    const int current = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    if (row == current) return;
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    if (!SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rect))) return;
    SendMessageA(list, LVM_SCROLL, 0, static_cast<LPARAM>(row - current) * (rect.bottom - rect.top));
}

// The selection first: the list view brings a newly focused row into view,
// and the scroll afterwards puts the row the user was reading back on top.
void RestoreRows(HWND list, const RowAnchor& anchor) {
    const int row = anchor.selectedRow < 0 ? -1 : RowOfFolder(list, anchor.selectedFolderId);
    if (row >= 0) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
    int top = RowOfFolder(list, anchor.topFolderId);
    if (top < 0) top = std::min(anchor.topRow, RowCount(list) - 1);
    ScrollToTopRow(list, std::max(top, 0));
}

// A drag shows the row its drop goes to: that row must keep its folder
// until the drag has left it.
bool DropTargetRowShown(HWND list) {
    return SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_DROPHILITED) != -1;
}

// An opening before any build builds first, as without "InstantOpen", but
// gives the mutex back at once.
FolderSnapshot BuildBeforeShowing() {
    const HeldMutex held = WaitForMutex(DialogFolderSource().mutex(), INFINITE);
    // The update thread may have ended its first build meanwhile.
    if (FolderSnapshot built = LatestCatalogueSnapshot()) return built;
    DialogFolderSource().rebuild();
    return LatestCatalogueSnapshot();
}

}  // namespace

bool InstantOpenEnabled() noexcept { return Config().instantOpen != 0; }

const FolderList* RowFolders() noexcept {
    return InstantOpenEnabled() ? DialogState().shownSnapshot.get() : DialogFolderSource().folders();
}

void TakeShowingSnapshot(HWND dialog) {
    SearchDialogState& state = DialogState();
    SetCatalogueListener(dialog, kCatalogueChangedMessage);
    if (FolderSnapshot latest = LatestCatalogueSnapshot()) {
        state.shownSnapshot = std::move(latest);
        // A timer comes after the first paint: the rebuild does not compete
        // with the opening for the processor.
        if (!SetTimer(dialog, kRebuildStartTimer, USER_TIMER_MINIMUM, nullptr)) RequestCatalogueRebuild();
    } else {
        state.shownSnapshot = BuildBeforeShowing();
    }
}

void OnCatalogueChanged(HWND dialog) {
    SearchDialogState& state = DialogState();
    if (!state.showing || !state.list || !InstantOpenEnabled()) return;
    FolderSnapshot latest = LatestCatalogueSnapshot();
    if (!latest || latest == state.shownSnapshot) return;
    if (DropTargetRowShown(state.list)) {
        SetTimer(dialog, kRefreshRetryTimer, kRefreshRetryMilliseconds, nullptr);
        return;
    }
    const RowAnchor anchor = RememberRows(state.list);
    // The old rows point into the old snapshot until the refill replaces them.
    const FolderSnapshot shown = std::exchange(state.shownSnapshot, std::move(latest));
    OnSearchQueryChanged(dialog, CBN_EDITCHANGE);
    RestoreRows(state.list, anchor);
}

void OnInstantOpenTimer(HWND dialog, UINT_PTR timer) {
    if (timer != kRebuildStartTimer && timer != kRefreshRetryTimer) return;
    KillTimer(dialog, timer);
    if (timer == kRefreshRetryTimer) {
        OnCatalogueChanged(dialog);
    } else if (DialogState().showing) {
        RequestCatalogueRebuild();
    }
}

void EndInstantShowings() noexcept {
    SetCatalogueListener(nullptr, 0);
    DialogState().shownSnapshot.reset();
}

}  // namespace tarnwick
