#include "binding/config.h"

#include "binding/plugin_paths.h"

#include <windows.h>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tarnwick {
namespace {

PluginConfig g_config;

bool HaveIniFile() noexcept { return IniFilePath()[0] != '\0'; }

}  // namespace

PluginConfig& Config() noexcept { return g_config; }

int ReadIniInt(const char* section, const char* key, int defaultValue) {
    if (!HaveIniFile()) return defaultValue;
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, IniFilePath()));
}

void ReadIniText(const char* section, const char* key, const char* defaultValue, char* buffer,
                 unsigned bufferSize) noexcept {
    if (bufferSize == 0) return;
    if (HaveIniFile()) {
        GetPrivateProfileStringA(section, key, defaultValue, buffer, bufferSize, IniFilePath());
    } else {
        lstrcpynA(buffer, defaultValue ? defaultValue : "", static_cast<int>(bufferSize));
    }
    buffer[bufferSize - 1] = '\0';
}

std::string ReadIniString(const char* section, const char* key, const char* defaultValue, unsigned bufferSize) {
    if (bufferSize == 0) return std::string();
    std::vector<char> buffer(bufferSize, '\0');
    ReadIniText(section, key, defaultValue, buffer.data(), bufferSize);
    return std::string(buffer.data());
}

std::vector<std::string> ReadIniKeyNames(const char* section) {
    std::vector<std::string> names;
    if (!HaveIniFile()) return names;
    std::vector<char> buffer(4096);
    for (;;) {
        const DWORD length = GetPrivateProfileStringA(section, nullptr, "", buffer.data(),
                                                      static_cast<DWORD>(buffer.size()), IniFilePath());
        // A full buffer reports its size less two: read again, larger.
        if (length + 2 < buffer.size()) break;
        buffer.assign(buffer.size() * 2, '\0');
    }
    for (const char* name = buffer.data(); *name; name += std::strlen(name) + 1) names.emplace_back(name);
    return names;
}

void WriteIniString(const char* section, const char* key, const char* value) {
    if (!HaveIniFile()) return;
    WritePrivateProfileStringA(section, key, value, IniFilePath());
}

void WriteIniInt(const char* section, const char* key, int value) {
    char text[100];
    std::snprintf(text, sizeof(text), "%d", value);
    WriteIniString(section, key, text);
}

namespace {

template <typename Record>
struct IntKey {
    const char* name;
    int defaultValue;
    int Record::*field;
};

// File order: [Window] then [Config], as the INI has always been read.
constexpr IntKey<WindowSettings> kWindowKeys[] = {
    {"Width", 0, &WindowSettings::width},
    {"Height", 0, &WindowSettings::height},
    {"Column0", 0, &WindowSettings::column0},
    {"Column1", 0, &WindowSettings::column1},
};

constexpr IntKey<PluginConfig> kConfigKeys[] = {
    {"UseCache", 0, &PluginConfig::useCache},
    {"DeleteCache", 0, &PluginConfig::deleteCache},
    {"UseUpateThread", 1, &PluginConfig::useUpdateThread},
    {"FirstWaitingTime", 10, &PluginConfig::firstWaitingTime},
    {"UpdateInterval", 60, &PluginConfig::updateInterval},
    {"DialogMode", 0, &PluginConfig::dialogMode},
    {"ModalDialog", 0, &PluginConfig::modalDialog},
    {"HistoryMax", 15, &PluginConfig::historyMax},
    {"MatchWords", 0, &PluginConfig::matchWords},
    {"MatchPath", 0, &PluginConfig::matchPath},
    {"RankMatches", 0, &PluginConfig::rankMatches},
    {"MoveKeys", 0, &PluginConfig::moveKeys},
    {"InstantOpen", 0, &PluginConfig::instantOpen},
    {"VirtualList", 0, &PluginConfig::virtualList},
    {"MatchFuzzy", 0, &PluginConfig::matchFuzzy},
    {"HighlightMatches", 0, &PluginConfig::highlightMatches},
    {"AllMailboxes", 0, &PluginConfig::allMailboxes},
    {"RecentFolders", 0, &PluginConfig::recentFolders},
};

}  // namespace

void ReadPluginConfig() {
    for (const auto& key : kWindowKeys) g_config.window.*key.field = ReadIniInt("Window", key.name, key.defaultValue);
    for (const auto& key : kConfigKeys) g_config.*key.field = ReadIniInt("Config", key.name, key.defaultValue);
}

void WriteWindowSettings() {
    for (const auto& key : kWindowKeys) WriteIniInt("Window", key.name, g_config.window.*key.field);
}

}  // namespace tarnwick
