// Keyboard routing for a modeless dialog inside a message loop that belongs
// to the host: the thread's key messages go through the dialog manager, and
// Enter on the result list chooses its selected row.
#include "dialog/dialog_state.h"
#include "dialog/history.h"

namespace tarnwick {
namespace {

bool RoutedThroughDialog(int code, WPARAM removeFlag, MSG* message) {
    HWND dialog = DialogState().dialog;
    return code >= 0 && removeFlag == PM_REMOVE && message && dialog &&
           message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST &&
           IsDialogMessageW(dialog, message);
}

bool IsEnterKeyDown(LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    return message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN;
}

void ChooseSelectedRow(HWND list) {
    const int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row == -1) return;
    OpenFolderOfRow(row, list);
    AddQueryToHistory(GetParent(list));
}

}  // namespace

LRESULT CALLBACK SearchDialogKeyHook(int code, WPARAM removeFlag, LPARAM message) {
    try {
        MSG* msg = reinterpret_cast<MSG*>(message);
        // Handled by the dialog manager: the host's loop must not translate
        // and dispatch it a second time.
        if (RoutedThroughDialog(code, removeFlag, msg)) {
            msg->message = WM_NULL;
            msg->wParam = 0;
            msg->lParam = 0;
        }
    } catch (...) {
    }
    return CallNextHookEx(DialogState().hook.get(), code, removeFlag, message);
}

LRESULT CALLBACK ResultListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_GETDLGCODE && IsEnterKeyDown(lParam)) ChooseSelectedRow(window);
    } catch (...) {
    }
    WNDPROC previous = DialogState().previousListProc;
    return previous ? CallWindowProcA(previous, window, message, wParam, lParam)
                    : DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace tarnwick
