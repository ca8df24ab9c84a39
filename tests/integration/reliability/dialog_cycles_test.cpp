// Open, type, sort, choose, close, over and over, while the update thread
// rebuilds without pause: no deadlock, no fault, the folder-list mutex free
// after every close, and no handles, windows or memory left behind.
#include "sample_mailbox.h"
#include "support/plugin_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using testing_support::PluginHostTest;

namespace {

constexpr char kCaption[] = "フォルダ検索";
constexpr char kFolderListMutexName[] = "Tarnwick Mutex for Folder List Making";

long EnvOr(const char* name, long fallback) {
    const char* value = std::getenv(name);
    return value ? std::strtol(value, nullptr, 10) : fallback;
}

struct MutexProbe {
    const char* name;
    DWORD milliseconds;
    bool taken = false;
};

// A thread procedure is stdcall on 32-bit: a named function, not a lambda.
DWORD WINAPI TryProbedMutex(LPVOID parameter) {
    auto* p = static_cast<MutexProbe*>(parameter);
    HANDLE mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, p->name);
    if (!mutex) return 0;
    const DWORD wait = WaitForSingleObject(mutex, p->milliseconds);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        p->taken = true;
        ReleaseMutex(mutex);
    }
    CloseHandle(mutex);
    return 0;
}

// True when a thread other than the caller can take the mutex within the
// time: the user-interface thread does not hold it.
bool OtherThreadCanTake(const char* name, DWORD milliseconds) {
    MutexProbe probe{name, milliseconds};
    HANDLE thread = CreateThread(nullptr, 0, TryProbedMutex, &probe, 0, nullptr);
    if (!thread) return false;
    // Pump while waiting: the host's calls on this thread must keep flowing.
    testing_support::PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, milliseconds + 2000);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return probe.taken;
}


}  // namespace

class DialogCycles : public PluginHostTest {
protected:
    HWND Dialog() const { return testing_support::FindThreadWindow(kCaption); }

    void Cycle(int index) {
        ASSERT_EQ(1, plugin.OnKeyDispatch(nullptr, 'F', 96)) << "cycle " << index;
        ASSERT_TRUE(testing_support::PumpUntil([&] { return Dialog() && IsWindowVisible(Dialog()); }, 30000))
            << "cycle " << index << ": the dialog did not show";
        HWND dialog = Dialog();
        HWND list = GetDlgItem(dialog, 1002);
        for (char c : std::string(index % 2 ? "o" : "re")) {
            PostMessageA(GetFocus(), WM_CHAR, static_cast<unsigned char>(c), 1);
            testing_support::PumpMessagesFor(2);
        }
        // A header click sorts; a row chosen with Enter opens its folder.
        HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        RECT item{};
        SendMessageA(header, HDM_GETITEMRECT, index % 2, reinterpret_cast<LPARAM>(&item));
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(header, WM_LBUTTONUP, 0, at);
        testing_support::PumpMessagesFor(5);
        if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0) {
            LVITEMA state{};
            state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
            SetFocus(list);
            PostMessageA(list, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageA(list, WM_KEYUP, VK_RETURN, 0xC0000001u);
            testing_support::PumpMessagesFor(5);
        }
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        ASSERT_TRUE(testing_support::PumpUntil([&] { return !IsWindowVisible(dialog); }, 5000)) << "cycle " << index;
    }
};

TEST_F(DialogCycles, WhileTheUpdateThreadRebuildsNothingDeadlocksOrLeaks) {
    const long folders = EnvOr("TARNWICK_RELIABILITY_FOLDERS", 600);
    const long cycles = EnvOr("TARNWICK_RELIABILITY_CYCLES", 60);
    standin::SampleMailboxOptions options;
    options.folderCount = static_cast<int>(folders);
    options.mailboxCount = 1;
    options.writeMails = false;
    standin::GenerateSampleMailbox(dataFolder, options);
    WriteIni("[Config]\r\nUseUpateThread=1\r\nFirstWaitingTime=0\r\nUpdateInterval=0\r\nHistoryMax=5\r\n");
    StartPlugin();
    HMENU menu = testing_support::MakeHostMenu();
    plugin.OnMenuInit(nullptr, menu, 0);

    const long warmUp = cycles < 10 ? 1 : 5;
    testing_support::ResourceCounts before{};
    const DWORD start = GetTickCount();
    for (long i = 0; i < cycles; ++i) {
        if (i == warmUp) before = testing_support::CountResources();
        Cycle(static_cast<int>(i));
        if (HasFatalFailure()) break;
        if (i % 10 == 0) {
            ASSERT_TRUE(OtherThreadCanTake(kFolderListMutexName, 30000)) << "cycle " << i;
        }
        if (i % 100 == 99) {
            // Long runs show where they are.
            std::printf("cycle %ld of %ld, %lu ms\n", i + 1, cycles, GetTickCount() - start);
            std::fflush(stdout);
        }
    }
    const testing_support::ResourceCounts after = testing_support::CountResources();
    const DWORD elapsed = GetTickCount() - start;
    std::printf("cycles=%ld folders=%ld ms=%lu handles %lu->%lu gdi %lu->%lu user %lu->%lu private %lu->%lu KiB\n",
                cycles, folders, elapsed, before.handles, after.handles, before.gdiObjects, after.gdiObjects,
                before.userObjects, after.userObjects, static_cast<unsigned long>(before.privateBytes / 1024),
                static_cast<unsigned long>(after.privateBytes / 1024));
    EXPECT_FALSE(standin::Host().CallsTo("BKA_SetCurrentFolder").empty());
    EXPECT_LE(after.handles, before.handles + 8);
    EXPECT_LE(after.gdiObjects, before.gdiObjects + 4);
    EXPECT_LE(after.userObjects, before.userObjects + 4);
    EXPECT_LE(after.privateBytes, before.privateBytes + 4u * 1024 * 1024);

    ExitAndUnload();
    DestroyMenu(menu);
    EXPECT_EQ(0, testing_support::FaultsSeen());
}
