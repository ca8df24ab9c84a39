#include "plugin/menu.h"

#include "common/text.h"
#include "dialog/search_dialog.h"
#include "binding/config.h"
#include "binding/host_api.h"

#include <mbstring.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tarnwick {
namespace {

ShortcutKey g_shortcutKey;

struct ShortcutPrefix {
    const char* text;
    int shiftCode;
};

// Tried in this order; the first that matches wins.
constexpr ShortcutPrefix kPrefixes[] = {
    {"Ctrl+Shift+", 96},
    {"Ctrl+", 32},
    {"Shift+", 64},
    {"Alt+", 254},
};

constexpr char kMenuText[] = "フォルダ検索(&S)";
constexpr char kCommandDescription[] = "フォルダを検索する";
constexpr int kMenuTextPadding = 34;

bool StartsWithPrefix(const unsigned char* text, const char* prefix) {
    const auto* p = reinterpret_cast<const unsigned char*>(prefix);
    return _mbsncmp(text, p, _mbslen(p)) == 0;
}

}  // namespace

ShortcutKey& CurrentShortcutKey() noexcept { return g_shortcutKey; }

bool ParseShortcutKey(const char* text) {
    const auto* keyPart = reinterpret_cast<const unsigned char*>(text ? text : "");
    g_shortcutKey.shiftCode = 0;
    for (const ShortcutPrefix& prefix : kPrefixes) {
        if (StartsWithPrefix(keyPart, prefix.text)) {
            g_shortcutKey.shiftCode = prefix.shiftCode;
            keyPart += std::strlen(prefix.text);
            break;
        }
    }
    const std::size_t length = std::strlen(reinterpret_cast<const char*>(keyPart));
    if (length == 0 || length > 3) return false;
    const unsigned char first = keyPart[0];
    if (length == 1 && ((first >= 'A' && first <= 'Z') || (first >= '0' && first <= '9'))) {
        g_shortcutKey.keyCode = first;
        return true;
    }
    if (first != 'F') return false;
    const int number = std::atoi(reinterpret_cast<const char*>(keyPart + 1));
    if (number < 1 || number > 12) return false;
    g_shortcutKey.keyCode = 111 + number;
    return true;
}

void InitSearchMenu(HMENU menu, int menuType) {
    if (menuType != 0) return;
    // Into the key's own buffer, allocating nothing: a key lost to a failed
    // allocation would open no dialog, and exit would write it back empty.
    ReadIniText("Config", "ShortCutKey", "Ctrl+Shift+F", g_shortcutKey.text, sizeof(g_shortcutKey.text));
    g_shortcutKey.valid = ParseShortcutKey(g_shortcutKey.text);

    HMENU submenu = GetSubMenu(menu, 1);
    AppendMenuA(submenu, MF_SEPARATOR, 0, nullptr);
    const UINT commandId = HostRegisterCommand(kCommandDescription, 0, &OpenSearchDialog);
    char itemText[100];
    std::snprintf(itemText, sizeof(itemText), "%s%*s%s", kMenuText, kMenuTextPadding, "",
                  g_shortcutKey.valid ? g_shortcutKey.text : "");
    AppendMenuA(submenu, MF_STRING, commandId, itemText);
}

bool DispatchShortcutKey(int firstValue, int keyCode, int shiftCode) {
    if (!g_shortcutKey.valid) return false;
    if (shiftCode != g_shortcutKey.shiftCode) return false;
    if (keyCode != g_shortcutKey.keyCode) return false;
    if (firstValue != 0) return false;
    OpenSearchDialog(HostWindowHandles().main, 0);
    return true;
}

void WriteShortcutKeyText() { WriteIniString("Config", "ShortCutKey", g_shortcutKey.text); }

}  // namespace tarnwick
