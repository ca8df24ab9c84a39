#include "support/plugin_fixture.h"

namespace testing_support {

HMENU MakeHostMenu() {
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "&File");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "&Tools");
    return menu;
}

void PluginHostTest::SetUp() {
    standin::ResetHost();
    pluginFolder = MakeDirs(temp.path(), "plugin");
    dllPath = pluginFolder + "Tarnwick.dll";
    iniPath = pluginFolder + "Tarnwick.ini";
    dataFolder = MakeDirs(temp.path(), "data");
    MakeDirs(dataFolder, "MB1");
    standin::HostModel& host = standin::Host();
    host.dataFolder = dataFolder;
    host.currentMailBox = "MB1\\";
    host.mailboxDisplayNames["MB1\\"] = "Mailbox/";
}

void PluginHostTest::TearDown() {
    plugin.Unload();
    standin::ResetHost();
}

bool PluginHostTest::LoadPlugin(const char* builtName) {
    const std::string built = standin::ExecutableFolder() + builtName;
    if (!CopyFileA(built.c_str(), dllPath.c_str(), FALSE)) return false;
    if (ListMode() != 0) WritePrivateProfileStringA("Config", "VirtualList", "1", iniPath.c_str());
    if (!plugin.Load(dllPath)) return false;
    WatchFaultsIn(plugin.module());
    return true;
}

void PluginHostTest::StartPlugin() {
    ASSERT_TRUE(LoadPlugin());
    plugin.OnStart();
}

void PluginHostTest::ExitAndUnload() {
    plugin.OnExit();
    plugin.Unload();
}

}  // namespace testing_support
