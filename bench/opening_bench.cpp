// Opening the search dialog on generated mailboxes, with "UseCache" 0 and 1
// and "InstantOpen" 0 and 1: the time from the request to the dialog shown
// with its rows painted, against a bare fill of the same rows; the time
// until a folder created before the opening shows in the rows, against a
// rebuild that finds it; the longest stretch a host-like message loop stays
// blocked; and what a keystroke costs while the opening's rebuild runs.
//
//   bench_opening_bench.exe               1,000, 10,000 and 50,000 folders
//   bench_opening_bench.exe 1000 10000    chosen sizes
//   bench_opening_bench.exe --virtual 50000
//                                         "VirtualList" 1, "InstantOpen" 1 alone
#include "bench_support.h"
#include "catalogue/catalogue.h"
#include "catalogue/catalogue_build.h"
#include "dialog/dialog_state.h"
#include "dialog/search_dialog.h"
#include "host_model.h"
#include "resource_ids.h"
#include "sample_mailbox.h"
#include "binding/config.h"
#include "binding/host_api.h"
#include "support/test_support.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bench::Median;
using bench::Now;

bool g_virtualList = false;

HWND Dialog() { return tarnwick::DialogState().dialog; }
HWND List() { return GetDlgItem(Dialog(), IDC_RESULT_LIST); }
HWND Box() { return GetDlgItem(Dialog(), IDC_SEARCH_BOX); }
int RowCount() { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }

DWORD WINAPI TryFolderListMutex(void*) {
    const DWORD got = WaitForSingleObject(tarnwick::FolderListMutex(), 0);
    if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) ReleaseMutex(tarnwick::FolderListMutex());
    return got;
}

// Asked from another thread: this one owns the mutex while a dialog of the
// default mode is shown.
bool NoBuildRuns() {
    HANDLE thread = CreateThread(nullptr, 0, &TryFolderListMutex, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD got = WAIT_TIMEOUT;
    GetExitCodeThread(thread, &got);
    CloseHandle(thread);
    return got == WAIT_OBJECT_0;
}

// The host's loop: each message dispatched on its own; returns the longest
// time one took, pumping until done() or the time is over.
template <typename Done>
double PumpLikeHost(Done done, double milliseconds) {
    double longest = 0;
    const double start = Now();
    while (!done() && Now() - start < milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const double begin = Now();
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            longest = std::max(longest, Now() - begin);
        }
    }
    return longest;
}

void Close() {
    SendMessageA(Dialog(), WM_CLOSE, 0, 0);
    PumpLikeHost([] { return NoBuildRuns(); }, 600000);
    testing_support::PumpMessagesFor(30);
}

// A new top-level folder; with "UseCache" 1 the mailbox's list file names
// it too, or no walk would look for it.
void AddFolder(const std::string& mailbox, bool useCache, int number) {
    char name[32];
    std::snprintf(name, sizeof(name), "Bench new %04d", number);
    CreateDirectoryA((mailbox + name).c_str(), nullptr);
    if (!useCache) return;
    FILE* list = std::fopen((mailbox + "Folder.lst").c_str(), "ab");
    if (!list) return;
    std::fprintf(list, "%s\r\n", name);
    std::fclose(list);
}

double Keystroke(const char* query) {
    SetWindowTextA(Box(), query);
    const double start = Now();
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Box()));
    UpdateWindow(List());
    return Now() - start;
}

// Five keystrokes as a user types and deletes; the median.
double Keystrokes() {
    std::vector<double> times;
    for (const char* query : {"a", "ab", "a", "", "e"}) times.push_back(Keystroke(query));
    return Median(times);
}

struct Figures {
    std::size_t rows = 0;
    double bareFill = 0, opening = 0, refreshVisible = 0, rebuild = 0, longestBlock = 0;
    double keyIdle = 0, keyDuringRebuild = -1;
};

Figures MeasureMode(const std::string& mailbox, bool useCache, bool instant, int runs, int& nextFolder) {
    tarnwick::PluginConfig& config = tarnwick::Config();
    config = tarnwick::PluginConfig{};
    config.useUpdateThread = 0;
    config.useCache = useCache ? 1 : 0;
    config.instantOpen = instant ? 1 : 0;
    config.virtualList = g_virtualList ? 1 : 0;
    tarnwick::CreateFolderList();
    tarnwick::CreateFolderListMutex();
    tarnwick::BuildCatalogue();
    // The first opening creates the window; the figures are of the openings after.
    tarnwick::OpenSearchDialog(nullptr, 0);
    Close();

    Figures f;
    const tarnwick::FolderList all = *tarnwick::SharedFolderList();
    std::vector<const tarnwick::FolderRecord*> rows;
    for (const auto& record : all) rows.push_back(&record);
    f.rows = rows.size();
    HWND bare = bench::MakeBareList(List());
    std::vector<double> fills;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        bench::FillBare(bare, rows);
        UpdateWindow(bare);
        fills.push_back(Now() - start);
        testing_support::PumpMessagesFor(30);
    }
    f.bareFill = Median(fills);
    DestroyWindow(GetParent(bare));

    std::vector<double> openings, refreshes, rebuilds, blocks;
    for (int i = 0; i < runs; ++i) {
        const int expected = static_cast<int>(tarnwick::SharedFolderList()->size()) + 1;
        AddFolder(mailbox, useCache, nextFolder++);
        // The rebuild that finds the new folder, as the default opening runs
        // it: over a copy, so that the opening below still finds the change.
        {
            tarnwick::FolderList copy = *tarnwick::SharedFolderList();
            WaitForSingleObject(tarnwick::FolderListMutex(), INFINITE);
            const double start = Now();
            tarnwick::BuildCatalogueInto(copy, tarnwick::ConfiguredCatalogueSettings());
            rebuilds.push_back(Now() - start);
            ReleaseMutex(tarnwick::FolderListMutex());
        }
        const double start = Now();
        tarnwick::OpenSearchDialog(nullptr, 0);
        UpdateWindow(Dialog());
        openings.push_back(Now() - start);
        const double longest = PumpLikeHost([&] { return RowCount() >= expected; }, 600000);
        UpdateWindow(List());
        refreshes.push_back(Now() - start);
        blocks.push_back(std::max(openings.back(), longest));
        Close();
    }
    f.opening = Median(openings);
    f.refreshVisible = Median(refreshes);
    f.rebuild = Median(rebuilds);
    f.longestBlock = *std::max_element(blocks.begin(), blocks.end());

    tarnwick::OpenSearchDialog(nullptr, 0);
    if (instant) {
        // Typed once the opening's rebuild walks the mailbox; counted only
        // if it was still walking at the last keystroke.
        PumpLikeHost([] { return !NoBuildRuns(); }, 5000);
        const double during = Keystrokes();
        if (!NoBuildRuns()) f.keyDuringRebuild = during;
        PumpLikeHost([] { return NoBuildRuns(); }, 600000);
    }
    f.keyIdle = Keystrokes();
    Close();

    tarnwick::StopBackgroundBuilders();
    tarnwick::DestroySearchDialog();
    tarnwick::DestroyFolderList();
    tarnwick::CloseFolderListMutex();
    return f;
}

void Measure(int folderCount) {
    testing_support::TempDir temp;
    const std::string data = temp.path();
    const int folders = bench::MakeBenchMailbox(data, folderCount);
    const std::string mailbox = data + "MB1\\";
    const int runs = folderCount >= 50000 ? 1 : 3;
    int nextFolder = 0;
    for (bool useCache : {false, true}) {
        if (g_virtualList && useCache) break;
        for (bool instant : {false, true}) {
            if (g_virtualList && !instant) continue;
            const Figures f = MeasureMode(mailbox, useCache, instant, runs, nextFolder);
            char during[32] = "-";
            if (f.keyDuringRebuild >= 0) std::snprintf(during, sizeof(during), "%.1f", f.keyDuringRebuild);
            std::printf("| %d | %d | %d | %zu | %.1f | %.1f (%.2fx) | %.1f | %.1f (%.2fx) | %.1f | %.1f | %s |\n", folders,
                        useCache, instant, f.rows, f.bareFill, f.opening, f.opening / f.bareFill, f.rebuild,
                        f.refreshVisible, f.refreshVisible / f.rebuild, f.longestBlock, f.keyIdle, during);
            std::fflush(stdout);
        }
        tarnwick::DeleteFolderListFilesIn(data, "MB1\\", std::string());
    }
}

}  // namespace

int main(int argc, char** argv) {
    tarnwick::HostApi() = tarnwick::CHostApi{};
    if (!tarnwick::BindHostApiTo(GetModuleHandleA(nullptr))) return 1;
    if (!bench::UsePluginResources()) return 1;
    tarnwick::FillSpecialFolderNames();
    std::vector<int> sizes = {1000, 10000, 50000};
    int first = 1;
    if (argc > 1 && std::string(argv[1]) == "--virtual") {
        g_virtualList = true;
        first = 2;
    }
    if (argc > first) {
        sizes.clear();
        for (int i = first; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    }
    std::printf("| folders | UseCache | InstantOpen | rows | bare fill ms | opening ms (x fill) | rebuild ms | new folder "
                "shown ms (x rebuild) | longest loop block ms | keystroke ms | keystroke during rebuild ms |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (int size : sizes) Measure(size);
    return 0;
}
