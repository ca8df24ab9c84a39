#pragma once
// What the catalogue's background threads share: a module reference that
// keeps their code mapped, their own copies of kernel handles, and bounded
// waits that still answer messages sent to the waiting thread.

#include "common/unique_handle.h"

#include <windows.h>

namespace tarnwick {

// A reference on the plug-in's own module; null when none could be taken.
HMODULE ReferenceOwnModule() noexcept;

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
