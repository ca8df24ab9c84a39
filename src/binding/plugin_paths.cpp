#include "binding/plugin_paths.h"

#include "common/text.h"

#include <cstring>
#include <string>

namespace tarnwick {
namespace {

HINSTANCE g_module = nullptr;
char g_iniFilePath[MAX_PATH] = "";

}  // namespace

HINSTANCE PluginModule() noexcept { return g_module; }
void SetPluginModule(HINSTANCE module) noexcept { g_module = module; }
const char* IniFilePath() noexcept { return g_iniFilePath; }

bool SetIniFilePathFromModulePath(const char* modulePath) noexcept {
    g_iniFilePath[0] = '\0';
    if (!modulePath || !*modulePath) return false;
    const std::size_t length = std::strlen(modulePath);
    std::size_t dot = FindLastMbcsChar(modulePath, '.');
    const std::size_t stem = (dot == std::string::npos) ? length : dot;
    // Cutting a long path short would name some other file: keep no INI.
    if (stem + 4 + 1 > sizeof(g_iniFilePath)) return false;
    std::memcpy(g_iniFilePath, modulePath, stem);
    std::memcpy(g_iniFilePath + stem, ".ini", 5);
    return true;
}

void DeriveIniFilePath(HINSTANCE module) noexcept {
    char modulePath[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(module, modulePath, sizeof(modulePath));
    // A full buffer means the path was cut: do not derive a name from it.
    if (length == 0 || length >= sizeof(modulePath)) {
        g_iniFilePath[0] = '\0';
        return;
    }
    SetIniFilePathFromModulePath(modulePath);
}

}  // namespace tarnwick
