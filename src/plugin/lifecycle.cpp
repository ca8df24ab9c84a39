#include "plugin/lifecycle.h"

#include "catalogue/catalogue.h"
#include "common/run_step.h"
#include "common/unique_handle.h"
#include "dialog/search_dialog.h"
#include "binding/config.h"
#include "plugin/menu.h"

namespace tarnwick {
namespace {

void DeleteListFilesHoldingTheMutex(bool updateThreadEnded) {
    // Closing the handle would not give the mutex back: another process
    // running the plug-in shares it and would wait until this thread ends.
    const HeldMutex held = WaitForMutex(FolderListMutex(), updateThreadEnded ? INFINITE : kUpdateThreadStopMilliseconds);
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
}

// Every step runs whether or not an earlier one failed: the host unloads the
// plug-in right after, and a window, hook or drop target left behind, or a
// mutex left owned, would outlive it.
void ExitPlugin() noexcept {
    // A thread that did not end in time keeps its own list and mutex
    // references, but may still hold the mutex for a while.
    const bool updateThreadEnded = StopBackgroundBuilders();
    DestroyFolderList();
    RunStep(&WriteShortcutKeyText);
    RunStep(&WriteWindowSettings);
    if (SearchDialogExists()) RunStep(&SaveSearchHistory);
    if (Config().deleteCache != 0) RunStep([&] { DeleteListFilesHoldingTheMutex(updateThreadEnded); });
    // A dialog shown at exit owns both mutexes; they go back before the
    // handle is closed, or the owner would stay recorded for other processes.
    EndSearchDialogShowing();
    CloseFolderListMutex();
    if (SearchDialogExists()) DestroySearchDialog();
}

}  // namespace tarnwick
