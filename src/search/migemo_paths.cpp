#include "search/migemo_paths.h"

#include "common/text.h"

#include <windows.h>

namespace tarnwick {
namespace {

bool IsSeparator(char c) noexcept { return c == '\\' || c == '/'; }
bool IsAsciiLetter(char c) noexcept { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// LoadLibraryEx finds a DLL's dependencies in its folder only from a path
// with backslashes. '/' is never a trail byte, so each one is a separator.
std::string WithBackslashes(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

// A full path from a key: as given when absolute, else below the folder;
// empty for the forms that depend on the current directory.
std::string FullPath(const std::string& folder, const std::string& key) {
    const bool unc = key.size() >= 2 && IsSeparator(key[0]) && IsSeparator(key[1]);
    const bool drive = key.size() >= 2 && IsAsciiLetter(key[0]) && key[1] == ':';
    if (unc || (drive && key.size() >= 3 && IsSeparator(key[2]))) return WithBackslashes(key);
    // Relative to a drive's current folder, or to the current drive's root.
    if (drive || (!key.empty() && IsSeparator(key[0])) || folder.empty()) return std::string();
    return folder + '\\' + WithBackslashes(key);
}

// The folder part of a full path, the separator excluded; a trail byte that
// equals a backslash is no separator.
std::string FolderOf(const std::string& path) {
    const std::size_t cut = FindLastMbcsChar(path.c_str(), '\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool FitsMaxPath(const std::string& path) noexcept { return !path.empty() && path.size() < MAX_PATH; }

// C/Migemo builds the paths of its tables in buffers of MAX_PATH bytes from
// the dictionary's folder (cut at the last byte that is a separator, trail
// bytes included) and "/roma2hira.dat", without a bound: a longer folder
// would overrun them.
bool LeavesRoomForTables(const std::string& dictionary) noexcept {
    constexpr std::size_t kLongestTableName = sizeof("roma2hira.dat") - 1;
    std::size_t folderLength = 0;
    for (std::size_t i = dictionary.size(); i-- > 0;) {
        if (IsSeparator(dictionary[i])) {
            folderLength = i;
            break;
        }
    }
    return folderLength + 1 + kLongestTableName < MAX_PATH;
}

}  // namespace

std::optional<MigemoPaths> ResolveMigemoPaths(const std::string& pluginFolder, const std::string& libraryKey,
                                              const std::string& dictionaryKey,
                                              const std::function<bool(const std::string&)>& fileExists) {
    MigemoPaths paths;
    paths.library = FullPath(pluginFolder, libraryKey.empty() ? std::string("migemo.dll") : libraryKey);
    if (!FitsMaxPath(paths.library) || !fileExists(paths.library)) return std::nullopt;

    auto usable = [&fileExists](const std::string& dictionary) {
        return FitsMaxPath(dictionary) && LeavesRoomForTables(dictionary) && fileExists(dictionary);
    };
    if (!dictionaryKey.empty()) {
        paths.dictionary = FullPath(pluginFolder, dictionaryKey);
        if (!usable(paths.dictionary)) return std::nullopt;
        return paths;
    }
    const std::string libraryFolder = FolderOf(paths.library);
    for (const char* candidate : {"\\dict\\cp932\\migemo-dict", "\\dict\\migemo-dict"}) {
        paths.dictionary = libraryFolder + candidate;
        if (usable(paths.dictionary)) return paths;
    }
    return std::nullopt;
}

}  // namespace tarnwick
