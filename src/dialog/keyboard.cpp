// Keyboard routing for a modeless dialog inside a message loop that belongs
// to the host: the thread's key messages go through the dialog manager, and
// Enter on the result list chooses its selected row. With "MoveKeys", Alt+M
// and Alt+C file the host's selected mails into a row's folder.
#include "dialog/dialog_state.h"
#include "dialog/history.h"
#include "search/recent_folders.h"

#include "resource_ids.h"
#include "binding/config.h"
#include "binding/host_api.h"

#include <string>

namespace tarnwick {
namespace {

enum class FilingKey { None, Move, Copy };

// Taken as the character that Alt gives (WM_SYSCHAR), not as the key-down:
// the key-down has then passed the default window procedure, so releasing
// Alt afterwards does not open the host's menu.
bool IsSysCharForShownDialog(int code, WPARAM removeFlag, const MSG* message) {
    const SearchDialogState& state = DialogState();
    return code >= 0 && removeFlag == PM_REMOVE && message && message->message == WM_SYSCHAR && state.showing &&
           state.dialog && (message->hwnd == state.dialog || IsChild(state.dialog, message->hwnd));
}

FilingKey FilingKeyOf(int code, WPARAM removeFlag, const MSG* message) {
    if (Config().moveKeys == 0 || !IsSysCharForShownDialog(code, removeFlag, message)) return FilingKey::None;
    switch (message->wParam) {
        case 'm': case 'M': return FilingKey::Move;
        case 'c': case 'C': return FilingKey::Copy;
        default: return FilingKey::None;
    }
}

// The selected row's folder, or the first row's with none selected; with no
// rows nothing happens. Then as after a drop, and the dialog closes so that
// the user goes on in the host.
void FileSelectedMails(HWND dialog, bool copy) {
    HWND list = GetDlgItem(dialog, IDC_RESULT_LIST);
    const int selected = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    const FolderRecord* record = RecordOfRow(list, selected == -1 ? 0 : selected);
    if (!record) return;
    const std::string folderId = record->folderId;
    HostMoveSelectedMessages(folderId, copy);
    NoteRecentFolder(folderId);
    AddQueryToHistory(dialog);
    CloseSearchDialog(dialog);
    if (HWND main = HostWindowHandles().main) SetForegroundWindow(main);
}

bool FiledWithKey(int code, WPARAM removeFlag, MSG* message) {
    const FilingKey key = FilingKeyOf(code, removeFlag, message);
    if (key == FilingKey::None) return false;
    FileSelectedMails(DialogState().dialog, key == FilingKey::Copy);
    return true;
}

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
        // Handled here or by the dialog manager: the host's loop must not
        // translate and dispatch it a second time.
        if (FiledWithKey(code, removeFlag, msg) || RoutedThroughDialog(code, removeFlag, msg)) {
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
        LRESULT answered = 0;
        if (HandleVirtualListMessage(window, message, wParam, lParam, answered)) return answered;
    } catch (...) {
    }
    WNDPROC previous = DialogState().previousListProc;
    return previous ? CallWindowProcA(previous, window, message, wParam, lParam)
                    : DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace tarnwick
