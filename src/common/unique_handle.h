#pragma once
// One owner per Win32 handle: each handle type names its invalid value and
// its close function once, so no code path can forget to close.

#include <windows.h>
#include <cstdio>
#include <utility>

namespace tarnwick {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : handle_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

    Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) noexcept {
        Handle old = std::exchange(handle_, h);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::FindClose(h); }
};
struct FontTraits {
    using Handle = HFONT;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};
struct BitmapTraits {
    using Handle = HBITMAP;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};
// A memory device context of one's own (CreateCompatibleDC).
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteDC(h); }
};
struct HookTraits {
    using Handle = HHOOK;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::UnhookWindowsHookEx(h); }
};
struct ActCtxTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::ReleaseActCtx(h); }
};
struct StdioFileTraits {
    using Handle = FILE*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { std::fclose(h); }
};
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};

// Not a handle to close but an ownership to give back: a mutex obtained by
// a wait, released when its holder goes.
struct HeldMutexTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::ReleaseMutex(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueFont = UniqueHandle<FontTraits>;
using UniqueBitmap = UniqueHandle<BitmapTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueHook = UniqueHandle<HookTraits>;
using UniqueActCtx = UniqueHandle<ActCtxTraits>;
using UniqueFile = UniqueHandle<StdioFileTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using HeldMutex = UniqueHandle<HeldMutexTraits>;

// A slim reader/writer lock held exclusively for a scope. Such a lock needs
// no destruction, so a process-wide one outlives an unload without an exit.
class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) noexcept : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

// Waits for a mutex; the result owns it when the wait obtained it.
inline HeldMutex WaitForMutex(HANDLE mutex, DWORD milliseconds) noexcept {
    const DWORD got = ::WaitForSingleObject(mutex, milliseconds);
    return HeldMutex((got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) ? mutex : nullptr);
}

}  // namespace tarnwick
