#include "plugin_loader.h"

namespace standin {
namespace {

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

std::string ExecutableFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder = path;
    const std::size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

bool LoadedPlugin::Load(const std::string& path) {
    Unload();
    const std::string file = path.empty() ? ExecutableFolder() + "Tarnwick.dll" : path;
    module_ = LoadLibraryA(file.c_str());
    return module_ != nullptr;
}

void LoadedPlugin::Unload() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
}

FARPROC LoadedPlugin::Export(const char* name) const { return module_ ? GetProcAddress(module_, name) : nullptr; }

int LoadedPlugin::OnStart() {
    auto fn = Lookup<int(WINAPI*)()>(module_, "BKC_OnStart");
    return fn ? fn() : -1;
}

int LoadedPlugin::OnExit() {
    auto fn = Lookup<int(WINAPI*)()>(module_, "BKC_OnExit");
    return fn ? fn() : -1;
}

int LoadedPlugin::OnMenuInit(HWND window, HMENU menu, int menuType) {
    auto fn = Lookup<int(WINAPI*)(HWND, HMENU, int)>(module_, "BKC_OnMenuInit");
    return fn ? fn(window, menu, menuType) : -1;
}

int LoadedPlugin::OnKeyDispatch(HWND firstValue, int keyCode, int shiftCode) {
    auto fn = Lookup<int(WINAPI*)(HWND, int, int)>(module_, "BKC_OnKeyDispatch");
    return fn ? fn(firstValue, keyCode, shiftCode) : -1;
}

int LoadedPlugin::OnPlugInSetup(HWND parent) {
    auto fn = Lookup<int(WINAPI*)(HWND)>(module_, "BKC_OnPlugInSetup");
    return fn ? fn(parent) : -1;
}

int LoadedPlugin::OnPlugInInfo(void* record) {
    auto fn = Lookup<int(WINAPI*)(void*)>(module_, "BKC_OnPlugInInfo");
    return fn ? fn(record) : -1;
}

}  // namespace standin
