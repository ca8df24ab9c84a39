#pragma once
// Where the C/Migemo library and its dictionary are: "MigemoDll" and
// "MigemoDict" resolved against the plug-in's folder. Pure, so that every
// rule can be tested without files.

#include <functional>
#include <optional>
#include <string>

namespace tarnwick {

struct MigemoPaths {
    std::string library;     // full path of migemo.dll
    std::string dictionary;  // full path of migemo-dict
};

// pluginFolder: the folder of the plug-in's module, without a trailing
// separator. libraryKey empty: "migemo.dll" in that folder. dictionaryKey
// empty: the first that exists of dict\cp932\migemo-dict and
// dict\migemo-dict in the library's folder. A key that is relative is taken
// relative to the plug-in's folder, an absolute one (a drive and a
// separator, or \\server\share) as given, '/' made '\' in either; a path
// relative to a drive or to the current drive's root is refused, since it
// depends on the current directory. Nothing when a path is refused, does
// not fit MAX_PATH (for the dictionary: with room for the tables C/Migemo
// reads beside it) or names no regular file (fileExists).
std::optional<MigemoPaths> ResolveMigemoPaths(const std::string& pluginFolder, const std::string& libraryKey,
                                              const std::string& dictionaryKey,
                                              const std::function<bool(const std::string&)>& fileExists);

}  // namespace tarnwick
