#include "catalogue_fixture.h"

#include "binding/config.h"

class UpdateThreadTest : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        tarnwick::PluginConfig& config = tarnwick::Config();
        config.useUpdateThread = 1;
        config.firstWaitingTime = 0;
        config.updateInterval = 0;
        config.useCache = 0;
        tarnwick::CreateFolderList();
        tarnwick::CreateFolderListMutex();
    }
    void TearDown() override {
        tarnwick::StopUpdateThread();
        tarnwick::DestroyFolderList();
        tarnwick::CloseFolderListMutex();
        CatalogueTest::TearDown();
    }
    std::size_t SharedSize() {
        WaitForSingleObject(tarnwick::FolderListMutex(), INFINITE);
        const std::size_t size = tarnwick::SharedFolderList()->size();
        ReleaseMutex(tarnwick::FolderListMutex());
        return size;
    }
};

TEST_F(UpdateThreadTest, BuildsTheSharedListAndStopsPromptly) {
    Dirs({"MB1\\A", "MB1\\B"});
    tarnwick::StartUpdateThread();
    ASSERT_TRUE(testing_support::PumpUntil([&] { return SharedSize() == 2; }, 5000));
    const DWORD start = GetTickCount();
    EXPECT_TRUE(tarnwick::StopUpdateThread());
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_TRUE(tarnwick::StopUpdateThread()) << "stopping twice is harmless";
}

TEST_F(UpdateThreadTest, NeverBuildsWhileTheMutexIsHeldElsewhere) {
    Dirs({"MB1\\A"});
    // Other test processes running the plug-in's code share the named mutex.
    const DWORD taken = WaitForSingleObject(tarnwick::FolderListMutex(), 30000);
    ASSERT_TRUE(taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED) << taken;
    tarnwick::StartUpdateThread();
    Sleep(400);
    EXPECT_TRUE(tarnwick::SharedFolderList()->empty());
    ReleaseMutex(tarnwick::FolderListMutex());
    EXPECT_TRUE(testing_support::PumpUntil([&] { return SharedSize() == 1; }, 5000));
}

TEST_F(UpdateThreadTest, StopDuringTheFirstWaitEndsAtOnce) {
    tarnwick::Config().firstWaitingTime = 600;
    tarnwick::StartUpdateThread();
    Sleep(50);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(tarnwick::StopUpdateThread());
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_TRUE(tarnwick::SharedFolderList()->empty());
}

TEST_F(UpdateThreadTest, ThreadThatOutlivesTheWaitKeepsItsOwnListAndMutex) {
    Dirs({"MB1\\A"});
    testing_support::WatchFaultsIn(GetModuleHandle(nullptr));
    // The thread's first display-name call blocks in the host.
    HANDLE inHost = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    standin::Host().displayNameOverride = [inHost](const std::string& id) -> std::string {
        SetEvent(inHost);
        Sleep(1500);
        return "Mailbox/" + id;
    };
    tarnwick::StartUpdateThread();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(inHost, 10000));
    EXPECT_FALSE(tarnwick::StopUpdateThread(100));
    // Exit goes on as the plug-in does it; the thread still runs its build.
    tarnwick::DestroyFolderList();
    tarnwick::CloseFolderListMutex();
    EXPECT_EQ(nullptr, tarnwick::SharedFolderList());
    Sleep(3000);  // the thread returns from the host, abandons the build and ends
    EXPECT_EQ(0, testing_support::FaultsSeen());
    CloseHandle(inHost);
}
