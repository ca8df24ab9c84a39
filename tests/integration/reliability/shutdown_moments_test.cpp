// The host exits and unloads the plug-in at a random moment: while the
// update thread builds, while the dialog is shown and typed into, or while
// OLE's drag loop holds the list's drop target. The process lives on: no
// fault, bounded exit, no mail moved, and the code unmapped once nothing of
// the plug-in runs any more.
#include "sample_mailbox.h"
#include "support/drag_support.h"
#include "support/fuzz.h"
#include "support/plugin_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

using testing_support::DescribeCase;
using testing_support::FuzzRandom;
using testing_support::PlanCampaign;
using testing_support::PluginHostTest;

namespace {

constexpr char kCaption[] = "フォルダ検索";

enum class Moment { DuringBuild, DialogShown, DuringDrag };

}  // namespace

class ShutdownMomentsFuzz : public PluginHostTest {
protected:
    void SetUp() override {
        PluginHostTest::SetUp();
        standin::SampleMailboxOptions options;
        options.folderCount = 400;
        options.mailboxCount = 1;
        options.writeMails = false;
        standin::GenerateSampleMailbox(dataFolder, options);
        mailList = CreateWindowA("STATIC", "mail list", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        standin::Host().windows[2] = mailList;
    }
    void TearDown() override {
        DestroyWindow(mailList);
        PluginHostTest::TearDown();
    }

    HWND Dialog() const { return testing_support::FindThreadWindow(kCaption); }
    bool Mapped() const { return GetModuleHandleA(dllPath.c_str()) != nullptr; }

    HWND mailList = nullptr;
};

TEST_F(ShutdownMomentsFuzz, ExitAndUnloadAtAnyMomentLeaveTheHostRunning) {
    const auto plan = PlanCampaign(16, testing_support::kMaxPluginLoadsPerProcess);
    FuzzRandom random(plan.seed + 5);
    // A stream of its own, so that the other draws stay those of every run before.
    FuzzRandom instantRandom(plan.seed + 13);
    for (long i = 0; i < plan.cases; ++i) {
        const std::string where = DescribeCase(plan, i);
        const auto moment = static_cast<Moment>(random.Below(3));
        const bool thread = moment == Moment::DuringBuild || !random.OneIn(3);
        WriteIni(std::string("[Config]\r\nUseUpateThread=") + (thread ? "1" : "0") +
                 "\r\nFirstWaitingTime=0\r\nUpdateInterval=0\r\nUseCache=" + (random.OneIn(2) ? "1" : "0") +
                 "\r\nDeleteCache=" + (random.OneIn(2) ? "1" : "0") +
                 "\r\nInstantOpen=" + (instantRandom.OneIn(2) ? "1" : "0") + "\r\n");
        ASSERT_TRUE(LoadPlugin()) << where;
        plugin.OnStart();
        HMENU menu = testing_support::MakeHostMenu();
        plugin.OnMenuInit(nullptr, menu, 0);

        IDropTarget* heldTarget = nullptr;
        testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                             testing_support::MailIndexesBlock(mailList));
        POINTL rowPoint{};
        if (moment != Moment::DuringBuild) {
            ASSERT_EQ(1, plugin.OnKeyDispatch(nullptr, 'F', 96)) << where;
            ASSERT_TRUE(testing_support::PumpUntil([&] { return Dialog() && IsWindowVisible(Dialog()); }, 20000))
                << where;
            PostMessageA(GetFocus(), WM_CHAR, 'a' + random.Below(26), 1);
            HWND list = GetDlgItem(Dialog(), 1002);
            if (moment == Moment::DuringDrag) {
                testing_support::PumpMessagesFor(5);
                heldTarget = static_cast<IDropTarget*>(GetPropA(list, "OleDropTargetInterface"));
                ASSERT_NE(nullptr, heldTarget) << where;
                heldTarget->AddRef();
                const POINT row = testing_support::RowPoint(list, 0);
                rowPoint = POINTL{row.x, row.y};
                DWORD effect = DROPEFFECT_MOVE;
                heldTarget->DragEnter(&data, 0, rowPoint, &effect);
            }
        }
        testing_support::PumpMessagesFor(random.Below(300));

        const DWORD start = GetTickCount();
        ExitAndUnload();
        EXPECT_LT(GetTickCount() - start, 7000u) << where << ": exit took too long";
        if (heldTarget) {
            // The rest of the drag, as OLE's loop goes on with it.
            DWORD effect = DROPEFFECT_MOVE;
            heldTarget->DragOver(0, rowPoint, &effect);
            EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect) << where;
            heldTarget->Drop(&data, 0, rowPoint, &effect);
            heldTarget->Release();
        }
        DestroyMenu(menu);
        testing_support::PumpMessagesFor(200);
        EXPECT_TRUE(testing_support::PumpUntil([&] { return !Mapped(); }, 8000)) << where << ": code still mapped";
        ASSERT_EQ(0, testing_support::FaultsSeen()) << where;
        EXPECT_TRUE(standin::Host().CallsTo("BKA_MoveSelectedMessages").empty()) << where;
        EXPECT_EQ(data.mediaHandedOut(), data.mediaReleased()) << where;
        if (HasFailure()) break;
    }
}

// Exit gives back what a showing of the dialog holds, whatever the settings:
// a second host process keeps the folder-list mutex in existence, and an
// owner left behind would make its next dialog, its builds and its exit wait
// for the first host's thread.
struct ExitCase {
    const char* deleteCache;
    bool opened;
    bool shownAtExit;
};

class ExitGivesTheMutexesBack : public PluginHostTest, public ::testing::WithParamInterface<ExitCase> {
protected:
    HWND Dialog() const { return testing_support::FindThreadWindow(kCaption); }
};

TEST_P(ExitGivesTheMutexesBack, ToAnotherThreadAndAnotherProcess) {
    testing_support::OtherProcessProbe secondHost;
    ASSERT_TRUE(secondHost.started());
    WriteIni(std::string("[Config]\r\nUseUpateThread=0\r\nDeleteCache=") + GetParam().deleteCache + "\r\n");
    StartPlugin();
    HMENU menu = testing_support::MakeHostMenu();
    plugin.OnMenuInit(nullptr, menu, 0);
    if (GetParam().opened) {
        ASSERT_EQ(1, plugin.OnKeyDispatch(nullptr, 'F', 96));
        ASSERT_TRUE(testing_support::PumpUntil([&] { return Dialog() && IsWindowVisible(Dialog()); }, 10000));
        if (!GetParam().shownAtExit) {
            PostMessageA(Dialog(), WM_CLOSE, 0, 0);
            ASSERT_TRUE(testing_support::PumpUntil([&] { return !IsWindowVisible(Dialog()); }, 5000));
        }
    }
    ExitAndUnload();
    DestroyMenu(menu);
    EXPECT_EQ(nullptr, Dialog());
    EXPECT_TRUE(testing_support::NamedMutexesFreeToOtherThread());
    EXPECT_TRUE(secondHost.NamedMutexesFree());
    EXPECT_EQ(0, testing_support::FaultsSeen());
}

INSTANTIATE_TEST_SUITE_P(Settings, ExitGivesTheMutexesBack,
                         ::testing::Values(ExitCase{"0", true, true}, ExitCase{"1", true, true},
                                           ExitCase{"0", true, false}, ExitCase{"1", true, false},
                                           ExitCase{"1", false, false}));

namespace {

struct ListHolder {
    HANDLE held;
    HANDLE release;
};

// Another host's shown dialog, as far as the folder-list mutex goes.
DWORD WINAPI HoldFolderListUntilReleased(LPVOID parameter) {
    auto* holder = static_cast<ListHolder*>(parameter);
    HANDLE mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, testing_support::kFolderListMutexName);
    if (!mutex) return 1;
    WaitForSingleObject(mutex, INFINITE);
    SetEvent(holder->held);
    // Bounded, so that an exit that waits without limit fails the test.
    WaitForSingleObject(holder->release, 30000);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}

}  // namespace

class ExitBesideAShownDialog : public PluginHostTest {};

TEST_F(ExitBesideAShownDialog, DeleteCacheDoesNotWaitForItAndLeavesTheListFiles) {
    testing_support::MakeDirs(dataFolder, "MB1\\Work");
    const std::string listFile = dataFolder + "MB1\\Work\\Folder.lst";
    testing_support::WriteFileBytes(listFile, "Work\r\n");
    WriteIni("[Config]\r\nUseUpateThread=0\r\nDeleteCache=1\r\n");
    StartPlugin();
    ListHolder holder{CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HANDLE thread = CreateThread(nullptr, 0, HoldFolderListUntilReleased, &holder, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder.held, 10000));
    const DWORD start = GetTickCount();
    ExitAndUnload();
    const DWORD elapsed = GetTickCount() - start;
    SetEvent(holder.release);
    WaitForSingleObject(thread, INFINITE);
    for (HANDLE handle : {thread, holder.held, holder.release}) CloseHandle(handle);
    EXPECT_LT(elapsed, 15000u) << "the exit waited for the other holder";
    EXPECT_TRUE(testing_support::FileExists(listFile)) << "deleted while another process held the list";
    EXPECT_TRUE(testing_support::NamedMutexesFreeToOtherThread());
    EXPECT_EQ(0, testing_support::FaultsSeen());
}
