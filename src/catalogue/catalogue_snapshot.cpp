// The immutable copies of the catalogue that an "InstantOpen" dialog shows,
// and the rebuild that its openings ask for, on a thread of its own.
#include "catalogue/catalogue.h"
#include "catalogue/catalogue_build.h"
#include "catalogue/worker_support.h"
#include "common/unique_handle.h"

#include <atomic>
#include <utility>

namespace tarnwick {
namespace {

struct SnapshotStore {
    SRWLOCK lock = SRWLOCK_INIT;
    // Only builds over the list of this run publish: a thread that outlived
    // an exit keeps building into the list it owns.
    const FolderList* acceptedList = nullptr;
    FolderSnapshot latest;
    HWND listener = nullptr;
    UINT message = 0;
};
SnapshotStore g_store;

bool SameRecord(const FolderRecord& a, const FolderRecord& b) noexcept {
    return a.isIniFolder == b.isIniFolder && a.folderId == b.folderId && a.name == b.name &&
           a.displayPath == b.displayPath && a.searchKey == b.searchKey;
}

bool SameRecords(const FolderList& a, const FolderList& b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!SameRecord(a[i], b[i])) return false;
    }
    return true;
}

// --- the rebuild thread ---

struct RebuildControl {
    UniqueKernelHandle stopEvent;     // manual reset
    UniqueKernelHandle requestEvent;  // auto reset: requests made meanwhile fold into one
    std::atomic<bool> stopRequested{false};
};

// The thread's own references, as the update thread has them.
struct RebuildArgs {
    std::shared_ptr<RebuildControl> control;
    std::shared_ptr<FolderList> list;
    UniqueKernelHandle mutex;
    HMODULE module = nullptr;
    bool useCache = false;
    bool allMailboxes = false;
};

std::shared_ptr<RebuildControl> g_rebuildControl;
UniqueKernelHandle g_rebuildThread;

// Waits for the second handle; false when the stop came first.
bool WaitUnlessStopped(HANDLE stopEvent, HANDLE handle) noexcept {
    const HANDLE waits[2] = {stopEvent, handle};
    const DWORD got = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    return got == WAIT_OBJECT_0 + 1 || got == WAIT_ABANDONED_0 + 1;
}

void RunRequestedRebuilds(RebuildArgs& args) {
    HANDLE stopEvent = args.control->stopEvent.get();
    CatalogueSettings settings;
    settings.useCache = args.useCache;
    settings.allMailboxes = args.allMailboxes;
    settings.stopRequested = &args.control->stopRequested;
    while (WaitUnlessStopped(stopEvent, args.control->requestEvent.get())) {
        // No time-out: a dialog of another process may hold the list for as
        // long as it is shown; the stop event ends the wait at exit.
        if (!WaitUnlessStopped(stopEvent, args.mutex.get())) return;
        HeldMutex held(args.mutex.get());
        try {
            BuildCatalogueInto(*args.list, settings);
            if (!settings.StopRequested()) PublishCatalogueSnapshot(*args.list);
        } catch (...) {
            // A failed build (out of memory) leaves the dialog's rows as they are.
        }
    }
}

bool StartRebuildThread() {
    auto control = std::make_shared<RebuildControl>();
    control->stopEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    control->requestEvent.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    auto args = std::make_unique<RebuildArgs>();
    args->control = control;
    args->list = SharedFolderListOwner();
    args->mutex = DuplicateForThread(FolderListMutex());
    args->useCache = ConfiguredCatalogueSettings().useCache;
    args->allMailboxes = ConfiguredCatalogueSettings().allMailboxes;
    if (!control->stopEvent || !control->requestEvent || !args->list || !args->mutex) return false;
    g_rebuildThread = StartModuleThread<RebuildArgs, &RunRequestedRebuilds>(args);
    if (!g_rebuildThread) return false;
    g_rebuildControl = control;
    return true;
}

}  // namespace

void AcceptSnapshotsOf(const FolderList* list) noexcept {
    FolderSnapshot dropped;
    ExclusiveLock hold(g_store.lock);
    g_store.acceptedList = list;
    dropped = std::move(g_store.latest);
}

FolderSnapshot LatestCatalogueSnapshot() noexcept {
    ExclusiveLock hold(g_store.lock);
    return g_store.latest;
}

void PublishCatalogueSnapshot(const FolderList& list) {
    FolderSnapshot last;
    {
        ExclusiveLock hold(g_store.lock);
        if (g_store.acceptedList != &list) return;
        last = g_store.latest;
    }
    // Builders hold the folder-list mutex, so no other publication comes
    // between the comparison and the swap.
    if (last && SameRecords(*last, list)) return;
    FolderSnapshot copy = std::make_shared<const FolderList>(list);
    ExclusiveLock hold(g_store.lock);
    if (g_store.acceptedList != &list) return;
    std::swap(g_store.latest, copy);
    if (g_store.listener) PostMessageA(g_store.listener, g_store.message, 0, 0);
}

void SetCatalogueListener(HWND window, UINT message) noexcept {
    ExclusiveLock hold(g_store.lock);
    g_store.listener = window;
    g_store.message = message;
}

void RequestCatalogueRebuild() {
    if (!g_rebuildThread && !StartRebuildThread()) return;
    SetEvent(g_rebuildControl->requestEvent.get());
}

bool StopBackgroundBuilders() noexcept {
    const DWORD start = GetTickCount();
    // Both are told at once, so that the two waits share one bound.
    if (g_rebuildThread) {
        g_rebuildControl->stopRequested = true;
        SetEvent(g_rebuildControl->stopEvent.get());
    }
    const bool updateThreadEnded = StopUpdateThread();
    if (!g_rebuildThread) return updateThreadEnded;
    const DWORD elapsed = GetTickCount() - start;
    const DWORD left = elapsed < kUpdateThreadStopMilliseconds ? kUpdateThreadStopMilliseconds - elapsed : 0;
    const bool rebuildEnded = WaitForThreadEnd(g_rebuildThread.get(), left);
    g_rebuildThread.reset();
    g_rebuildControl.reset();
    return updateThreadEnded && rebuildEnded;
}

}  // namespace tarnwick
