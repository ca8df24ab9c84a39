#include "support/migemo_support.h"
#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using testing_support::PluginHostTest;

namespace {

constexpr char kBusyThreadIni[] =
    "[Config]\r\n"
    "UseUpateThread=1\r\n"
    "FirstWaitingTime=0\r\n"
    "UpdateInterval=0\r\n";

// 3,000 folders in two levels, enough that a build is under way whenever
// the exit comes.
void MakeLargeMailbox(const std::string& mailbox) {
    for (int top = 0; top < 60; ++top) {
        char name[32];
        std::snprintf(name, sizeof(name), "Top%02d\\", top);
        const std::string topPath = mailbox + name;
        CreateDirectoryA(topPath.c_str(), nullptr);
        for (int sub = 0; sub < 50; ++sub) {
            std::snprintf(name, sizeof(name), "Sub%02d", sub);
            CreateDirectoryA((topPath + name).c_str(), nullptr);
        }
    }
}

}  // namespace

class CatalogueShutdownTest : public PluginHostTest {
protected:
    bool PluginMapped() const { return GetModuleHandleA(dllPath.c_str()) != nullptr; }

    // "InstantOpen" without the update thread: the start builds an empty
    // mailbox, then 3,000 folders appear and the dialog opens at once on the
    // empty catalogue; the opening's rebuild has all of them to complete.
    void OpenOnAGrowingMailbox() {
        WriteIni("[Config]\r\nUseUpateThread=0\r\nInstantOpen=1\r\n");
        StartPlugin();
        MakeLargeMailbox(dataFolder + "MB1\\");
        menu = testing_support::MakeHostMenu();
        plugin.OnMenuInit(nullptr, menu, 0);
        ASSERT_EQ(1, plugin.OnKeyDispatch(nullptr, 'F', 96));
    }
    void TearDown() override {
        if (menu) DestroyMenu(menu);
        PluginHostTest::TearDown();
    }
    HMENU menu = nullptr;
};

TEST_F(CatalogueShutdownTest, ExitAndUnloadWhileTheThreadBuildsLeaveNoCodeRunning) {
    MakeLargeMailbox(dataFolder + "MB1\\");
    WriteIni(kBusyThreadIni);
    StartPlugin();
    // Completing the first build's records asks the host for display names.
    ASSERT_TRUE(testing_support::PumpUntil([] { return standin::Host().DisplayNameCallCount() > 50; }, 20000));

    const DWORD start = GetTickCount();
    plugin.OnExit();
    EXPECT_LT(GetTickCount() - start, 2000u) << "the build did not stop between folders";
    plugin.Unload();
    testing_support::PumpMessagesFor(2000);
    EXPECT_EQ(0, testing_support::FaultsSeen());
    EXPECT_FALSE(PluginMapped());
}

TEST_F(CatalogueShutdownTest, ExitDuringAnUnchangedRebuildWalk) {
    MakeLargeMailbox(dataFolder + "MB1\\");
    WriteIni(kBusyThreadIni);
    StartPlugin();
    ASSERT_TRUE(testing_support::PumpUntil([] { return standin::Host().DisplayNameCallCount() >= 3060; }, 30000));
    testing_support::PumpMessagesFor(300);  // rebuilds now walk without asking for names

    plugin.OnExit();
    plugin.Unload();
    testing_support::PumpMessagesFor(2000);
    EXPECT_EQ(0, testing_support::FaultsSeen());
    EXPECT_FALSE(PluginMapped());
}

TEST_F(CatalogueShutdownTest, ThreadStuckInTheHostKeepsThePluginMappedUntilItEnds) {
    WriteIni(kBusyThreadIni);
    standin::Host().delayMilliseconds = 8000;  // the thread's first host call blocks
    StartPlugin();
    // Exit only once the thread is inside the host: a slow machine may start it late.
    ASSERT_TRUE(testing_support::PumpUntil([] { return standin::Host().textCallsStarted.load() > 0; }, 20000));
    Sleep(100);

    const DWORD start = GetTickCount();
    plugin.OnExit();
    const DWORD exitTime = GetTickCount() - start;
    EXPECT_GE(exitTime, 4500u);
    EXPECT_LT(exitTime, 7500u) << "exit waits for the thread, but bounded";
    plugin.Unload();
    EXPECT_TRUE(PluginMapped()) << "the thread's own reference keeps its code";
    EXPECT_TRUE(testing_support::PumpUntil([&] { return !PluginMapped(); }, 6000));
    testing_support::PumpMessagesFor(500);
    EXPECT_EQ(0, testing_support::FaultsSeen());
    EXPECT_NE(std::string::npos, IniText().find("Width=0\r\n")) << "exit went on with its other steps";
}

TEST_F(CatalogueShutdownTest, ExitAndUnloadDuringTheRebuildAnInstantOpeningAskedFor) {
    OpenOnAGrowingMailbox();
    const long namesBefore = standin::Host().DisplayNameCallCount();
    ASSERT_TRUE(testing_support::PumpUntil(
        [&] { return standin::Host().DisplayNameCallCount() > namesBefore + 50; }, 20000));

    const DWORD start = GetTickCount();
    plugin.OnExit();
    EXPECT_LT(GetTickCount() - start, 2000u) << "the rebuild did not stop between folders";
    plugin.Unload();
    testing_support::PumpMessagesFor(2000);
    EXPECT_EQ(0, testing_support::FaultsSeen());
    EXPECT_FALSE(PluginMapped());
}

TEST_F(CatalogueShutdownTest, RebuildOfAnInstantOpeningStuckInTheHostKeepsThePluginMappedUntilItEnds) {
    OpenOnAGrowingMailbox();
    const long callsBefore = standin::Host().textCallsStarted.load();
    standin::Host().delayMilliseconds = 8000;
    ASSERT_TRUE(testing_support::PumpUntil(
        [&] { return standin::Host().textCallsStarted.load() > callsBefore; }, 20000));
    Sleep(100);

    const DWORD start = GetTickCount();
    plugin.OnExit();
    const DWORD exitTime = GetTickCount() - start;
    EXPECT_LT(exitTime, 7500u) << "exit waits for the rebuild, but bounded";
    plugin.Unload();
    EXPECT_TRUE(PluginMapped()) << "the rebuild's own reference keeps its code";
    EXPECT_TRUE(testing_support::PumpUntil([&] { return !PluginMapped(); }, 10000));
    testing_support::PumpMessagesFor(500);
    EXPECT_EQ(0, testing_support::FaultsSeen());
}

// "MatchMigemo", with C/Migemo beside the plug-in: the exit comes while the
// loader's migemo_open reads the real dictionary, or once it is ready. Exit
// and unload leave neither the plug-in nor migemo.dll loaded, whichever
// convention a 32-bit migemo.dll has.
struct MigemoExitCase {
    const char* variant;
    DWORD exitAfterMilliseconds;  // after migemo.dll appears
};

class MigemoShutdownTest : public CatalogueShutdownTest, public ::testing::WithParamInterface<MigemoExitCase> {};

TEST_P(MigemoShutdownTest, ExitAndUnloadLeaveNeitherThePluginNorMigemoLoaded) {
    const std::string migemo = pluginFolder + "migemo.dll";
    ASSERT_TRUE(CopyFileA(migemo_testing::TestDll(GetParam().variant).c_str(), migemo.c_str(), FALSE));
    ASSERT_TRUE(testing_support::FileExists(migemo_testing::kRealDictionary));
    WriteIni(std::string("[Config]\r\nUseUpateThread=0\r\nMatchMigemo=1\r\nMigemoDict=") +
             migemo_testing::kRealDictionary + "\r\n");
    StartPlugin();
    ASSERT_TRUE(testing_support::PumpUntil([&] { return migemo_testing::Loaded(migemo); }, 20000));
    testing_support::PumpMessagesFor(GetParam().exitAfterMilliseconds);

    const DWORD start = GetTickCount();
    plugin.OnExit();
    EXPECT_LT(GetTickCount() - start, 5500u);
    plugin.Unload();
    EXPECT_TRUE(testing_support::PumpUntil([&] { return !PluginMapped() && !migemo_testing::Loaded(migemo); }, 20000));
    testing_support::PumpMessagesFor(300);
    EXPECT_EQ(0, testing_support::FaultsSeen());
}

const MigemoExitCase kMigemoExits[] = {
#if defined(_WIN64)
    {"x86-64", 0}, {"x86-64", 3000},
#else
    {"i686-cdecl", 0}, {"i686-cdecl", 3000}, {"i686-stdcall", 0}, {"i686-stdcall", 3000},
#endif
};

INSTANTIATE_TEST_SUITE_P(Exits, MigemoShutdownTest, ::testing::ValuesIn(kMigemoExits),
                         [](const ::testing::TestParamInfo<MigemoExitCase>& info) {
                             std::string name = info.param.variant;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return name + (info.param.exitAfterMilliseconds ? "_WhenReady" : "_WhileLoading");
                         });
