// The one way to a visible search dialog: one dialog on screen at a time,
// created once, afterwards prepared and shown again.
#include "dialog/dialog_state.h"
#include "dialog/search_dialog.h"

#include "common/activation_context.h"
#include "common/run_step.h"
#include "resource_ids.h"
#include "binding/config.h"
#include "binding/plugin_paths.h"

namespace tarnwick {
namespace {

constexpr char kSearchDialogMutexName[] = "Tarnwick Mutex for Multiple Dialog Supression";

UniqueActCtx g_actCtx;
bool g_actCtxTried = false;

HANDLE DialogActCtx() {
    if (!g_actCtxTried) {
        g_actCtx = CreateModuleActCtx(PluginModule(), IDR_COMMON_CONTROLS_MANIFEST);
        g_actCtxTried = true;
    }
    return g_actCtx.get();
}

void ReshowSearchDialog(HWND dialog) {
    ActCtxActivation activation(DialogActCtx());
    PrepareSearchDialog(dialog);
    ShowWindow(dialog, SW_SHOW);
}

void CreateSearchDialog(HWND window) {
    SearchDialogState& state = DialogState();
    HWND owner = Config().dialogMode != 0 ? window : nullptr;
    HWND dialog = nullptr;
    {
        ActCtxActivation activation(DialogActCtx());
        dialog = CreateDialogParamA(PluginModule(), MAKEINTRESOURCEA(IDD_SEARCH_DIALOG), owner, &SearchDialogProc, 0);
    }
    if (!dialog) {
        // Without this a failed creation would leave the flag of a shown
        // dialog behind and no later request could open one.
        EndSearchDialogShowing();
        DestroySearchDialog();
        return;
    }
    state.dialog = dialog;
    SetFocus(GetDlgItem(dialog, IDC_SEARCH_BOX));
}

void OpenSearchDialogImpl(HWND window) {
    SearchDialogState& state = DialogState();
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kSearchDialogMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (mutex) {
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        }
        SetForegroundWindow(state.dialog);
        return;
    }
    state.searchDialogMutex = mutex;
    state.showing = true;
    state.prepared = false;
    // An exception (out of memory) ends the preparation here; inside the
    // dialog's creation the dialog procedure stops it, so the flag tells.
    RunStep([&] {
        if (state.dialog) {
            ReshowSearchDialog(state.dialog);
        } else {
            CreateSearchDialog(window);
        }
    });
    // A showing that failed part-way gives back what it took, as a failed
    // creation does, and hides its window: else both mutexes would stay
    // owned and no later request could show the dialog.
    if (!state.prepared && state.showing) {
        if (state.dialog) ShowWindow(state.dialog, SW_HIDE);
        EndSearchDialogShowing();
    }
}

}  // namespace

void WINAPI OpenSearchDialog(HWND window, LPARAM) {
    try {
        OpenSearchDialogImpl(window);
    } catch (...) {
    }
}

void ReleaseDialogActCtx() noexcept {
    g_actCtx.reset();
    g_actCtxTried = false;
}

}  // namespace tarnwick
