#pragma once
// The settings of the INI file and the few profile calls that all of the
// plug-in makes through one place.

#include <string>
#include <vector>

namespace tarnwick {

struct WindowSettings {
    int width = 0;    // outer dialog size in pixels; 0: the template's
    int height = 0;
    int column0 = 0;  // result-list column widths; 0: automatic
    int column1 = 0;
};

struct PluginConfig {
    WindowSettings window;
    int useCache = 0;
    int deleteCache = 0;
    int useUpdateThread = 1;
    int firstWaitingTime = 10;
    int updateInterval = 60;
    int dialogMode = 0;
    int modalDialog = 0;
    int historyMax = 15;
    // Opt-in search and filing aids; 0 keeps the plain filter and keys.
    int matchWords = 0;
    int matchPath = 0;
    int rankMatches = 0;
    int moveKeys = 0;
    int instantOpen = 0;  // 1: the dialog opens on the catalogue as last built
    int virtualList = 0;  // 1: the result list stores no rows of its own
    int matchFuzzy = 0;        // 1: the query's characters in order, gaps allowed, best score first
    int highlightMatches = 0;  // 1: the matched characters of each row drawn highlighted
    int allMailboxes = 0;   // 1: the folders of every mailbox of the data folder
    int recentFolders = 0;  // how many recently used folders come first (at most 50)
    int matchMigemo = 0;    // 1: romaji queries also match through C/Migemo's expansion
    // Read only with "MatchMigemo" on; empty: the defaults (see search/migemo_paths.h).
    std::string migemoDll;
    std::string migemoDict;
};

// Process-wide settings, filled by ReadPluginConfig before any second thread.
PluginConfig& Config() noexcept;

// Reads [Window] then [Config] keys in their fixed order into Config(); the
// two paths of "MatchMigemo" only when it is on.
void ReadPluginConfig();

// Writes the four [Window] keys as "%d".
void WriteWindowSettings();

// Profile access on the plug-in's INI file. With no INI path every read
// yields its default and writes do nothing.
int ReadIniInt(const char* section, const char* key, int defaultValue);
// Reads into a buffer of bufferSize bytes, as the profile function cuts it.
std::string ReadIniString(const char* section, const char* key, const char* defaultValue, unsigned bufferSize);
// The same into the caller's buffer, allocating nothing: for what must still
// work when memory runs out.
void ReadIniText(const char* section, const char* key, const char* defaultValue, char* buffer,
                 unsigned bufferSize) noexcept;
// The key names of a section, in file order (empty without an INI file).
std::vector<std::string> ReadIniKeyNames(const char* section);
void WriteIniString(const char* section, const char* key, const char* value);
void WriteIniInt(const char* section, const char* key, int value);

// The profile functions rewrite the whole file at every write (Wine's
// truncate it first), so a process killed in the middle of one loses every
// key. While a batch lives, reads and writes go to a copy beside the INI
// file ("Tarnwick.ini.tmp"), which replaces it in one rename when the batch
// ends: a kill leaves the old file or the new one. The bytes are the profile
// functions' own. Where no copy can be made the writes go to the file
// itself, as without a batch. One batch at a time, on one thread; it
// allocates nothing (exit must work when memory runs out).
class IniWriteBatch {
public:
    IniWriteBatch() noexcept;
    ~IniWriteBatch();
    IniWriteBatch(const IniWriteBatch&) = delete;
    IniWriteBatch& operator=(const IniWriteBatch&) = delete;
};

}  // namespace tarnwick
