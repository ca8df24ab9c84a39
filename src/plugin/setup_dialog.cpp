#include "plugin/plugin_info.h"

#include "common/activation_context.h"
#include "common/unique_handle.h"
#include "resource_ids.h"
#include "binding/plugin_paths.h"

#include <string>

namespace tarnwick {

namespace {

// The note's font lives as long as the dialog showing it; one at a time.
UniqueFont g_noteFont;

HFONT CreateNoteFont(HWND dialog) {
    LOGFONTA description{};
    HDC screen = GetDC(dialog);
    description.lfHeight = MulDiv(9, -GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(dialog, screen);
    return CreateFontIndirectA(&description);
}

INT_PTR OnSetupInit(HWND dialog) {
    const std::string title = std::string(kPluginName) + "\nVersion " + kPluginVersion;
    SetDlgItemTextA(dialog, IDC_SETUP_TITLE, title.c_str());
    g_noteFont.reset(CreateNoteFont(dialog));
    SendDlgItemMessageA(dialog, IDC_SETUP_NOTE, WM_SETFONT, reinterpret_cast<WPARAM>(g_noteFont.get()), FALSE);
    return TRUE;
}

INT_PTR OnSetupCommand(HWND dialog, WORD control) {
    if (control != IDOK && control != IDCANCEL) return FALSE;
    EndDialog(dialog, control);
    // The note must not keep a handle to a deleted font until the window goes.
    SendDlgItemMessageA(dialog, IDC_SETUP_NOTE, WM_SETFONT, 0, FALSE);
    g_noteFont.reset();
    return TRUE;
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    try {
        switch (message) {
            case WM_INITDIALOG: return OnSetupInit(dialog);
            case WM_COMMAND: return OnSetupCommand(dialog, LOWORD(wParam));
            default: return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

}  // namespace

INT_PTR ShowSetupDialog(HWND parent) {
    // The host's manifest need not select the controls the template asks for.
    const UniqueActCtx context = CreateModuleActCtx(PluginModule(), IDR_COMMON_CONTROLS_MANIFEST);
    ActCtxActivation activation(context.get());
    const INT_PTR result = DialogBoxParamA(PluginModule(), MAKEINTRESOURCEA(IDD_SETUP_DIALOG), parent,
                                           SetupDialogProc, 0);
    // A dialog ended without OK or Cancel (its owner destroyed) leaves no font.
    g_noteFont.reset();
    return result;
}

}  // namespace tarnwick
