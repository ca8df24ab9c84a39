#include "support/test_support.h"

#include <commctrl.h>

#include <atomic>
#include <cstdio>

namespace testing_support {
namespace {

std::atomic<long> g_faults{0};
std::atomic<HMODULE> g_watchedModule{nullptr};

LONG CALLBACK CountFault(EXCEPTION_POINTERS* info) {
    HMODULE module = g_watchedModule.load();
    if (!module || !info || !info->ExceptionRecord) return EXCEPTION_CONTINUE_SEARCH;
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    if (code != EXCEPTION_ACCESS_VIOLATION && code != EXCEPTION_STACK_OVERFLOW &&
        code != EXCEPTION_ILLEGAL_INSTRUCTION && code != EXCEPTION_INT_DIVIDE_BY_ZERO)
        return EXCEPTION_CONTINUE_SEARCH;
    HMODULE faulting = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>(info->ExceptionRecord->ExceptionAddress), &faulting);
    if (faulting == module) ++g_faults;
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

TempDir::TempDir() {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof(temp), temp);
    static std::atomic<unsigned> counter{0};
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof(name), "%stw%lu_%u\\", temp, GetCurrentProcessId(), counter++);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

namespace {

void CollectTree(const std::string& base, const std::string& relative, int depth, std::vector<TreeEntry>& out) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((base + relative + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(TreeEntry{relative + name + "\\", depth + 1});
            CollectTree(base, relative + name + "\\", depth + 1, out);
        } else {
            out.push_back(TreeEntry{relative + name, depth});
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

}  // namespace

std::vector<TreeEntry> ListTree(const std::string& folder) {
    std::vector<TreeEntry> entries;
    CollectTree(folder, "", 0, entries);
    return entries;
}

std::string MakeDirs(const std::string& base, const std::string& relative) {
    std::string path = base;
    std::string component;
    for (char c : relative + "\\") {
        if (c == '\\') {
            if (!component.empty()) {
                path += component + "\\";
                CreateDirectoryA(path.c_str(), nullptr);
            }
            component.clear();
        } else {
            component += c;
        }
    }
    return path;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string ReadFileBytes(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::string();
    std::string bytes;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveTree(const std::string& path) {
    if (path.empty()) return;
    std::string dir = path;
    if (dir.back() != '\\') dir += '\\';
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = dir + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        MSG msg;
        // A host-like loop: the message is removed, then translated and dispatched.
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void PostHeaderClick(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT rect{};
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(header, WM_LBUTTONUP, 0, at);
}

void SelectListRow(HWND list, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int SelectedListRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int HeaderSortArrow(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}

std::vector<std::pair<std::string, std::string>> ListViewRows(HWND list) {
    std::vector<std::pair<std::string, std::string>> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[2][1024] = {};
        for (int column = 0; column < 2; ++column) {
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = text[column];
            item.cchTextMax = sizeof(text[column]);
            SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        }
        rows.emplace_back(text[0], text[1]);
    }
    return rows;
}

std::vector<std::string> ComboBoxItems(HWND box) {
    std::vector<std::string> items;
    const int count = static_cast<int>(SendMessageA(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[1100] = "";
        SendMessageA(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

void WatchFaultsIn(HMODULE module) {
    static bool installed = false;
    g_watchedModule = module;
    if (!installed) {
        AddVectoredExceptionHandler(1, CountFault);
        installed = true;
    }
}

long FaultsSeen() { return g_faults.load(); }

}  // namespace testing_support

#include <psapi.h>

namespace testing_support {

namespace {

// Wine answers 0 for the process's handle count, GUI resources and private
// usage, so the counts are taken by walking what the process holds.
DWORD CountOpenHandles() {
    DWORD count = 0;
    for (UINT_PTR value = 4; value < 0x20000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

BOOL CALLBACK CountChildWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<DWORD*>(counter);
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM counter) {
    ++*reinterpret_cast<DWORD*>(counter);
    EnumChildWindows(window, CountChildWindow, counter);
    return TRUE;
}

SIZE_T CountPrivateCommittedBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         VirtualQuery(address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total;
}

}  // namespace

ResourceCounts CountResources() {
    ResourceCounts counts;
    counts.handles = CountOpenHandles();
    counts.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    DWORD windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&windows));
    counts.userObjects = windows;
    counts.privateBytes = CountPrivateCommittedBytes();
    return counts;
}

namespace {
struct CaptionSearch {
    const char* caption;
    HWND found;
};
BOOL CALLBACK MatchCaption(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<CaptionSearch*>(context);
    char text[256] = "";
    GetWindowTextA(window, text, sizeof(text));
    if (lstrcmpA(text, search->caption) != 0) return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

HWND FindThreadWindow(const char* caption) {
    CaptionSearch search{caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace testing_support
