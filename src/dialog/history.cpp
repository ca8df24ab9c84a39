// Choosing a row (the host opens its folder) and the search history held in
// the search box's drop-down list.
#include "dialog/dialog_state.h"
#include "dialog/history.h"
#include "search/recent_folders.h"
#include "dialog/search_dialog.h"

#include "catalogue/folder_walk.h"
#include "catalogue/mailboxes.h"

#include "common/text.h"
#include "resource_ids.h"
#include "binding/config.h"
#include "binding/host_api.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tarnwick {
namespace {

constexpr int kEntryBufferSize = 1024;
constexpr char kHistorySection[] = "History";

std::string HistoryKey(int index) {
    char key[100];
    std::snprintf(key, sizeof(key), "History%d", index);
    return key;
}

// The index i for which key is "History%d" (the profile functions match
// keys without regard to case); -1 for any other key.
int HistoryIndexOfKey(const std::string& key) {
    constexpr std::size_t prefixLength = sizeof("History") - 1;
    if (key.size() <= prefixLength || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, key.c_str(),
                                                     static_cast<int>(prefixLength), "History",
                                                     static_cast<int>(prefixLength)) != CSTR_EQUAL)
        return -1;
    const std::string digits = key.substr(prefixLength);
    char* end = nullptr;
    const long value = std::strtol(digits.c_str(), &end, 10);
    if (value < 0 || value > INT_MAX || !end || *end != '\0') return -1;
    return HistoryKey(static_cast<int>(value)) == "History" + digits ? static_cast<int>(value) : -1;
}

// The indexes below historyMax whose "History%d" key the section holds, in
// ascending order: the only ones the load loop could find text for.
std::vector<int> StoredHistoryIndexes(int historyMax) {
    std::vector<int> indexes;
    for (const std::string& key : ReadIniKeyNames(kHistorySection)) {
        const int index = HistoryIndexOfKey(key);
        if (index >= 0 && index < historyMax) indexes.push_back(index);
    }
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return indexes;
}

// "AllMailboxes": the host opens a folder of its current mailbox only.
void SwitchToMailboxOf(const std::string& folderId) {
    const std::string mailboxId = MailboxOfFolderId(folderId);
    if (mailboxId.empty()) return;
    const std::string current = WithTrailingSeparator(HostCurrentMailBox());
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, mailboxId.c_str(), -1, current.c_str(), -1) == CSTR_EQUAL)
        return;
    HostSetCurrentMailBox(mailboxId);
}

void ChooseRowUnderCursor(HWND dialog, HWND list) {
    LVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(list, &hit.pt);
    SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if ((hit.flags & LVHT_ONITEM) == 0) return;
    OpenFolderOfRow(hit.iItem, list);
    AddQueryToHistory(dialog);
}

}  // namespace

std::string ComboItemText(HWND box, int index, std::size_t maxLength) {
    // Read as Unicode: Wine's ANSI mapping of CB_GETLBTEXT faults on long items.
    const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR || length <= 0) return std::string();
    std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide.data()));
    if (copied == CB_ERR || copied <= 0) return std::string();
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(copied), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(copied), &text[0], bytes, nullptr, nullptr);
    if (text.size() > maxLength) text.resize(maxLength);
    return text;
}

LRESULT OnResultListNotify(HWND dialog, const NMHDR* notification) {
    switch (notification->code) {
        case LVN_COLUMNCLICK:
            SortByColumnClick(notification->hwndFrom, reinterpret_cast<const NMLISTVIEW*>(notification)->iSubItem);
            return 0;
        case NM_DBLCLK: ChooseRowUnderCursor(dialog, notification->hwndFrom); return 0;
        default: return 0;
    }
}

const FolderRecord* RecordOfRow(HWND list, int row) {
    // The catalogue itself (with "InstantOpen" the showing's snapshot): rows
    // carry positions in it, and it is gone (null) once exit has destroyed it.
    const FolderList* folders = RowFolders();
    std::size_t position = 0;
    if (!folders || !PositionOfRow(list, row, position) || position >= folders->size()) return nullptr;
    return &(*folders)[position];
}

void OpenFolderOfRow(int row, HWND list) {
    const FolderRecord* record = RecordOfRow(list, row);
    if (!record) return;
    const std::string folderId = record->folderId;
    if (Config().allMailboxes != 0) SwitchToMailboxOf(folderId);
    HostSetCurrentFolder(folderId);
    NoteRecentFolder(folderId);
}

bool FolderIdOfRow(HWND list, int row, std::string& folderId) {
    const FolderRecord* record = RecordOfRow(list, row);
    if (!record) return false;
    folderId = record->folderId;
    return true;
}

void RecordQueryAfterDrop(HWND list, const std::string& folderId) {
    AddQueryToHistory(GetParent(list));
    NoteRecentFolder(folderId);
}

void AddQueryToHistory(HWND dialog) {
    HWND box = GetDlgItem(dialog, IDC_SEARCH_BOX);
    char text[kEntryBufferSize] = "";
    if (GetWindowTextA(box, text, kEntryBufferSize - 1) <= 0) return;
    // Searches entries 1 to the last, then entry 0.
    const LRESULT found = SendMessageA(box, CB_FINDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(box, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (found != CB_ERR) {
        SendMessageA(box, CB_DELETESTRING, found + 1, 0);
        SetWindowTextA(box, text);
    }
    const int historyMax = Config().historyMax;
    if (SendMessageA(box, CB_GETCOUNT, 0, 0) > historyMax) SendMessageA(box, CB_DELETESTRING, historyMax, 0);
    SendMessageA(box, CB_SETCURSEL, 0, 0);
}

void LoadSearchHistory(HWND dialog) {
    HWND box = GetDlgItem(dialog, IDC_SEARCH_BOX);
    for (int index : StoredHistoryIndexes(Config().historyMax)) {
        const std::string text = ReadIniString(kHistorySection, HistoryKey(index).c_str(), "", kEntryBufferSize);
        if (!text.empty()) SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void SaveSearchHistory() {
    HWND dialog = DialogState().dialog;
    // A history cut short at loading would be written over the keys that
    // were not read.
    if (!dialog || !DialogState().historyLoaded) return;
    HWND box = GetDlgItem(dialog, IDC_SEARCH_BOX);
    const LRESULT count = SendMessageA(box, CB_GETCOUNT, 0, 0);
    const int last = static_cast<int>(std::min<LRESULT>(count, Config().historyMax));
    for (int index = 0; index < last; ++index) {
        const std::string text = ComboItemText(box, index, kEntryBufferSize - 1);
        if (!text.empty()) WriteIniString(kHistorySection, HistoryKey(index).c_str(), text.c_str());
    }
}

}  // namespace tarnwick
