#include "support/migemo_support.h"

#include "binding/config.h"
#include "binding/plugin_paths.h"
#include "search/migemo.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using migemo_testing::CountOwnThreads;
using migemo_testing::Loaded;
using migemo_testing::TestDll;
using testing_support::FileExists;
using testing_support::MakeDirs;
using testing_support::PumpUntil;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

constexpr UINT kReadyMessage = WM_APP + 26;

// The process's migemo as the plug-in runs it: settings from an INI file of
// the test's own, a library folder lib\ with a copy of a test migemo.dll and
// the test dictionary in its dict\cp932\, as Windows users lay it out.
class MigemoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tarnwick::SetIniFilePathFromModulePath((temp.path() + "Tarnwick.dll").c_str()));
        tarnwick::Config() = tarnwick::PluginConfig{};
        libraryFolder = MakeDirs(temp.path(), "lib");
        library = libraryFolder + "migemo.dll";
        dictionaryFolder = MakeDirs(libraryFolder, "dict\\cp932");
        migemo_testing::WriteTestDictionary(dictionaryFolder);
        ASSERT_TRUE(CopyFileA(TestDll(migemo_testing::kOwnVariants[0]).c_str(), library.c_str(), FALSE));
    }
    void TearDown() override {
        tarnwick::SetMigemoListener(nullptr, 0);
        tarnwick::StopMigemo();
    }

    void Start(const std::string& configLines) {
        WriteFileBytes(temp.path() + "Tarnwick.ini", "[Config]\r\n" + configLines);
        tarnwick::ReadPluginConfig();
        threadsBefore = CountOwnThreads();
        tarnwick::StartMigemo();
    }
    // The loader has ended, whatever it found.
    bool LoaderEnded(DWORD milliseconds = 20000) {
        return PumpUntil([&] { return CountOwnThreads() <= threadsBefore; }, milliseconds);
    }

public:  // the layout, for the rows below
    TempDir temp;
    std::string libraryFolder;
    std::string library;
    std::string dictionaryFolder;
    int threadsBefore = 0;
};

// Every way loading can fail acts as the key at 0: not ready, no expansion,
// nothing left loaded.
struct FailureCase {
    const char* name;
    // Changes the layout of SetUp and gives the [Config] lines.
    std::function<std::string(MigemoTest&)> arrange;
};

class MigemoLoadFailure : public MigemoTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(MigemoLoadFailure, ActsAsTheKeyAtZero) {
    const std::string config = GetParam().arrange(*this);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (std::string(GetParam().name) == "UnreadableDictionary") {
        // Held open without sharing, as another program may hold it.
        held = CreateFileA((dictionaryFolder + "migemo-dict").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
    }
    Start("MatchMigemo=1\r\n" + config);
    ASSERT_TRUE(LoaderEnded());
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_FALSE(tarnwick::MigemoReady());
    EXPECT_EQ("", tarnwick::MigemoQuery("jushin"));
    EXPECT_FALSE(Loaded(library));
    EXPECT_EQ(nullptr, GetModuleHandleA("migemo.dll"));
}

// The library folder as a path that no longer fits MAX_PATH but, taken
// apart, still names it.
std::string OverLong(const std::string& folder) {
    std::string path = folder;
    while (path.size() < MAX_PATH) path += "x\\..\\";
    return path;
}

const FailureCase kFailures[] = {
    {"NoLibrary", [](MigemoTest& t) {
         DeleteFileA(t.library.c_str());
         return "MigemoDll=" + t.library + "\r\n";
     }},
    {"OtherArchitecture", [](MigemoTest& t) {
         CopyFileA(TestDll(migemo_testing::kOtherArchitecture).c_str(), t.library.c_str(), FALSE);
         return "MigemoDll=" + t.library + "\r\n";
     }},
    {"MissingExport", [](MigemoTest& t) {
         CopyFileA(TestDll("no-exports").c_str(), t.library.c_str(), FALSE);
         return "MigemoDll=" + t.library + "\r\n";
     }},
    {"NoDictionary", [](MigemoTest& t) {
         DeleteFileA((t.dictionaryFolder + "migemo-dict").c_str());
         return "MigemoDll=" + t.library + "\r\n";
     }},
    {"UnreadableDictionary", [](MigemoTest& t) { return "MigemoDll=" + t.library + "\r\n"; }},
    {"OverLongLibraryPath", [](MigemoTest& t) {
         return "MigemoDll=" + OverLong(t.libraryFolder) + "migemo.dll\r\n";
     }},
    // C/Migemo would build the paths of its tables beside it past its buffers.
    {"OverLongDictionaryFolder", [](MigemoTest& t) {
         std::string folder = t.dictionaryFolder;
         while (folder.size() < MAX_PATH - 13) folder += ".\\";
         return "MigemoDll=" + t.library + "\r\nMigemoDict=" + folder + "migemo-dict\r\n";
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, MigemoLoadFailure, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(MigemoTest, LoadsOffTheCallingThreadAndExpands) {
    Start("MatchMigemo=1\r\nMigemoDll=" + library + "\r\n");
    ASSERT_TRUE(PumpUntil([] { return tarnwick::MigemoReady(); }, 20000));
    EXPECT_EQ(migemo_testing::JushinPattern(), tarnwick::MigemoQuery("jushin"));
    EXPECT_TRUE(Loaded(library));
    EXPECT_TRUE(LoaderEnded());
    tarnwick::StopMigemo();
    EXPECT_FALSE(tarnwick::MigemoReady());
    EXPECT_EQ("", tarnwick::MigemoQuery("jushin"));
    EXPECT_FALSE(Loaded(library));
}

// Only the plug-in's folder, never the current directory or PATH: here the
// plug-in's folder (the test's bin folder) has no migemo.dll, the current
// directory and the first folder of PATH have one with its dictionary.
TEST_F(MigemoTest, CurrentDirectoryAndPathAreNotSearched) {
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof(exe));
    std::string pluginFolder(exe);
    pluginFolder.erase(pluginFolder.find_last_of('\\') + 1);
    ASSERT_FALSE(FileExists(pluginFolder + "migemo.dll"));
    char path[32767] = "";
    GetEnvironmentVariableA("PATH", path, sizeof(path));
    SetEnvironmentVariableA("PATH", (libraryFolder + ";" + path).c_str());
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof(previous), previous);
    ASSERT_TRUE(SetCurrentDirectoryA(libraryFolder.c_str()));

    Start("MatchMigemo=1\r\nMigemoDll=migemo.dll\r\n");
    const bool ended = LoaderEnded();
    SetCurrentDirectoryA(previous);
    SetEnvironmentVariableA("PATH", path);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(tarnwick::MigemoReady());
    EXPECT_EQ(nullptr, GetModuleHandleA("migemo.dll"));
}

TEST_F(MigemoTest, KeyAtZeroStartsNoThreadAndLoadsNothing) {
    for (const char* line : {"", "MatchMigemo=0\r\n"}) {
        Start(std::string(line) + "MigemoDll=" + library + "\r\n");
        EXPECT_EQ(threadsBefore, CountOwnThreads()) << line;
        EXPECT_EQ("", tarnwick::Config().migemoDll) << "not even read";
        testing_support::PumpMessagesFor(300);
        EXPECT_FALSE(tarnwick::MigemoReady());
        EXPECT_FALSE(Loaded(library));
        tarnwick::StopMigemo();
    }
}

// The window that hears when the dictionary is ready, and what the plug-in
// gives it to work with at that moment.
struct Listener {
    int heard = 0;
    bool readyWhenHeard = false;
    std::string patternWhenHeard;
};
Listener g_listener;

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kReadyMessage) {
        ++g_listener.heard;
        g_listener.readyWhenHeard = tarnwick::MigemoReady();
        g_listener.patternWhenHeard = tarnwick::MigemoQuery("jushin");
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateListenerWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &ListenerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TarnwickMigemoListener";
    RegisterClassA(&windowClass);
    return CreateWindowA("TarnwickMigemoListener", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST_F(MigemoTest, ListenerHearsOnceWhenReadyAndNotWhenSetAfterwards) {
    g_listener = Listener{};
    HWND window = CreateListenerWindow();
    ASSERT_NE(nullptr, window);
    tarnwick::SetMigemoListener(window, kReadyMessage);
    Start("MatchMigemo=1\r\nMigemoDll=" + library + "\r\n");
    ASSERT_TRUE(PumpUntil([] { return g_listener.heard > 0; }, 20000));
    testing_support::PumpMessagesFor(300);
    EXPECT_EQ(1, g_listener.heard);
    EXPECT_TRUE(g_listener.readyWhenHeard);
    EXPECT_EQ(migemo_testing::JushinPattern(), g_listener.patternWhenHeard);

    tarnwick::SetMigemoListener(window, kReadyMessage);
    testing_support::PumpMessagesFor(300);
    EXPECT_EQ(1, g_listener.heard);
    DestroyWindow(window);
}

// Exit while migemo_open reads the real dictionary: it waits for the loader
// at most as long as it is told, and afterwards nothing of the plug-in is
// left running or loaded; a loader it stopped waiting for closes and unloads
// the library itself, and no listener hears of it.
struct ExitCase {
    const char* name;
    DWORD bound;
};

class MigemoExitWhileLoading : public MigemoTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(MigemoExitWhileLoading, ReturnsWithinTheBoundAndLeavesNothing) {
    ASSERT_TRUE(FileExists(migemo_testing::kRealDictionary)) << "cmigemo-common (scripts/setup.sh) installs it";
    g_listener = Listener{};
    HWND window = CreateListenerWindow();
    tarnwick::SetMigemoListener(window, kReadyMessage);
    Start("MatchMigemo=1\r\nMigemoDll=" + library + "\r\nMigemoDict=" + migemo_testing::kRealDictionary + "\r\n");
    // The library appears, and migemo_open starts reading the dictionary.
    const DWORD start = GetTickCount();
    while (!Loaded(library) && GetTickCount() - start < 20000) Sleep(1);
    ASSERT_TRUE(Loaded(library));
    ASSERT_FALSE(tarnwick::MigemoReady()) << "the dictionary loaded in no time: nothing tested";

    const DWORD stopStart = GetTickCount();
    tarnwick::StopMigemo(GetParam().bound);
    EXPECT_LE(GetTickCount() - stopStart, GetParam().bound + 300);
    EXPECT_FALSE(tarnwick::MigemoReady());
    if (GetParam().bound >= tarnwick::kMigemoStopMilliseconds) {
        EXPECT_FALSE(Loaded(library)) << "closed and unloaded by the exit";
        EXPECT_EQ(threadsBefore, CountOwnThreads());
    }
    EXPECT_TRUE(PumpUntil([&] { return !Loaded(library) && CountOwnThreads() <= threadsBefore; }, 20000));
    EXPECT_EQ(0, g_listener.heard);
    EXPECT_FALSE(tarnwick::MigemoReady());
    DestroyWindow(window);
}

INSTANTIATE_TEST_SUITE_P(Cases, MigemoExitWhileLoading,
                         ::testing::Values(ExitCase{"LoaderOutlivesTheBound", 0},
                                           ExitCase{"LoaderEndsWithinTheBound", tarnwick::kMigemoStopMilliseconds}),
                         [](const ::testing::TestParamInfo<ExitCase>& info) { return info.param.name; });

}  // namespace
