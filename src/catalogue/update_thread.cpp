#include "catalogue/catalogue.h"
#include "catalogue/catalogue_build.h"
#include "catalogue/worker_support.h"
#include "common/unique_handle.h"
#include "binding/config.h"

#include <atomic>
#include <memory>

namespace tarnwick {
namespace {

constexpr DWORD kMutexTryMilliseconds = 100;

struct UpdateThreadControl {
    UniqueKernelHandle stopEvent;
    std::atomic<bool> stopRequested{false};
};

// Everything the thread uses is its own, so that an exit that could not wait
// for it never pulls the list, the mutex or the code from under it.
struct UpdateThreadArgs {
    std::shared_ptr<UpdateThreadControl> control;
    std::shared_ptr<FolderList> list;
    UniqueKernelHandle mutex;
    HMODULE module = nullptr;
    DWORD firstWaitMilliseconds = 0;
    DWORD intervalMilliseconds = 0;
    bool useCache = false;
    bool allMailboxes = false;
    bool publishSnapshots = false;  // "InstantOpen"
};

std::shared_ptr<UpdateThreadControl> g_control;
UniqueKernelHandle g_thread;

void RunUpdateCycles(UpdateThreadArgs& args) {
    HANDLE stopEvent = args.control->stopEvent.get();
    if (StopSignalled(stopEvent, args.firstWaitMilliseconds)) return;
    CatalogueSettings settings;
    settings.useCache = args.useCache;
    settings.allMailboxes = args.allMailboxes;
    settings.stopRequested = &args.control->stopRequested;
    for (;;) {
        const HANDLE waits[2] = {stopEvent, args.mutex.get()};
        const DWORD got = WaitForMultipleObjects(2, waits, FALSE, kMutexTryMilliseconds);
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED_0 || got == WAIT_FAILED) return;
        if (got == WAIT_OBJECT_0 + 1 || got == WAIT_ABANDONED_0 + 1) {
            try {
                BuildCatalogueInto(*args.list, settings);
                if (args.publishSnapshots && !settings.StopRequested()) PublishCatalogueSnapshot(*args.list);
            } catch (...) {
                // A failed build (out of memory) waits for the next cycle.
            }
            ReleaseMutex(args.mutex.get());
        }
        if (StopSignalled(stopEvent, args.intervalMilliseconds)) return;
    }
}

}  // namespace

void StartUpdateThread() {
    if (g_thread) return;
    auto control = std::make_shared<UpdateThreadControl>();
    control->stopEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto args = std::make_unique<UpdateThreadArgs>();
    args->control = control;
    args->list = SharedFolderListOwner();
    args->mutex = DuplicateForThread(FolderListMutex());
    if (!control->stopEvent || !args->list || !args->mutex) return;
    const PluginConfig& config = Config();
    args->firstWaitMilliseconds = static_cast<DWORD>(config.firstWaitingTime) * 1000u;
    args->intervalMilliseconds = static_cast<DWORD>(config.updateInterval) * 1000u;
    args->useCache = config.useCache != 0;
    args->allMailboxes = config.allMailboxes != 0;
    args->publishSnapshots = config.instantOpen != 0;
    g_thread = StartModuleThread<UpdateThreadArgs, &RunUpdateCycles>(args);
    if (g_thread) g_control = control;
}

bool StopUpdateThread(DWORD timeoutMilliseconds) noexcept {
    if (!g_thread) return true;
    g_control->stopRequested = true;
    SetEvent(g_control->stopEvent.get());
    const bool ended = WaitForThreadEnd(g_thread.get(), timeoutMilliseconds);
    g_thread.reset();
    g_control.reset();
    return ended;
}

}  // namespace tarnwick
