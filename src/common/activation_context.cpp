#include "common/activation_context.h"

namespace tarnwick {

UniqueActCtx CreateModuleActCtx(HMODULE module, int resourceId) noexcept {
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (!module || length == 0 || length >= MAX_PATH) return UniqueActCtx();
    ACTCTXW context{};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path;
    context.hModule = module;
    context.lpResourceName = MAKEINTRESOURCEW(resourceId);
    return UniqueActCtx(CreateActCtxW(&context));
}

ActCtxActivation::ActCtxActivation(HANDLE context) noexcept {
    if (context != INVALID_HANDLE_VALUE && context != nullptr) active_ = ActivateActCtx(context, &cookie_) != FALSE;
}

ActCtxActivation::~ActCtxActivation() {
    if (active_) DeactivateActCtx(0, cookie_);
}

}  // namespace tarnwick
