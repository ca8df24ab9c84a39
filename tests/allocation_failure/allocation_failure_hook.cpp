// Linked only into the test build's TarnwickAllocFail.dll, never into the
// shipped Tarnwick.dll: replaces the plug-in's operator new so that a test
// can make its Nth allocation fail, as the host's full address space would.
// The plug-in has no C allocation calls of its own (no malloc, calloc,
// realloc or strdup in src/), so operator new is its one allocation path.
#include <windows.h>
#if defined(__GNUC__) && defined(__i386__)
#include <unwind.h>
#endif

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> g_allocations{0};  // since the last arming
std::atomic<long> g_failAt{0};       // 0: no failure
std::atomic<long> g_injected{0};
std::atomic<std::uint64_t> g_injectedSite{0};

// Deep enough that the same function reached by different paths counts
// as different sites.
constexpr USHORT kFrames = 16;

#if defined(__GNUC__) && defined(__i386__)
struct StackWalk {
    void** frames;
    USHORT count;
    int skip;
};

_Unwind_Reason_Code VisitFrame(_Unwind_Context* context, void* raw) {
    auto* walk = static_cast<StackWalk*>(raw);
    if (walk->skip > 0) {
        --walk->skip;
        return _URC_NO_REASON;
    }
    if (walk->count == kFrames) return _URC_END_OF_STACK;
    walk->frames[walk->count++] = reinterpret_cast<void*>(_Unwind_GetIP(context));
    return _URC_NO_REASON;
}
#endif

USHORT CaptureCallers(void** frames) noexcept {
#if defined(__GNUC__) && defined(__i386__)
    // The 32-bit walk of Windows follows frame pointers, which this build
    // omits, and stops after a frame or two; the unwinder reads the tables.
    StackWalk walk{frames, 0, 2};
    _Unwind_Backtrace(&VisitFrame, &walk);
    return walk.count;
#else
    return RtlCaptureStackBackTrace(2, kFrames, frames, nullptr);
#endif
}

// The failing allocation's call stack (module-relative return addresses),
// hashed, so that a campaign can count the distinct sites it reached.
std::uint64_t CallStackHash() noexcept {
    void* frames[kFrames] = {};
    const USHORT count = CaptureCallers(frames);
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&CallStackHash), &self);
    std::uint64_t hash = 1469598103934665603ull;
    for (USHORT i = 0; i < count; ++i) {
        hash ^= static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(frames[i]) -
                                           reinterpret_cast<std::uintptr_t>(self));
        hash *= 1099511628211ull;
    }
    return hash;
}

void* Allocate(std::size_t size) noexcept {
    const long n = ++g_allocations;
    if (n == g_failAt.load()) {
        g_injectedSite = CallStackHash();
        ++g_injected;
        return nullptr;
    }
    return std::malloc(size ? size : 1);
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }

extern "C" {

// Counts allocations from 0 again; the nth one from now fails (0: none).
__declspec(dllexport) void TarnwickTest_FailAllocation(long n) {
    g_failAt = 0;
    g_allocations = 0;
    g_injected = 0;
    g_injectedSite = 0;
    g_failAt = n;
}
__declspec(dllexport) long TarnwickTest_Allocations() { return g_allocations.load(); }
__declspec(dllexport) long TarnwickTest_InjectedFailures() { return g_injected.load(); }
__declspec(dllexport) std::uint64_t TarnwickTest_InjectedSite() { return g_injectedSite.load(); }

}  // extern "C"
