// The sixteen entry points the host calls. None lets a C++ exception out:
// an exception would cross into the host's frames.
#include "plugin/exports.h"

#include "plugin/lifecycle.h"
#include "plugin/menu.h"
#include "plugin/plugin_info.h"

namespace {

template <typename Body>
int Guarded(int neutral, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return neutral;
    }
}

}  // namespace

extern "C" {

int WINAPI BKC_OnStart() {
    return Guarded(0, [] { tarnwick::StartPlugin(); return 0; });
}

int WINAPI BKC_OnExit() {
    return Guarded(0, [] { tarnwick::ExitPlugin(); return 0; });
}

int WINAPI BKC_OnMenuInit(HWND, HMENU menu, int menuType) {
    return Guarded(0, [&] { tarnwick::InitSearchMenu(menu, menuType); return 0; });
}

int WINAPI BKC_OnOpenFolder(LPCSTR) { return 0; }
int WINAPI BKC_OnOpenMail(LPCSTR) { return 0; }
int WINAPI BKC_OnEveryMinute() { return 0; }
int WINAPI BKC_OnOpenCompose(HWND, int) { return 0; }
int WINAPI BKC_OnOutgoing(HWND, int) { return 0; }

int WINAPI BKC_OnKeyDispatch(HWND firstValue, int keyCode, int shiftCode) {
    return Guarded(0, [&] {
        const int first = static_cast<int>(reinterpret_cast<INT_PTR>(firstValue));
        return tarnwick::DispatchShortcutKey(first, keyCode, shiftCode) ? 1 : 0;
    });
}

int WINAPI BKC_OnRetrieve(LPCSTR, LPCSTR) { return 0; }
int WINAPI BKC_OnSend(LPCSTR) { return 0; }
int WINAPI BKC_OnFinishRetrieve(int) { return 0; }

int WINAPI BKC_OnPlugInSetup(HWND parent) {
    return Guarded(1, [&] { tarnwick::ShowSetupDialog(parent); return 1; });
}

int WINAPI BKC_OnPlugInInfo(LPVOID record) {
    tarnwick::FillPluginInfo(static_cast<char*>(record));
    return 0;
}

int WINAPI BKC_OnDragDrop(LPCSTR, LPCSTR, BOOL, LPVOID) { return 0; }
int WINAPI BKC_OnBeforeFilter2(LPCSTR, LPCSTR, int*, char**) { return 0; }

}  // extern "C"
