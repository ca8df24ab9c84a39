#pragma once
// The plug-in's own activation context. A DLL cannot count on the host's
// manifest to select common controls 6, so it activates its embedded one
// around the creation of its windows.

#include "common/unique_handle.h"

#include <windows.h>

namespace tarnwick {

// The context of the manifest embedded in module as resource resourceId;
// invalid when the module carries none or the system refuses it.
UniqueActCtx CreateModuleActCtx(HMODULE module, int resourceId) noexcept;

// Activates a context for its own lifetime; an invalid context is ignored.
class ActCtxActivation {
public:
    explicit ActCtxActivation(HANDLE context) noexcept;
    ~ActCtxActivation();
    ActCtxActivation(const ActCtxActivation&) = delete;
    ActCtxActivation& operator=(const ActCtxActivation&) = delete;

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

}  // namespace tarnwick
