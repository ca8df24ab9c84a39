#include "plugin/lifecycle.h"

#include "catalogue/catalogue.h"
#include "common/run_step.h"
#include "dialog/search_dialog.h"
#include "binding/config.h"
#include "plugin/menu.h"

namespace tarnwick {
namespace {

// Owned from a successful wait to the end of the scope.
class HeldMutex {
public:
    HeldMutex(HANDLE mutex, DWORD milliseconds) noexcept {
        const DWORD got = WaitForSingleObject(mutex, milliseconds);
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) mutex_ = mutex;
    }
    ~HeldMutex() {
        if (mutex_) ReleaseMutex(mutex_);
    }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;
    explicit operator bool() const noexcept { return mutex_ != nullptr; }

private:
    HANDLE mutex_ = nullptr;
};

void DeleteListFilesHoldingTheMutex(bool updateThreadEnded) {
    // Closing the handle would not give the mutex back: another process
    // running the plug-in shares it and would wait until this thread ends.
    HeldMutex held(FolderListMutex(), updateThreadEnded ? INFINITE : kUpdateThreadStopMilliseconds);
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
    const bool updateThreadEnded = StopUpdateThread();
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
