#include "support/plugin_fixture.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {
namespace {

std::vector<std::pair<std::string, std::string>> ParseConfigKeys(const char* keys) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::istringstream lines(keys);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) pairs.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return pairs;
}

}  // namespace

bool ConfigKeys::On(const char* key) const {
    for (const auto& [name, value] : ParseConfigKeys(keys)) {
        if (name == key) return std::atoi(value.c_str()) != 0;
    }
    return false;
}

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
    for (const auto& [key, value] : ParseConfigKeys(CaseKeys()))
        WritePrivateProfileStringA("Config", key.c_str(), value.c_str(), iniPath.c_str());
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
