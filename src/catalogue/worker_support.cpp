#include "catalogue/worker_support.h"

namespace tarnwick {

HMODULE ReferenceOwnModule() noexcept {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ReferenceOwnModule),
                       &module);
    return module;
}

UniqueKernelHandle DuplicateForThread(HANDLE handle) noexcept {
    HANDLE copy = nullptr;
    if (!handle || !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE,
                                    DUPLICATE_SAME_ACCESS))
        return UniqueKernelHandle();
    return UniqueKernelHandle(copy);
}

bool StopSignalled(HANDLE stopEvent, DWORD milliseconds) noexcept {
    return WaitForSingleObject(stopEvent, milliseconds) != WAIT_TIMEOUT;
}

bool WaitForThreadEnd(HANDLE thread, DWORD milliseconds) noexcept {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        const DWORD got = MsgWaitForMultipleObjects(1, &thread, FALSE, milliseconds - elapsed, QS_SENDMESSAGE);
        if (got == WAIT_OBJECT_0) return true;
        if (got != WAIT_OBJECT_0 + 1) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace tarnwick
