#include "plugin/lifecycle.h"

#include "catalogue/catalogue.h"
#include "common/run_step.h"
#include "common/unique_handle.h"
#include "search/recent_folders.h"
#include "dialog/search_dialog.h"
#include "binding/config.h"
#include "plugin/menu.h"
#include "search/migemo.h"

namespace tarnwick {
namespace {

void DeleteListFilesHoldingTheMutex() {
    // Another process's dialog holds the list for as long as it is shown:
    // the mail client's exit must not wait for that. Files left behind are
    // still valid lists, and a later exit deletes them. The mutex goes back
    // afterwards: closing the handle would not release it, and another
    // process running the plug-in would wait until this thread ends.
    const HeldMutex held = WaitForMutex(FolderListMutex(), kUpdateThreadStopMilliseconds);
    if (held) DeleteFolderListFiles(std::string(), std::string());
}

}  // namespace

void StartPlugin() {
    FillSpecialFolderNames();
    ReadPluginConfig();
    CreateFolderList();
    CreateFolderListMutex();
    if (Config().useUpdateThread != 0) {
        StartUpdateThread();
    } else {
        BuildCatalogue();
    }
    // Last: a start that failed before leaves no loader behind, whose library
    // no exit would close.
    StartMigemo();
}

// Every step runs whether or not an earlier one failed: the host unloads the
// plug-in right after, and a window, hook or drop target left behind, or a
// mutex left owned, would outlive it.
void ExitPlugin() noexcept {
    // A thread that did not end in time keeps its own list and mutex
    // references, but may still hold the mutex for a while. The migemo
    // loader has been loading all the while: it gets what is left of the
    // same bound.
    const DWORD exitStarted = GetTickCount();
    StopBackgroundBuilders();
    const DWORD elapsed = GetTickCount() - exitStarted;
    StopMigemo(elapsed < kMigemoStopMilliseconds ? kMigemoStopMilliseconds - elapsed : 0);
    DestroyFolderList();
    {
        // A kill in the middle of these writes must leave the user's file whole.
        const IniWriteBatch batch;
        RunStep(&WriteShortcutKeyText);
        RunStep(&WriteWindowSettings);
        if (SearchDialogExists()) RunStep(&SaveSearchHistory);
        if (SearchDialogExists()) RunStep(&SaveRecentFolders);
    }
    if (Config().deleteCache != 0) RunStep(&DeleteListFilesHoldingTheMutex);
    // A dialog shown at exit owns both mutexes; they go back before the
    // handle is closed, or the owner would stay recorded for other processes.
    EndSearchDialogShowing();
    CloseFolderListMutex();
    if (SearchDialogExists()) DestroySearchDialog();
}

}  // namespace tarnwick
