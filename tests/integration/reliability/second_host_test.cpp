// Two host processes running the plug-in share its named mutexes: both keep
// building and opening their dialogs, one exits (with "DeleteCache") while
// its process lives on, and the other still opens its dialog at once.
#include "sample_mailbox.h"
#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using testing_support::PluginHostTest;

namespace {

constexpr char kCaption[] = "フォルダ検索";
constexpr char kSecondHostVariable[] = "TARNWICK_SECOND_HOST_EVENTS";

std::string EventName(const std::string& prefix, const char* what) { return prefix + "-" + what; }

// A hang must fail the test, not stall the suite.
DWORD WINAPI EndProcessAfterNoProgress(LPVOID) {
    Sleep(90000);
    std::fprintf(stderr, "TwoHosts: no progress in 90 s\n");
    TerminateProcess(GetCurrentProcess(), 3);
    return 0;
}

class Event {
public:
    explicit Event(const std::string& name) : handle_(CreateEventA(nullptr, TRUE, FALSE, name.c_str())) {}
    ~Event() {
        if (handle_) CloseHandle(handle_);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE get() const { return handle_; }
    bool IsSet() const { return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }

private:
    HANDLE handle_;
};

}  // namespace

class TwoHosts : public PluginHostTest {
protected:
    void StartBusyPlugin() {
        standin::SampleMailboxOptions options;
        options.folderCount = 300;
        options.mailboxCount = 1;
        options.writeMails = false;
        standin::GenerateSampleMailbox(dataFolder, options);
        WriteIni("[Config]\r\nUseUpateThread=1\r\nFirstWaitingTime=0\r\nUpdateInterval=0\r\nUseCache=1\r\n"
                 "DeleteCache=1\r\n");
        StartPlugin();
        menu = testing_support::MakeHostMenu();
        plugin.OnMenuInit(nullptr, menu, 0);
    }
    void TearDown() override {
        if (menu) DestroyMenu(menu);
        PluginHostTest::TearDown();
    }

    HWND Dialog() const { return testing_support::FindThreadWindow(kCaption); }

    // One press of the shortcut; true when this process's dialog showed (the
    // other process's dialog, while shown, keeps this one from opening).
    bool OpenAndClose(DWORD showWait, DWORD shown) {
        const DWORD start = GetTickCount();
        EXPECT_EQ(1, plugin.OnKeyDispatch(nullptr, 'F', 96));
        // A build of the other process may hold the folder list for a moment.
        EXPECT_LT(GetTickCount() - start, 10000u) << "the shortcut kept the host's thread";
        const bool opened = testing_support::PumpUntil([&] { return Dialog() && IsWindowVisible(Dialog()); }, showWait);
        if (opened) {
            PostMessageA(GetFocus(), WM_CHAR, 'o', 1);
            testing_support::PumpMessagesFor(shown);
            PostMessageA(Dialog(), WM_CLOSE, 0, 0);
            testing_support::PumpUntil([&] { return !Dialog() || !IsWindowVisible(Dialog()); }, 5000);
        }
        return opened;
    }

    HMENU menu = nullptr;
};

// The second host: started by the test below, never on its own.
TEST_F(TwoHosts, SecondProcess) {
    const char* prefix = std::getenv(kSecondHostVariable);
    if (!prefix) GTEST_SKIP() << "runs only as the second process of ShareTheNamedMutexes";
    Event exited(EventName(prefix, "second-exited"));
    Event done(EventName(prefix, "first-done"));
    StartBusyPlugin();
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 4000) {
        OpenAndClose(300, 100);
        testing_support::PumpMessagesFor(50);
    }
    ExitAndUnload();
    SetEvent(exited.get());
    // The process lives on, as a host does after unloading a plug-in, until
    // the first host is done or has been stopped as hanging.
    testing_support::PumpUntil([&] { return done.IsSet(); }, 100000);
    EXPECT_EQ(0, testing_support::FaultsSeen());
}

TEST_F(TwoHosts, ShareTheNamedMutexes) {
    const std::string prefix = "TarnwickTwoHosts-" + std::to_string(GetCurrentProcessId());
    Event exited(EventName(prefix, "second-exited"));
    Event done(EventName(prefix, "first-done"));
    HANDLE watchdog = CreateThread(nullptr, 0, EndProcessAfterNoProgress, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, watchdog);

    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string commandLine = std::string("\"") + self + "\" --gtest_filter=TwoHosts.SecondProcess";
    SetEnvironmentVariableA(kSecondHostVariable, prefix.c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION second{};
    const BOOL created =
        CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &second);
    SetEnvironmentVariableA(kSecondHostVariable, nullptr);
    ASSERT_TRUE(created);

    StartBusyPlugin();
    int openedBeside = 0;
    const DWORD start = GetTickCount();
    while (!exited.IsSet() && GetTickCount() - start < 60000) {
        if (OpenAndClose(300, 80)) ++openedBeside;
        testing_support::PumpMessagesFor(30);
    }
    ASSERT_TRUE(exited.IsSet()) << "the second host did not finish";
    // The other host has exited the plug-in but still runs.
    EXPECT_TRUE(OpenAndClose(10000, 50)) << "the dialog did not open beside the other host";
    SetEvent(done.get());

    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second.hProcess, 60000));
    DWORD secondExit = 1;
    GetExitCodeProcess(second.hProcess, &secondExit);
    EXPECT_EQ(0u, secondExit) << "the second host's own checks failed";
    CloseHandle(second.hThread);
    CloseHandle(second.hProcess);
    std::printf("dialog opened %d times beside the other host\n", openedBeside);

    ExitAndUnload();
    EXPECT_EQ(0, testing_support::FaultsSeen());
    TerminateThread(watchdog, 0);
    CloseHandle(watchdog);
}
