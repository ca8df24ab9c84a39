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

void ReadPluginConfig() {
    PluginConfig& c = g_config;
    c.window.width = ReadIniInt("Window", "Width", 0);
    c.window.height = ReadIniInt("Window", "Height", 0);
    c.window.column0 = ReadIniInt("Window", "Column0", 0);
    c.window.column1 = ReadIniInt("Window", "Column1", 0);
    c.useCache = ReadIniInt("Config", "UseCache", 0);
    c.deleteCache = ReadIniInt("Config", "DeleteCache", 0);
    c.useUpdateThread = ReadIniInt("Config", "UseUpateThread", 1);
    c.firstWaitingTime = ReadIniInt("Config", "FirstWaitingTime", 10);
    c.updateInterval = ReadIniInt("Config", "UpdateInterval", 60);
    c.dialogMode = ReadIniInt("Config", "DialogMode", 0);
    c.modalDialog = ReadIniInt("Config", "ModalDialog", 0);
    c.historyMax = ReadIniInt("Config", "HistoryMax", 15);
    c.matchWords = ReadIniInt("Config", "MatchWords", 0);
    c.matchPath = ReadIniInt("Config", "MatchPath", 0);
    c.rankMatches = ReadIniInt("Config", "RankMatches", 0);
    c.moveKeys = ReadIniInt("Config", "MoveKeys", 0);
    c.instantOpen = ReadIniInt("Config", "InstantOpen", 0);
}

void WriteWindowSettings() {
    const WindowSettings& w = g_config.window;
    WriteIniInt("Window", "Width", w.width);
    WriteIniInt("Window", "Height", w.height);
    WriteIniInt("Window", "Column0", w.column0);
    WriteIniInt("Window", "Column1", w.column1);
}

}  // namespace tarnwick
