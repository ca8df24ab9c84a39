#pragma once
// Loads a Becky!-style plug-in DLL and calls its BKC_* exports as the mail
// client does.

#include <windows.h>

#include <string>

namespace standin {

class LoadedPlugin {
public:
    LoadedPlugin() = default;
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;
    ~LoadedPlugin() { Unload(); }

    // Loads the DLL (by default Tarnwick.dll beside this executable).
    bool Load(const std::string& path = std::string());
    void Unload();
    bool loaded() const { return module_ != nullptr; }
    HMODULE module() const { return module_; }

    int OnStart();
    int OnExit();
    int OnMenuInit(HWND window, HMENU menu, int menuType);
    int OnKeyDispatch(HWND firstValue, int keyCode, int shiftCode);
    int OnPlugInSetup(HWND parent);
    int OnPlugInInfo(void* record);
    // Any export by name, with no arguments (the do-nothing ones).
    FARPROC Export(const char* name) const;

private:
    HMODULE module_ = nullptr;
};

// The folder this executable lives in, with a trailing '\'.
std::string ExecutableFolder();

}  // namespace standin
