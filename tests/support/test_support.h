#pragma once
// Shared helpers of the unit and integration tests.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A fresh folder under the temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder's path with a trailing '\'.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Creates every directory of a path relative to base (components separated
// by '\'); returns the full path.
std::string MakeDirs(const std::string& base, const std::string& relative);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The file's whole content; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

// Everything below a folder, depth first: paths relative to it (directories
// ending in '\'), with their depth (a directory's is one more than its
// parent's; a file's is its directory's).
struct TreeEntry {
    std::string relative;
    int depth;
};
std::vector<TreeEntry> ListTree(const std::string& folder);
void RemoveTree(const std::string& path);

// Pumps the calling thread's messages as a host's loop does
// (GetMessage/TranslateMessage/DispatchMessage) for the given time.
void PumpMessagesFor(DWORD milliseconds);
// Pumps until the predicate holds or the time is over; returns the predicate.
template <typename Predicate>
bool PumpUntil(Predicate predicate, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!predicate()) {
        if (GetTickCount() - start >= milliseconds) return predicate();
        PumpMessagesFor(10);
    }
    return true;
}

// A report list view as a user works it: a click on a column header (posted,
// so pump afterwards), a row made the selected and focused one, the
// selected row (-1 for none), and the sort arrow a header item shows
// (HDF_SORTUP, HDF_SORTDOWN or 0).
void PostHeaderClick(HWND list, int column);
void SelectListRow(HWND list, int row);
int SelectedListRow(HWND list);
int HeaderSortArrow(HWND list, int column);

// The (column 0, column 1) texts of every row of a report list view.
std::vector<std::pair<std::string, std::string>> ListViewRows(HWND list);
// The texts of a combo box's items, in order.
std::vector<std::string> ComboBoxItems(HWND box);

// Counts access violations and other faults whose address lies inside the
// given module's range as loaded, also once it is unmapped (Wine swallows
// some faults in hooks and callbacks).
void WatchFaultsIn(HMODULE module);
long FaultsSeen();

// The calling thread's top-level window with this caption: other test
// processes on the same display may show a window of the same name.
HWND FindThreadWindow(const char* caption);

}  // namespace testing_support

namespace testing_support {

// The process's open kernel handles, GDI objects (0 under Wine), the
// calling thread's windows and the private committed bytes.
struct ResourceCounts {
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    SIZE_T privateBytes = 0;
};
ResourceCounts CountResources();

}  // namespace testing_support

namespace testing_support {

constexpr char kFolderListMutexName[] = "Tarnwick Mutex for Folder List Making";
constexpr char kSearchDialogMutexName[] = "Tarnwick Mutex for Multiple Dialog Supression";

// Both named mutexes as another thread of this process finds them: the
// folder-list mutex absent or obtained within the given time, the dialog
// mutex (a flag of a shown dialog) absent.
bool NamedMutexesFreeToOtherThread(DWORD milliseconds = 3000);
// The folder-list mutex alone, as another thread of this process finds it.
bool FolderListMutexFreeToOtherThread(DWORD milliseconds);

// A second process that keeps the folder-list mutex in existence, as a second
// host running the plug-in does (so that an owner left behind shows), and
// answers whether both named mutexes are free to it.
class OtherProcessProbe {
public:
    OtherProcessProbe();
    ~OtherProcessProbe();
    OtherProcessProbe(const OtherProcessProbe&) = delete;
    OtherProcessProbe& operator=(const OtherProcessProbe&) = delete;
    bool started() const { return process_ != nullptr; }
    bool NamedMutexesFree();

private:
    std::string prefix_;
    HANDLE process_ = nullptr;
    HANDLE request_ = nullptr;
    HANDLE free_ = nullptr;
    HANDLE held_ = nullptr;
};

}  // namespace testing_support
