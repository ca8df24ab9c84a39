#include "key_dispatch.h"

namespace standin::app {

int ShiftCode(bool control, bool shift, bool alt) {
    if (alt) return 254;
    return (control ? 32 : 0) | (shift ? 64 : 0);
}

int CurrentShiftCode() {
    auto down = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
    return ShiftCode(down(VK_CONTROL), down(VK_SHIFT), down(VK_MENU));
}

bool PluginTookKey(LoadedPlugin& plugin, const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (!plugin.loaded()) return false;
    return plugin.OnKeyDispatch(nullptr, static_cast<int>(message.wParam), CurrentShiftCode()) == 1;
}

int RunMessageLoop(LoadedPlugin& plugin) {
    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        if (PluginTookKey(plugin, message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace standin::app
