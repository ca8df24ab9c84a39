// The search dialog window: its procedure, the preparation of each showing,
// the layout, the Escape rule, closing, and the teardown at exit.
#include "dialog/dialog_state.h"
#include "dialog/search_dialog.h"
#include "dialog/history.h"
#include "search/match.h"
#include "search/migemo.h"
#include "search/recent_folders.h"

#include "catalogue/catalogue.h"
#include "common/run_step.h"
#include "dragdrop/drop_target.h"
#include "resource_ids.h"
#include "binding/config.h"

#include <ole2.h>

namespace tarnwick {
namespace {

SearchDialogState g_state;

FolderList* SharedFolders() noexcept { return SharedFolderList(); }
HANDLE SharedFolderListMutex() noexcept { return FolderListMutex(); }

FolderSource g_folderSource{&SharedFolders, &BuildCatalogue, &SharedFolderListMutex};

struct ColumnSpec {
    const char* header;
    int subItem;
};
constexpr ColumnSpec kColumns[] = {{"フォルダ名", 0}, {"パス", 1}};

void DisableOwnerIfModal(HWND dialog, BOOL enable) {
    if (Config().modalDialog != 0) EnableWindow(GetParent(dialog), enable);
}

void InstallKeyboardRouting(HWND dialog, HWND list) {
    g_state.hook.reset(SetWindowsHookExW(WH_GETMESSAGE, &SearchDialogKeyHook, nullptr, GetCurrentThreadId()));
    g_state.previousListProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ResultListProc)));
    (void)dialog;
}

void RegisterDropTarget(HWND list) {
    const HRESULT ole = OleInitialize(nullptr);
    // Only a successful initialisation may be balanced at exit; a failed one
    // would end the host's own OLE.
    g_state.oleInitialized = SUCCEEDED(ole);
    g_state.dropTarget = new CDropTarget(list, DropSite{&FolderIdOfRow, &RecordQueryAfterDrop});
    RegisterDragDrop(list, g_state.dropTarget);
}

void ApplySavedSize(HWND dialog) {
    WindowSettings& saved = Config().window;
    RECT rect{};
    GetWindowRect(dialog, &rect);
    if (saved.width == 0) saved.width = rect.right - rect.left;
    if (saved.height == 0) saved.height = rect.bottom - rect.top;
    MoveWindow(dialog, rect.left, rect.top, saved.width, saved.height, TRUE);
}

BOOL InitSearchDialog(HWND dialog) {
    DisableOwnerIfModal(dialog, FALSE);
    g_state.dialog = dialog;
    HWND list = GetDlgItem(dialog, IDC_RESULT_LIST);
    if (VirtualListEnabled()) list = UseVirtualResultList(dialog);
    InstallKeyboardRouting(dialog, list);
    SetMigemoListener(dialog, kMigemoReadyMessage);
    // A step that fails (out of memory) keeps none of the later ones from
    // the window; after a failed preparation the launcher ends the showing.
    // Before the first fill, which puts them first.
    RunStep(&LoadRecentFolders);
    RunStep([&] { PrepareSearchDialog(dialog); });
    RunStep([&] { RegisterDropTarget(list); });
    g_state.historyLoaded = RunStep([&] { LoadSearchHistory(dialog); });
    ApplySavedSize(dialog);
    return TRUE;
}

void ResetColumns(HWND list) {
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<char*>(kColumns[i].header);
        column.iSubItem = kColumns[i].subItem;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

void SetColumnWidth(HWND list, int column, int saved, int automatic) {
    const int width = saved != 0 ? saved : automatic;
    SendMessageA(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(static_cast<WORD>(width), 0));
}

void MoveControl(HWND dialog, int id, int width, int height, bool keepHeight) {
    HWND control = GetDlgItem(dialog, id);
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    if (keepHeight) height = rect.bottom - rect.top;
    MoveWindow(control, rect.left, rect.top, width, height, TRUE);
}

bool FocusIsInSearchBox(HWND dialog) {
    HWND focus = GetFocus();
    return focus != nullptr && IsChild(GetDlgItem(dialog, IDC_SEARCH_BOX), focus);
}

bool SearchBoxHasText(HWND dialog) {
    char text[3] = "";
    return GetDlgItemTextA(dialog, IDC_SEARCH_BOX, text, sizeof(text)) > 0;
}

void ApplyEscapeRule(HWND dialog) {
    if (FocusIsInSearchBox(dialog) && SearchBoxHasText(dialog)) {
        SetDlgItemTextA(dialog, IDC_SEARCH_BOX, "");
        ShowAllFolders(dialog);
    } else {
        CloseSearchDialog(dialog);
    }
}

void HandleSearchCommand(int code, HWND dialog, int id) {
    // A hidden dialog has given the folder list back: nothing may read it.
    if (!g_state.showing) return;
    if (id == IDCANCEL) {
        ApplyEscapeRule(dialog);
    } else if (id == IDC_SEARCH_BOX && (code == CBN_EDITCHANGE || code == CBN_SELENDOK)) {
        OnSearchQueryChanged(dialog, code);
    }
}

INT_PTR OnNotify(HWND dialog, const NMHDR* header) {
    if (!header || header->idFrom != IDC_RESULT_LIST) return 0;
    if (OnVirtualListNotify(dialog, header)) return TRUE;
    if (header->code == LVN_DELETEALLITEMS) {
        // Nobody needs a notification per deleted row, and a refill of a long
        // list would otherwise send one for each.
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (header->code == NM_CUSTOMDRAW && HighlightEnabled()) {
        NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, OnResultListCustomDraw(header->hwndFrom, draw));
        return TRUE;
    }
    return OnResultListNotify(dialog, header);
}

INT_PTR DispatchDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return InitSearchDialog(dialog);
        case WM_SIZE: LayoutSearchDialog(dialog, wParam); return 0;
        case WM_CLOSE: CloseSearchDialog(dialog); return 0;
        case WM_NOTIFY: return OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
        case WM_COMMAND: HandleSearchCommand(HIWORD(wParam), dialog, LOWORD(wParam)); return 0;
        case kCatalogueChangedMessage: OnCatalogueChanged(dialog); return 0;
        case WM_TIMER: OnInstantOpenTimer(dialog, wParam); return 0;
        case kMigemoReadyMessage: OnMigemoReady(dialog); return 0;
        default: return 0;
    }
}

void HoldAndRebuildCatalogue() {
    // Owned until the close; taken once per showing.
    if (!g_state.holdsFolderList) {
        WaitForSingleObject(DialogFolderSource().mutex(), INFINITE);
        g_state.holdsFolderList = true;
    }
    DialogFolderSource().rebuild();
}

void ReleaseShowingLocks() noexcept {
    if (g_state.holdsFolderList) {
        ReleaseMutex(DialogFolderSource().mutex());
        g_state.holdsFolderList = false;
    }
    if (g_state.searchDialogMutex) {
        ReleaseMutex(g_state.searchDialogMutex);
        CloseHandle(g_state.searchDialogMutex);
        g_state.searchDialogMutex = nullptr;
    }
}

}  // namespace

SearchDialogState& DialogState() noexcept { return g_state; }
FolderSource& DialogFolderSource() noexcept { return g_folderSource; }

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return DispatchDialogMessage(dialog, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void PrepareSearchDialog(HWND dialog) {
    g_state.prepared = false;
    if (InstantOpenEnabled()) {
        TakeShowingSnapshot(dialog);
    } else {
        HoldAndRebuildCatalogue();
    }
    InitCommonControls();
    HWND list = GetDlgItem(dialog, IDC_RESULT_LIST);
    g_state.list = list;
    g_state.sortState[0] = g_state.sortState[1] = kSortNone;
    const LPARAM styles = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, styles | LVS_EX_FULLROWSELECT);
    ResetColumns(list);
    static const FolderList kNoFolders;
    const FolderList* folders = RowFolders();
    FillResultList(list, folders ? *folders : kNoFolders, nullptr);
    const WindowSettings& saved = Config().window;
    SetColumnWidth(list, 0, saved.column0, LVSCW_AUTOSIZE);
    SetColumnWidth(list, 1, saved.column1, LVSCW_AUTOSIZE_USEHEADER);
    SetDlgItemTextA(dialog, IDC_SEARCH_BOX, "");
    HWND box = GetDlgItem(dialog, IDC_SEARCH_BOX);
    SetFocus(box);
    SendMessageA(box, CB_SETCURSEL, 0, 0);
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    g_state.prepared = true;
}

void LayoutSearchDialog(HWND dialog, WPARAM sizeType) {
    if (sizeType != SIZE_RESTORED && sizeType != SIZE_MAXIMIZED) return;
    RECT client{};
    GetClientRect(dialog, &client);
    const int width = client.right;
    const int height = client.bottom;
    RECT box{};
    GetWindowRect(GetDlgItem(dialog, IDC_SEARCH_BOX), &box);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&box), 2);
    const int margin = box.left;
    MoveControl(dialog, IDC_SEARCH_BOX, width - 2 * margin, 0, true);
    RECT list{};
    GetWindowRect(GetDlgItem(dialog, IDC_RESULT_LIST), &list);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&list), 2);
    MoveControl(dialog, IDC_RESULT_LIST, width - 2 * margin, height - list.top - margin, false);
}

void CloseSearchDialog(HWND dialog) {
    if (!g_state.showing) return;
    RECT rect{};
    GetWindowRect(dialog, &rect);
    WindowSettings& saved = Config().window;
    saved.width = rect.right - rect.left;
    saved.height = rect.bottom - rect.top;
    HWND list = GetDlgItem(dialog, IDC_RESULT_LIST);
    saved.column0 = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    saved.column1 = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0));
    DisableOwnerIfModal(dialog, TRUE);
    ShowWindow(dialog, SW_HIDE);
    g_state.showing = false;
    ReleaseShowingLocks();
}

void EndSearchDialogShowing() noexcept {
    // An exit while shown destroys the dialog, which would leave a modal
    // showing's owner, the client's main window, disabled for good.
    if (g_state.showing && g_state.dialog) DisableOwnerIfModal(g_state.dialog, TRUE);
    g_state.showing = false;
    ReleaseShowingLocks();
}

bool SearchDialogExists() noexcept { return g_state.dialog != nullptr; }

void DestroySearchDialog() noexcept {
    // Exit while shown: the showing ends with the window.
    EndSearchDialogShowing();
    // The hook first: no keyboard message may reach a dialog that is going.
    g_state.hook.reset();
    HWND list = g_state.list ? g_state.list : (g_state.dialog ? GetDlgItem(g_state.dialog, IDC_RESULT_LIST) : nullptr);
    if (list) RevokeDragDrop(list);
    if (g_state.dropTarget) {
        g_state.dropTarget->Detach();
        g_state.dropTarget->Release();
        g_state.dropTarget = nullptr;
    }
    if (g_state.oleInitialized) {
        OleUninitialize();
        g_state.oleInitialized = false;
    }
    if (list && g_state.previousListProc &&
        GetWindowLongPtrA(list, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ResultListProc)) {
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_state.previousListProc));
    }
    g_state.previousListProc = nullptr;
    if (g_state.dialog) DestroyWindow(g_state.dialog);
    g_state.dialog = nullptr;
    g_state.list = nullptr;
    g_state.rowSource = nullptr;
    g_state.virtualRows = false;
    g_state.dropHighlightRow = -1;
    g_state.rowPositions = std::vector<RowPosition>();
    g_state.lastQueryValid = false;
    g_state.lastQuery.clear();
    g_state.highlightFont.reset();
    g_state.highlightFontSource = nullptr;
    g_state.textPlaceFont[0] = g_state.textPlaceFont[1] = nullptr;
    SetMigemoListener(nullptr, 0);
    ForgetMigemoPatterns();
    EndInstantShowings();
    g_state.prepared = false;
    g_state.historyLoaded = false;
    ReleaseDialogActCtx();
}

}  // namespace tarnwick
