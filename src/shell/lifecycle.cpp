#include "shell/lifecycle.h"

#include "catalogue/catalogue.h"
#include "dialog/search_dialog.h"
#include "shell/config.h"
#include "shell/menu.h"

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
    // The thread must be gone before the list and the mutex it uses.
    StopUpdateThread();
    DestroyFolderList();
    WriteShortcutKeyText();
    WriteWindowSettings();
    if (SearchDialogExists()) SaveSearchHistory();
    if (Config().deleteCache != 0) {
        WaitForSingleObject(FolderListMutex(), INFINITE);
        DeleteFolderListFiles(std::string(), std::string());
    }
    CloseFolderListMutex();
    if (SearchDialogExists()) DestroySearchDialog();
}

}  // namespace tarnwick
