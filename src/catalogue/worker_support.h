#pragma once
// What the catalogue's background threads share: a module reference that
// keeps their code mapped, their own copies of kernel handles, and bounded
// waits that still answer messages sent to the waiting thread.

#include "common/unique_handle.h"

#include <process.h>
#include <windows.h>

#include <cstdint>
#include <memory>

namespace tarnwick {

// A reference on the plug-in's own module; null when none could be taken.
HMODULE ReferenceOwnModule() noexcept;

// The body of a thread started by StartModuleThread: it owns the arguments
// and the module reference they carry.
template <typename Args, void (*Work)(Args&)>
unsigned __stdcall ModuleThreadProc(void* raw) {
    HMODULE module = nullptr;
    {
        std::unique_ptr<Args> args(static_cast<Args*>(raw));
        module = args->module;
        try {
            Work(*args);
        } catch (...) {
        }
    }
    // The host may have unloaded the plug-in already; the thread's own
    // reference keeps this code mapped until here.
    FreeLibraryAndExitThread(module, 0);
    return 0;
}

// Runs Work(*args) on a thread of its own that holds a reference on the
// plug-in's module (in args->module); the thread takes the arguments. An
// empty handle, and the arguments left with the caller, when none started.
template <typename Args, void (*Work)(Args&)>
UniqueKernelHandle StartModuleThread(std::unique_ptr<Args>& args) noexcept {
    args->module = ReferenceOwnModule();
    if (!args->module) return UniqueKernelHandle();
    const std::uintptr_t thread = _beginthreadex(nullptr, 0, &ModuleThreadProc<Args, Work>, args.get(), 0, nullptr);
    if (thread == 0) {
        FreeLibrary(args->module);
        return UniqueKernelHandle();
    }
    args.release();
    return UniqueKernelHandle(reinterpret_cast<HANDLE>(thread));
}

// A handle of the thread's own, so that exit closing its copy pulls nothing
// from under the thread.
UniqueKernelHandle DuplicateForThread(HANDLE handle) noexcept;

// True when the stop event was signalled (or cannot be waited on) within
// the given time.
bool StopSignalled(HANDLE stopEvent, DWORD milliseconds) noexcept;

// Waits for the thread while still answering messages sent to this thread,
// since a host call on the other thread may be waiting for this one.
bool WaitForThreadEnd(HANDLE thread, DWORD milliseconds) noexcept;

}  // namespace tarnwick
