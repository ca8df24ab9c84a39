// The stand-in mail client: loads Tarnwick.dll beside it and drives it as
// the host does, printing the calls the plug-in made.
#include "host_model.h"
#include "plugin_loader.h"

#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    standin::HostModel& host = standin::Host();
    host.dataFolder = argc > 1 ? std::string(argv[1]) : standin::ExecutableFolder() + "sample-data\\";
    if (host.dataFolder.back() != '\\') host.dataFolder += '\\';
    host.currentMailBox = argc > 2 ? std::string(argv[2]) : "MB1\\";

    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "&File");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "&Tools");

    standin::LoadedPlugin plugin;
    if (!plugin.Load()) {
        std::printf("Tarnwick.dll did not load (error %lu)\n", GetLastError());
        return 1;
    }
    plugin.OnStart();
    plugin.OnMenuInit(nullptr, menu, 0);
    char item[256] = "";
    GetMenuStringA(GetSubMenu(menu, 1), 1, item, sizeof(item), MF_BYPOSITION);
    plugin.OnExit();
    plugin.Unload();
    DestroyMenu(menu);

    for (const standin::HostCall& call : host.Calls())
        std::printf("%s(%s%s%ld)\n", call.function.c_str(), call.text.c_str(), call.text.empty() ? "" : ", ", call.number);
    std::printf("menu item: [%s]\n", item);
    return 0;
}
