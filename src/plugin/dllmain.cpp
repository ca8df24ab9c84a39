#include "binding/host_api.h"
#include "binding/plugin_paths.h"

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    tarnwick::SetPluginModule(module);
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    if (!tarnwick::BindHostApi()) return FALSE;
    tarnwick::DeriveIniFilePath(module);
    return TRUE;
}
