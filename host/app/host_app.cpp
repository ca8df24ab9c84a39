#include "host_app.h"

#include "call_log.h"
#include "key_dispatch.h"
#include "main_window.h"
#include "mail_store.h"
#include "scripted_session.h"

#include "host_model.h"
#include "plugin_loader.h"
#include "sample_mailbox.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <memory>
#include <thread>

namespace standin::app {
namespace {

// A session that went wrong must still end: the run command relies on it.
constexpr DWORD kScriptedSessionLimit = 180000;

struct OleScope {
    HRESULT result = OleInitialize(nullptr);
    ~OleScope() {
        if (SUCCEEDED(result)) OleUninitialize();
    }
};

void PrepareModel(const HostOptions& options) {
    HostModel& host = Host();
    host.dataFolder = options.dataFolder;
    host.currentMailBox = options.mailbox;
    if (ListMailboxes(host.dataFolder).empty()) {
        std::printf("no mailbox in %s: writing the sample data folder there\n", host.dataFolder.c_str());
        GenerateSampleMailbox(host.dataFolder, SampleMailboxOptions{});
    }
}

}  // namespace

int RunHostWindow(const HostOptions& options) {
    OleScope ole;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    PrepareModel(options);

    LoadedPlugin plugin;
    if (!plugin.Load()) {
        std::printf("Tarnwick.dll did not load from %s (error %lu)\n", ExecutableFolder().c_str(), GetLastError());
        return 1;
    }
    int exitCode = 0;
    {
        MainWindow window(plugin);
        if (!window.Create()) {
            std::printf("the main window could not be created (error %lu)\n", GetLastError());
            return 1;
        }
        HostModel& host = Host();
        host.onSetCurrentFolder = [&window](const std::string& id) { window.ShowFolder(id); };
        host.onMoveSelectedMessages = [&window](const std::string& id, bool copy) { window.MoveSelectedMails(id, copy); };

        plugin.OnStart();
        plugin.OnMenuInit(window.window(), window.menu(), 0);
        DrawMenuBar(window.window());

        std::unique_ptr<ScriptedSession> session;
        if (options.mode == HostMode::Scripted) {
            CreateDirectoryA(options.shotFolder.c_str(), nullptr);
            SetWindowPos(window.window(), nullptr, 0, 0, 1024, 740, SWP_NOZORDER);
            std::thread([] {
                Sleep(kScriptedSessionLimit);
                std::printf("the scripted session did not finish in time\n");
                ExitProcess(3);
            }).detach();
            session = std::make_unique<ScriptedSession>(window, options.shotFolder);
        }
        ShowWindow(window.window(), SW_SHOW);
        UpdateWindow(window.window());
        if (session) session->Start();
        exitCode = RunMessageLoop(plugin);
        host.onSetCurrentFolder = nullptr;
        host.onMoveSelectedMessages = nullptr;
    }
    plugin.Unload();

    const std::string log = FormatCallLog(Host().Calls());
    std::fwrite(log.data(), 1, log.size(), stdout);
    std::fflush(stdout);
    if (options.mode == HostMode::Scripted) WriteTextFile(options.shotFolder + "calls.log", log);
    return exitCode;
}

}  // namespace standin::app
