// The stand-in mail client: loads Tarnwick.dll beside it and drives it as
// the host does, printing the calls the plug-in made.
#include "app/command_line.h"
#include "app/generate_command.h"
#include "host_model.h"
#include "plugin_loader.h"

#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const standin::app::HostOptions options = standin::app::ParseCommandLine(argc, argv);
    if (options.mode == standin::app::HostMode::Generate) return standin::app::RunGenerateCommand(options);
    standin::HostModel& host = standin::Host();
    host.dataFolder = options.dataFolder;
    host.currentMailBox = options.mailbox;

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
