// Out of memory at every allocation of whole sessions, in the manner of
// SQLite's out-of-memory tests: TarnwickAllocFail.dll is the plug-in with a
// replacement operator new that fails its Nth allocation; each run loads it
// afresh and fails a later one, N = 1, 2, 3, ... until a run completes with
// none injected. After every run the host lives on, the DLL is unmapped with
// no window, hook, subclass or drop target of it left, both named mutexes are
// free to another thread and another process, and no list file is lost or
// half-written. The suite samples N; scripts/fuzz.sh runs every N.
#include "sample_mailbox.h"
#include "support/drag_support.h"
#include "support/fuzz.h"
#include "support/plugin_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

using testing_support::DescribeCase;
using testing_support::FuzzRandom;
using testing_support::PlanCampaign;
using testing_support::PluginHostTest;

namespace {

constexpr char kCaption[] = "フォルダ検索";
constexpr char kPlacedList[] = "MB1\\Work\\Folder.lst";
constexpr char kPlacedListContent[] = "Planning\r\nPlans\r\n";

struct AllocationHook {
    void(__cdecl* failAt)(long) = nullptr;
    long(__cdecl* allocations)() = nullptr;
    long(__cdecl* injected)() = nullptr;
    std::uint64_t(__cdecl* site)() = nullptr;
};

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Subdirectory names of a directory as a list file holds them (a set: the
// order is the enumeration's).
std::set<std::string> ListedSubdirectories(const std::string& directory) {
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != ".." && name[0] != '#')
            names.insert(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

// A list file as the walk writes it: every qualifying name, each with CR LF.
bool IsCompleteListFile(const std::string& directory, const std::string& bytes) {
    std::set<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) return false;
        lines.insert(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines == ListedSubdirectories(directory);
}

}  // namespace

struct SessionCase {
    const char* name;
    bool deleteCache;
    bool shownAtExit;
    bool updateThread;
};

class AllocationFailureFuzz : public PluginHostTest, public ::testing::WithParamInterface<SessionCase> {
protected:
    void SetUp() override {
        PluginHostTest::SetUp();
        for (const char* folder : {"MB1\\!!!!Inbox", "MB1\\Work\\Plans", "MB1\\Work\\Planning", "MB1\\Archive",
                                   "MB1\\#Hidden"}) {
            testing_support::MakeDirs(dataFolder, folder);
        }
        testing_support::WriteFileBytes(dataFolder + "MB1\\#Notes.ini", "[Folder]\r\nName=Notes\r\n");
        mailList = CreateWindowA("STATIC", "mail list", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        hostEdit = CreateWindowA("EDIT", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        standin::Host().windows[2] = mailList;
    }
    void TearDown() override {
        DestroyWindow(hostEdit);
        DestroyWindow(mailList);
        PluginHostTest::TearDown();
    }

    HWND Dialog() const { return testing_support::FindThreadWindow(kCaption); }
    HWND List() const { return Dialog() ? GetDlgItem(Dialog(), 1002) : nullptr; }

    void PrepareRun(const SessionCase& session) {
        WriteIni(std::string("[Config]\r\nUseCache=1\r\nDeleteCache=") + (session.deleteCache ? "1" : "0") +
                 "\r\nUseUpateThread=" + (session.updateThread ? "1" : "0") +
                 "\r\nFirstWaitingTime=600\r\n[History]\r\nHistory0=plan\r\nHistory1=arc\r\n");
        for (const testing_support::TreeEntry& entry : testing_support::ListTree(dataFolder)) {
            const std::string& path = entry.relative;
            if (path.size() >= 10 && path.compare(path.size() - 10, 10, "Folder.lst") == 0)
                DeleteFileA((dataFolder + path).c_str());
        }
        testing_support::WriteFileBytes(dataFolder + kPlacedList, kPlacedListContent);
        standin::Host().ClearCalls();
    }

    bool LoadHooked() {
        if (!LoadPlugin("TarnwickAllocFail.dll")) return false;
        HMODULE module = plugin.module();
        hook.failAt = Export<decltype(hook.failAt)>(module, "TarnwickTest_FailAllocation");
        hook.allocations = Export<decltype(hook.allocations)>(module, "TarnwickTest_Allocations");
        hook.injected = Export<decltype(hook.injected)>(module, "TarnwickTest_InjectedFailures");
        hook.site = Export<decltype(hook.site)>(module, "TarnwickTest_InjectedSite");
        return hook.failAt && hook.allocations && hook.injected && hook.site;
    }

    void Open() {
        plugin.OnKeyDispatch(nullptr, 'F', 96);
        testing_support::PumpMessagesFor(20);
    }
    void Close() {
        if (Dialog()) PostMessageA(Dialog(), WM_CLOSE, 0, 0);
        testing_support::PumpMessagesFor(10);
    }
    void TypeAndChoose() {
        PostMessageA(GetFocus(), WM_CHAR, 'p', 1);
        testing_support::PumpMessagesFor(10);
        HWND list = List();
        if (!list) return;
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SetFocus(list);
        PostMessageA(list, WM_KEYDOWN, VK_RETURN, 1);
        testing_support::PumpMessagesFor(10);
    }
    // OLE's calls for one drag onto the first row, as its drag loop makes them.
    void Drop() {
        HWND list = List();
        auto* target = list ? static_cast<IDropTarget*>(GetPropA(list, "OleDropTargetInterface")) : nullptr;
        if (!target || ListView_GetItemCount(list) == 0) return;
        testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                             testing_support::MailIndexesBlock(mailList));
        target->AddRef();
        const POINT row = testing_support::RowPoint(list, 0);
        const POINTL at{row.x, row.y};
        DWORD effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
        target->DragEnter(&data, 0, at, &effect);
        target->Drop(&data, 0, at, &effect);
        target->Release();
        EXPECT_EQ(data.mediaHandedOut(), data.mediaReleased());
    }

    // Start; open; type; choose; drop; close; open again; (close); once a
    // failure was injected, open (and close) once more; exit.
    void RunSession(const SessionCase& session, long failAt, bool armAtExit, const std::string& where) {
        if (!armAtExit) hook.failAt(failAt);
        plugin.OnStart();
        HMENU menu = testing_support::MakeHostMenu();
        plugin.OnMenuInit(nullptr, menu, 0);
        Open();
        TypeAndChoose();
        Drop();
        Close();
        Open();
        if (!session.shownAtExit) Close();
        if (hook.injected() > 0) {
            // The one failure is behind: it may have cost its own showing,
            // never the next one.
            Open();
            EXPECT_TRUE(Dialog() && IsWindowVisible(Dialog())) << where << ": the dialog no longer opens";
            if (!session.shownAtExit) Close();
        }
        if (armAtExit) hook.failAt(failAt);
        plugin.OnExit();
        DestroyMenu(menu);
    }

    // What must hold after every run, whatever failed in it.
    void CheckNothingLeft(const SessionCase& session, const std::string& where) {
        EXPECT_TRUE(testing_support::PumpUntil([&] { return !GetModuleHandleA(dllPath.c_str()); }, 10000))
            << where << ": the DLL is still mapped";
        EXPECT_EQ(nullptr, Dialog()) << where << ": the dialog window is left";
        // A hook or window procedure left behind would now run unmapped code.
        SetFocus(hostEdit);
        PostMessageA(hostEdit, WM_KEYDOWN, 'A', 1);
        PostMessageA(hostEdit, WM_CHAR, 'a', 1);
        testing_support::PumpMessagesFor(10);
        EXPECT_EQ(0, testing_support::FaultsSeen()) << where;
        EXPECT_TRUE(testing_support::NamedMutexesFreeToOtherThread()) << where << ": mutexes not free to a thread";
        EXPECT_TRUE(probe.NamedMutexesFree()) << where << ": mutexes not free to another process";
        for (const testing_support::TreeEntry& entry : testing_support::ListTree(dataFolder)) {
            const std::string& path = entry.relative;
            if (path.size() < 10 || path.compare(path.size() - 10, 10, "Folder.lst") != 0) continue;
            const std::string directory = dataFolder + path.substr(0, path.size() - 10);
            EXPECT_TRUE(IsCompleteListFile(directory, testing_support::ReadFileBytes(dataFolder + path)))
                << where << ": " << path << " is half-written";
        }
        if (!session.deleteCache) {
            EXPECT_EQ(kPlacedListContent, testing_support::ReadFileBytes(dataFolder + kPlacedList))
                << where << ": a list file was lost";
        }
    }

    struct Figures {
        long allocations = 0;  // in a run without failure
        long runs = 0;
        std::set<std::uint64_t> sites;
    };

    // One load, session and unload per N; every N when the plan's cases
    // reach the allocation count, else that many Ns spread over it.
    Figures Campaign(const SessionCase& session, bool armAtExit, long defaultCases) {
        Figures figures;
        PrepareRun(session);
        EXPECT_TRUE(LoadHooked());
        if (HasFailure()) return figures;
        RunSession(session, 0, armAtExit, "run without failure");
        figures.allocations = hook.allocations();
        // Without failure the session chose a folder and moved mails.
        EXPECT_EQ(1u, standin::Host().CallsTo("BKA_SetCurrentFolder").size());
        EXPECT_EQ(1u, standin::Host().CallsTo("BKA_MoveSelectedMessages").size());
        plugin.Unload();
        CheckNothingLeft(session, "run without failure");

        const auto plan = PlanCampaign(defaultCases, testing_support::kMaxPluginLoadsPerProcess - 2);
        FuzzRandom random(plan.seed + 11);
        const bool everyN = plan.cases > figures.allocations;
        const long stride = everyN ? 1 : figures.allocations / plan.cases;
        for (long k = 0;; ++k) {
            const long n = everyN ? k + 1 : 1 + k * stride + static_cast<long>(random.Below(stride));
            if (!everyN && k >= plan.cases) break;
            const std::string where = std::string(session.name) + " " + DescribeCase(plan, k) +
                                      " failing allocation " + std::to_string(n);
            PrepareRun(session);
            EXPECT_TRUE(LoadHooked()) << where;
            if (HasFailure()) break;
            RunSession(session, n, armAtExit, where);
            const long injected = hook.injected();
            if (injected) figures.sites.insert(hook.site());
            plugin.Unload();
            ++figures.runs;
            CheckNothingLeft(session, where);
            if (HasFailure() || (everyN && injected == 0)) break;
        }
        std::printf("%s: %ld allocations in a run without failure, %ld runs, %zu distinct allocation sites failed\n",
                    session.name, figures.allocations, figures.runs, figures.sites.size());
        return figures;
    }

    HWND mailList = nullptr;
    HWND hostEdit = nullptr;
    AllocationHook hook;
    testing_support::OtherProcessProbe probe;
};

TEST_P(AllocationFailureFuzz, WholeSessionsSurviveAFailedAllocationAnywhere) {
    ASSERT_TRUE(probe.started());
    const Figures figures = Campaign(GetParam(), false, 12);
    EXPECT_GT(figures.allocations, 50);
    EXPECT_GT(figures.sites.size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Sessions, AllocationFailureFuzz,
                         ::testing::Values(SessionCase{"ExitShownDeleteCache0", false, true, false},
                                           SessionCase{"ExitShownDeleteCache1", true, true, false},
                                           SessionCase{"ExitHiddenDeleteCache0", false, false, true},
                                           SessionCase{"ExitHiddenDeleteCache1", true, false, false}),
                         [](const ::testing::TestParamInfo<SessionCase>& info) { return info.param.name; });

// Every allocation of an exit with the dialog shown and "DeleteCache" 1 (the
// history to save, the list files to delete): whichever fails, the rest of
// the exit still gives the mutexes back and takes the window, its hook,
// subclass and drop target away before the host unloads the plug-in.
class ExitAllocationFailureFuzz : public AllocationFailureFuzz {};

TEST_F(ExitAllocationFailureFuzz, EveryStepOfExitRunsWhateverAllocationFails) {
    ASSERT_TRUE(probe.started());
    const Figures figures = Campaign(SessionCase{"ExitOnly", true, true, false}, true, 20);
    EXPECT_GT(figures.allocations, 5);
}
