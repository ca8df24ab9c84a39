#include "binding/config.h"

#include "binding/plugin_paths.h"
#include "common/unique_handle.h"

#include <windows.h>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tarnwick {
namespace {

PluginConfig g_config;

constexpr char kBatchSuffix[] = ".tmp";
// The copy a batch writes to; empty outside a batch.
char g_batchPath[MAX_PATH] = "";
bool g_batchWritten = false;

bool HaveIniFile() noexcept { return IniFilePath()[0] != '\0'; }

// Where profile calls go: the batch's copy while there is one.
const char* IniTarget() noexcept { return g_batchPath[0] ? g_batchPath : IniFilePath(); }

// Copies the INI file's bytes into a fresh file (not CopyFile: its time
// stamps would let the profile functions take a cached older copy for it).
// True when the copy holds them all; a missing INI gives no copy at all, so
// that the profile functions create it as they would the INI.
bool CopyIniBytes(const char* from, const char* to) noexcept {
    DeleteFileA(to);
    HANDLE source = CreateFileA(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (source == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    const UniqueKernelHandle sourceFile(source);
    HANDLE target = CreateFileA(to, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (target == INVALID_HANDLE_VALUE) return false;
    UniqueKernelHandle targetFile(target);
    char chunk[4096];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(sourceFile.get(), chunk, sizeof(chunk), &read, nullptr)) break;
        if (read == 0) return true;
        DWORD written = 0;
        if (!WriteFile(targetFile.get(), chunk, read, &written, nullptr) || written != read) break;
    }
    targetFile.reset();
    DeleteFileA(to);
    return false;
}

}  // namespace

PluginConfig& Config() noexcept { return g_config; }

int ReadIniInt(const char* section, const char* key, int defaultValue) {
    if (!HaveIniFile()) return defaultValue;
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, IniTarget()));
}

void ReadIniText(const char* section, const char* key, const char* defaultValue, char* buffer,
                 unsigned bufferSize) noexcept {
    if (bufferSize == 0) return;
    if (HaveIniFile()) {
        GetPrivateProfileStringA(section, key, defaultValue, buffer, bufferSize, IniTarget());
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
                                                      static_cast<DWORD>(buffer.size()), IniTarget());
        // A full buffer reports its size less two: read again, larger.
        if (length + 2 < buffer.size()) break;
        buffer.assign(buffer.size() * 2, '\0');
    }
    for (const char* name = buffer.data(); *name; name += std::strlen(name) + 1) names.emplace_back(name);
    return names;
}

void WriteIniString(const char* section, const char* key, const char* value) {
    if (!HaveIniFile()) return;
    if (g_batchPath[0]) g_batchWritten = true;
    WritePrivateProfileStringA(section, key, value, IniTarget());
}

IniWriteBatch::IniWriteBatch() noexcept {
    g_batchPath[0] = '\0';
    g_batchWritten = false;
    const char* ini = IniFilePath();
    const std::size_t length = std::strlen(ini);
    if (length == 0 || length + sizeof(kBatchSuffix) > sizeof(g_batchPath)) return;
    char copy[MAX_PATH];
    std::memcpy(copy, ini, length);
    std::memcpy(copy + length, kBatchSuffix, sizeof(kBatchSuffix));
    // A copy left by a kill is overwritten here.
    if (CopyIniBytes(ini, copy)) std::memcpy(g_batchPath, copy, sizeof(copy));
}

IniWriteBatch::~IniWriteBatch() {
    if (!g_batchPath[0]) return;
    char copy[MAX_PATH];
    std::memcpy(copy, g_batchPath, sizeof(copy));
    g_batchPath[0] = '\0';
    const char* ini = IniFilePath();
    if (g_batchWritten && !MoveFileExA(copy, ini, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // Not atomic, but the values written are not lost.
        CopyFileA(copy, ini, FALSE);
    }
    DeleteFileA(copy);
    g_batchWritten = false;
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
    {"MatchMigemo", 0, &PluginConfig::matchMigemo},
};

// Room for a path that is too long to use, so that one is refused rather
// than cut into the name of some other file.
constexpr unsigned kPathKeyBufferSize = 2 * MAX_PATH;

}  // namespace

void ReadPluginConfig() {
    for (const auto& key : kWindowKeys) g_config.window.*key.field = ReadIniInt("Window", key.name, key.defaultValue);
    for (const auto& key : kConfigKeys) g_config.*key.field = ReadIniInt("Config", key.name, key.defaultValue);
    g_config.migemoDll.clear();
    g_config.migemoDict.clear();
    if (g_config.matchMigemo != 0) {
        g_config.migemoDll = ReadIniString("Config", "MigemoDll", "", kPathKeyBufferSize);
        g_config.migemoDict = ReadIniString("Config", "MigemoDict", "", kPathKeyBufferSize);
    }
}

void WriteWindowSettings() {
    for (const auto& key : kWindowKeys) WriteIniInt("Window", key.name, g_config.window.*key.field);
}

}  // namespace tarnwick
