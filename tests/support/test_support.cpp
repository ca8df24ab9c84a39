#include "support/test_support.h"

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace testing_support {
namespace {

std::atomic<long> g_faults{0};
std::atomic<UINT_PTR> g_watchedStart{0};
std::atomic<UINT_PTR> g_watchedEnd{0};

// The module's address range as it was loaded: a call into its code after
// it was unmapped (a hook or window procedure left behind) faults there too.
LONG CALLBACK CountFault(EXCEPTION_POINTERS* info) {
    if (!info || !info->ExceptionRecord) return EXCEPTION_CONTINUE_SEARCH;
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    if (code != EXCEPTION_ACCESS_VIOLATION && code != EXCEPTION_STACK_OVERFLOW &&
        code != EXCEPTION_ILLEGAL_INSTRUCTION && code != EXCEPTION_INT_DIVIDE_BY_ZERO)
        return EXCEPTION_CONTINUE_SEARCH;
    const auto address = reinterpret_cast<UINT_PTR>(info->ExceptionRecord->ExceptionAddress);
    if (address >= g_watchedStart.load() && address < g_watchedEnd.load()) ++g_faults;
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
    const auto start = reinterpret_cast<UINT_PTR>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = module ? reinterpret_cast<const IMAGE_NT_HEADERS*>(start + dos->e_lfanew) : nullptr;
    g_watchedEnd = 0;
    g_watchedStart = start;
    g_watchedEnd = nt ? start + nt->OptionalHeader.SizeOfImage : 0;
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

namespace testing_support {
namespace {

constexpr char kProbeVariable[] = "TARNWICK_MUTEX_PROBE";

HANDLE ProbeEvent(const std::string& prefix, const char* what) {
    return CreateEventA(nullptr, FALSE, FALSE, (prefix + "-" + what).c_str());
}

bool FolderListMutexFree(DWORD milliseconds) {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kFolderListMutexName);
    if (!mutex) return true;
    // Abandoned means a thread ended while owning it: not free.
    const bool got = WaitForSingleObject(mutex, milliseconds) == WAIT_OBJECT_0;
    if (got) ReleaseMutex(mutex);
    CloseHandle(mutex);
    return got;
}

bool SearchDialogMutexAbsent() {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kSearchDialogMutexName);
    if (mutex) CloseHandle(mutex);
    return mutex == nullptr;
}

// The probe process: this test program started again with the variable set
// runs only this loop (a static object's constructor), never its tests.
struct ProbeProcessEntry {
    ProbeProcessEntry() {
        char prefix[200] = "";
        if (!GetEnvironmentVariableA(kProbeVariable, prefix, sizeof(prefix))) return;
        HANDLE keep = CreateMutexA(nullptr, FALSE, kFolderListMutexName);
        HANDLE request = ProbeEvent(prefix, "request");
        HANDLE answerFree = ProbeEvent(prefix, "free");
        HANDLE answerHeld = ProbeEvent(prefix, "held");
        HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, std::strtoul(std::strchr(prefix, '-') + 1, nullptr, 10));
        const HANDLE waits[2] = {request, parent};
        while (WaitForMultipleObjects(parent ? 2 : 1, waits, FALSE, 600000) == WAIT_OBJECT_0) {
            const bool free = FolderListMutexFree(3000) && SearchDialogMutexAbsent();
            SetEvent(free ? answerFree : answerHeld);
        }
        (void)keep;
        ExitProcess(0);
    }
};
ProbeProcessEntry g_probeProcessEntry;

}  // namespace

namespace {

struct ThreadProbe {
    DWORD milliseconds;
    bool folderListOnly;
    bool free;
};

// A thread procedure is stdcall on 32-bit: a named function, not a lambda.
DWORD WINAPI RunThreadProbe(LPVOID raw) {
    auto* p = static_cast<ThreadProbe*>(raw);
    p->free = FolderListMutexFree(p->milliseconds) && (p->folderListOnly || SearchDialogMutexAbsent());
    return 0;
}

bool ProbeFromOtherThread(DWORD milliseconds, bool folderListOnly) {
    ThreadProbe probe{milliseconds, folderListOnly, false};
    HANDLE thread = CreateThread(nullptr, 0, &RunThreadProbe, &probe, 0, nullptr);
    if (!thread) return false;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return probe.free;
}

}  // namespace

bool NamedMutexesFreeToOtherThread(DWORD milliseconds) { return ProbeFromOtherThread(milliseconds, false); }

bool FolderListMutexFreeToOtherThread(DWORD milliseconds) { return ProbeFromOtherThread(milliseconds, true); }

OtherProcessProbe::OtherProcessProbe() {
    static std::atomic<unsigned> counter{0};
    prefix_ = "TarnwickProbe-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    request_ = ProbeEvent(prefix_, "request");
    free_ = ProbeEvent(prefix_, "free");
    held_ = ProbeEvent(prefix_, "held");
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string commandLine = std::string("\"") + self + "\" --gtest_list_tests";
    SetEnvironmentVariableA(kProbeVariable, prefix_.c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const BOOL created =
        CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
    SetEnvironmentVariableA(kProbeVariable, nullptr);
    if (!created) return;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
}

OtherProcessProbe::~OtherProcessProbe() {
    if (process_) {
        TerminateProcess(process_, 0);
        WaitForSingleObject(process_, 5000);
        CloseHandle(process_);
    }
    for (HANDLE event : {request_, free_, held_}) {
        if (event) CloseHandle(event);
    }
}

bool OtherProcessProbe::NamedMutexesFree() {
    if (!process_) return false;
    SetEvent(request_);
    const HANDLE answers[2] = {free_, held_};
    return WaitForMultipleObjects(2, answers, FALSE, 20000) == WAIT_OBJECT_0;
}

}  // namespace testing_support
