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

// C/Migemo as Windows users install it for the plug-in: migemo.dll with its
// dict\cp932\ folder beside the plug-in. Here the build's test migemo.dll
// (the 32-bit one of MSVC's convention, as most users have) and Debian's
// cmigemo-common dictionary, which the set-up installs.
#if defined(_WIN64)
constexpr char kMigemoVariant[] = "x86-64";
#else
constexpr char kMigemoVariant[] = "i686-stdcall";
#endif
constexpr char kMigemoDictionary[] = "Z:\\usr\\share\\cmigemo\\cp932\\";

void InstallMigemoBeside(const std::string& folder) {
    const std::string library = ExecutableFolder() + "..\\migemo\\" + kMigemoVariant + "\\migemo.dll";
    CopyFileA(library.c_str(), (folder + "migemo.dll").c_str(), FALSE);
    CreateDirectoryA((folder + "dict").c_str(), nullptr);
    CreateDirectoryA((folder + "dict\\cp932").c_str(), nullptr);
    for (const char* file : {"migemo-dict", "roma2hira.dat", "hira2kata.dat", "han2zen.dat", "zen2han.dat"}) {
        CopyFileA((std::string(kMigemoDictionary) + file).c_str(), (folder + "dict\\cp932\\" + file).c_str(), FALSE);
    }
}

// The scripted session runs its own copy of the plug-in, so that its INI file
// (written at exit) leaves the user's alone. Its dialog is owned by the
// client window, so that it stays in front while mails are dragged to it;
// romaji finds Japanese names, and the characters that matched are shown.
std::string PrepareSessionPlugin(const std::string& shotFolder) {
    const std::string folder = shotFolder + "plugin\\";
    CreateDirectoryA(shotFolder.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA((ExecutableFolder() + "Tarnwick.dll").c_str(), (folder + "Tarnwick.dll").c_str(), FALSE);
    InstallMigemoBeside(folder);
    const std::string ini = folder + "Tarnwick.ini";
    DeleteFileA(ini.c_str());
    WritePrivateProfileStringA("Config", "DialogMode", "1", ini.c_str());
    WritePrivateProfileStringA("Config", "HighlightMatches", "1", ini.c_str());
    WritePrivateProfileStringA("Config", "MatchMigemo", "1", ini.c_str());
    return folder + "Tarnwick.dll";
}

// Tells a test that drives the client from outside where it stands.
void SignalEvent(const std::string& name, const char* suffix) {
    if (name.empty()) return;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, (name + suffix).c_str());
    if (!event) return;
    SetEvent(event);
    CloseHandle(event);
}

}  // namespace

int RunHostWindow(const HostOptions& options) {
    OleScope ole;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    PrepareModel(options);

    const bool scripted = options.mode == HostMode::Scripted;
    const std::string pluginPath = scripted ? PrepareSessionPlugin(options.shotFolder) : ExecutableFolder() + "Tarnwick.dll";
    LoadedPlugin plugin;
    if (!plugin.Load(pluginPath)) {
        std::printf("%s did not load (error %lu)\n", pluginPath.c_str(), GetLastError());
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
        host.onSetCurrentMailBox = [&window](const std::string& id) { window.SwitchMailbox(id); };
        host.onMoveSelectedMessages = [&window](const std::string& id, bool copy) { window.MoveSelectedMails(id, copy); };

        SignalEvent(options.signalName, "-start");
        plugin.OnStart();
        plugin.OnMenuInit(window.window(), window.menu(), 0);
        DrawMenuBar(window.window());
        if (options.quitAfter >= 0) {
            std::thread([main = window.window(), options] {
                Sleep(static_cast<DWORD>(options.quitAfter));
                SignalEvent(options.signalName, "-exit");
                PostMessageA(main, WM_CLOSE, 0, 0);
            }).detach();
        }

        std::unique_ptr<ScriptedSession> session;
        if (scripted) {
            // The left part of the 1024 by 768 desktop; the dialog goes to the right.
            SetWindowPos(window.window(), nullptr, 0, 0, 600, 740, SWP_NOZORDER);
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
        host.onSetCurrentMailBox = nullptr;
        host.onMoveSelectedMessages = nullptr;
    }
    plugin.Unload();

    const std::string log = FormatCallLog(Host().Calls());
    std::fwrite(log.data(), 1, log.size(), stdout);
    std::fflush(stdout);
    if (scripted) WriteTextFile(options.shotFolder + "calls.log", log);
    return exitCode;
}

}  // namespace standin::app
