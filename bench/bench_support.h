#pragma once
// What the dialog benchmarks share: the clock, medians, the plug-in's
// resources, and the baseline, a bare visible list view filled with the
// same rows under WM_SETREDRAW.
#include "binding/plugin_paths.h"
#include "catalogue/catalogue.h"
#include "catalogue/folder_record.h"
#include "dialog/dialog_state.h"
#include "dialog/search_dialog.h"
#include "host_model.h"
#include "resource_ids.h"
#include "sample_mailbox.h"
#include "support/test_support.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The templates and the manifest come from the built plug-in beside us.
inline bool UsePluginResources() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string dll = path;
    dll = dll.substr(0, dll.find_last_of('\\') + 1) + "Tarnwick.dll";
    HMODULE resources = LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!resources) {
        std::fprintf(stderr, "cannot load %s for its resources\n", dll.c_str());
        return false;
    }
    tarnwick::SetPluginModule(resources);
    return true;
}

// One generated mailbox "MB1\" below data, the stand-in host's current
// one; the number of folders made.
inline int MakeBenchMailbox(const std::string& data, int folderCount) {
    standin::SampleMailboxOptions options;
    options.folderCount = folderCount;
    options.mailboxCount = 1;
    options.writeMails = false;
    const int folders = standin::GenerateSampleMailbox(data, options);
    standin::Host().dataFolder = data;
    standin::Host().currentMailBox = "MB1\\";
    standin::Host().mailboxDisplayNames["MB1\\"] = "Mailbox/";
    return folders;
}

// The search dialog a benchmark drives, and its controls.
inline HWND Dialog() { return tarnwick::DialogState().dialog; }
inline HWND List() { return GetDlgItem(Dialog(), IDC_RESULT_LIST); }
inline HWND Box() { return GetDlgItem(Dialog(), IDC_SEARCH_BOX); }
inline int RowCount() { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }
inline void Settle() { testing_support::PumpMessagesFor(30); }

// The folders a benchmark's dialog shows: this list, never rebuilt, under
// the plug-in's folder-list mutex.
inline tarnwick::FolderList& Folders() {
    static tarnwick::FolderList folders;
    return folders;
}
inline void ShowBenchFolders() {
    tarnwick::DialogFolderSource() = tarnwick::FolderSource{[]() noexcept { return &Folders(); }, [] {},
                                                            []() noexcept { return tarnwick::FolderListMutex(); }};
}

// The prepared dialog closed and shown again by a request, until painted;
// the median of runs.
inline double TimeReshow(int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        SendMessageA(Dialog(), WM_CLOSE, 0, 0);
        Settle();
        const double start = Now();
        tarnwick::OpenSearchDialog(nullptr, 0);
        UpdateWindow(Dialog());
        times.push_back(Now() - start);
        Settle();
    }
    return Median(times);
}

inline void FillBare(HWND list, const std::vector<const tarnwick::FolderRecord*>& rows) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(rows[i]->name.c_str());
        item.lParam = static_cast<LPARAM>(i);
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        LVITEMA path{};
        path.mask = LVIF_TEXT;
        path.iItem = static_cast<int>(i);
        path.iSubItem = 1;
        path.pszText = const_cast<char*>(rows[i]->displayPath.c_str());
        SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&path));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// A bare visible list view of the given list's size and column widths, in
// a frame of its own (destroy GetParent of it).
inline HWND MakeBareList(HWND like) {
    RECT rect{};
    GetWindowRect(like, &rect);
    HWND frame = CreateWindowExA(0, "STATIC", "bare", WS_POPUP | WS_VISIBLE, 0, 0, rect.right - rect.left + 20,
                                 rect.bottom - rect.top + 20, nullptr, nullptr, nullptr, nullptr);
    HWND bare = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                0, 0, rect.right - rect.left, rect.bottom - rect.top, frame, nullptr, nullptr, nullptr);
    const char* headers[] = {"フォルダ名", "パス"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(headers[i]);
        column.cx = static_cast<int>(SendMessageA(like, LVM_GETCOLUMNWIDTH, i, 0));
        column.iSubItem = i;
        SendMessageA(bare, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    SendMessageA(bare, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    return bare;
}

}  // namespace bench
