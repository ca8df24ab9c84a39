#include "plugin/lifecycle.h"

#include "catalogue/catalogue.h"
#include "dialog/search_dialog.h"
#include "binding/config.h"
#include "plugin/menu.h"

namespace tarnwick {

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

void ExitPlugin() {
    // A thread that did not end in time keeps its own list and mutex
    // references, but may still hold the mutex for a while.
    const bool updateThreadEnded = StopBackgroundBuilders();
    DestroyFolderList();
    WriteShortcutKeyText();
    WriteWindowSettings();
    if (SearchDialogExists()) SaveSearchHistory();
    if (Config().deleteCache != 0) {
        const DWORD wait = updateThreadEnded ? INFINITE : kUpdateThreadStopMilliseconds;
        const DWORD got = WaitForSingleObject(FolderListMutex(), wait);
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) {
            DeleteFolderListFiles(std::string(), std::string());
            // Closing the handle would not give it back: another process
            // running the plug-in shares it and would wait until this
            // thread ends.
            ReleaseMutex(FolderListMutex());
        }
    }
    CloseFolderListMutex();
    if (SearchDialogExists()) DestroySearchDialog();
}

}  // namespace tarnwick
