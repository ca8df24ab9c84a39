#include "search/migemo.h"

#include "binding/config.h"
#include "binding/plugin_paths.h"
#include "catalogue/worker_support.h"
#include "common/text.h"
#include "common/unique_handle.h"
#include "search/migemo_library.h"
#include "search/migemo_paths.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace tarnwick {
namespace {

struct LoaderControl {
    std::atomic<bool> stopRequested{false};
};

// C/Migemo takes longest over the shortest queries, the first a user types:
// for "c", "k" or "s" it goes through every word of a whole row of kana, tens
// of milliseconds, more than a keystroke may take. The loader asks for
// those beforehand, from one letter on and below each query that took long,
// up to three letters, and keeps the answers that took long.
using MigemoAnswers = std::unordered_map<std::string, std::string>;
constexpr double kKeptAnswerMilliseconds = 1.0;
constexpr double kLongerQueriesMilliseconds = 2.0;
constexpr std::size_t kLongestWarmQuery = 3;

double Milliseconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// False when the exit asked the loader to stop meanwhile.
bool AskBeforehand(const MigemoLibrary& library, const LoaderControl& control, const std::string& prefix,
                   MigemoAnswers& answers) {
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        if (control.stopRequested) return false;
        const std::string query = prefix + letter;
        const double start = Milliseconds();
        std::string answer = library.Query(query);
        const double took = Milliseconds() - start;
        if (took > kKeptAnswerMilliseconds) answers.emplace(query, std::move(answer));
        if (took > kLongerQueriesMilliseconds && query.size() < kLongestWarmQuery &&
            !AskBeforehand(library, control, query, answers)) {
            return false;
        }
    }
    return true;
}

// What the loader hands over. The library is set once, by the loader of
// this run, and from then on used and destroyed by the user-interface
// thread only.
struct MigemoStore {
    SRWLOCK lock = SRWLOCK_INIT;
    // Only the loader of this run publishes: one that outlived an exit
    // keeps what it loaded to itself.
    const LoaderControl* accepted = nullptr;
    // Owned, but not destroyed when the plug-in unloads without an exit:
    // FreeLibrary must not run inside DllMain.
    MigemoLibrary* library = nullptr;
    // The answers asked for beforehand; set with library.
    const MigemoAnswers* answers = nullptr;
    HWND listener = nullptr;
    UINT message = 0;
};
MigemoStore g_store;

// The loader's own copies, so that an exit that could not wait for it pulls
// nothing from under it.
struct LoaderArgs {
    std::shared_ptr<LoaderControl> control;
    HMODULE module = nullptr;
    std::string pluginFolder;
    std::string libraryKey;
    std::string dictionaryKey;
};

std::shared_ptr<LoaderControl> g_control;
UniqueKernelHandle g_loader;

bool RegularFileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The folder of the plug-in's module; empty when its path does not fit.
std::string PluginFolder() {
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(PluginModule(), path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return std::string();
    const std::size_t cut = FindLastMbcsChar(path, '\\');
    return cut == std::string::npos ? std::string() : std::string(path, cut);
}

void LoadMigemo(LoaderArgs& args) {
    // A path on a drive without its medium must not bring up the system's
    // "insert a disk" box: this thread is the loader's own.
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
    const std::optional<MigemoPaths> paths =
        ResolveMigemoPaths(args.pluginFolder, args.libraryKey, args.dictionaryKey, &RegularFileExists);
    if (!paths || args.control->stopRequested) return;
    std::unique_ptr<MigemoLibrary> library = MigemoLibrary::Load(paths->library, paths->dictionary);
    if (!library) return;
    auto answers = std::make_unique<MigemoAnswers>();
    if (!AskBeforehand(*library, *args.control, std::string(), *answers)) return;
    {
        ExclusiveLock hold(g_store.lock);
        if (g_store.accepted == args.control.get()) {
            g_store.library = library.release();
            g_store.answers = answers.release();
            if (g_store.listener && !args.control->stopRequested) {
                PostMessageA(g_store.listener, g_store.message, 0, 0);
            }
        }
    }
    // Not taken (the exit did not wait this long): closed and unloaded here.
}

void StartLoader() {
    auto control = std::make_shared<LoaderControl>();
    auto args = std::make_unique<LoaderArgs>();
    args->control = control;
    args->pluginFolder = PluginFolder();
    args->libraryKey = Config().migemoDll;
    args->dictionaryKey = Config().migemoDict;
    {
        ExclusiveLock hold(g_store.lock);
        g_store.accepted = control.get();
    }
    g_loader = StartModuleThread<LoaderArgs, &LoadMigemo>(args);
    if (g_loader) {
        g_control = control;
    } else {
        ExclusiveLock hold(g_store.lock);
        g_store.accepted = nullptr;
    }
}

}  // namespace

void StartMigemo() noexcept {
    if (Config().matchMigemo == 0 || g_loader) return;
    try {
        StartLoader();
    } catch (...) {
        // Out of memory before the thread started: the key acts as 0.
    }
}

void StopMigemo(DWORD timeoutMilliseconds) noexcept {
    if (g_loader) {
        g_control->stopRequested = true;
        WaitForThreadEnd(g_loader.get(), timeoutMilliseconds);
        g_loader.reset();
        g_control.reset();
    }
    std::unique_ptr<MigemoLibrary> library;
    std::unique_ptr<const MigemoAnswers> answers;
    {
        ExclusiveLock hold(g_store.lock);
        g_store.accepted = nullptr;
        library.reset(std::exchange(g_store.library, nullptr));
        answers.reset(std::exchange(g_store.answers, nullptr));
    }
    // migemo_close and FreeLibrary, on this thread.
    library.reset();
}

bool MigemoReady() noexcept {
    ExclusiveLock hold(g_store.lock);
    return g_store.library != nullptr;
}

std::string MigemoQuery(const std::string& query) {
    MigemoLibrary* library = nullptr;
    const MigemoAnswers* answers = nullptr;
    {
        ExclusiveLock hold(g_store.lock);
        library = g_store.library;
        answers = g_store.answers;
    }
    // Only this thread destroys them.
    if (!library) return std::string();
    const auto answered = answers->find(query);
    return answered != answers->end() ? answered->second : library->Query(query);
}

void SetMigemoListener(HWND window, UINT message) noexcept {
    ExclusiveLock hold(g_store.lock);
    g_store.listener = window;
    g_store.message = message;
}

}  // namespace tarnwick
