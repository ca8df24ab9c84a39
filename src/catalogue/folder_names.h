#pragma once
// Names of folders: the special directories' display names, the search key,
// the name taken from a display path, and the order of display paths.

#include "catalogue/folder_record.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace tarnwick {

struct SpecialFolderEntry {
    const char* directoryName;
    const char* displayName;
};

// The host's special directories and the names it shows for them.
extern const SpecialFolderEntry SpecialFolderTable[6];

// Directory name -> display name; empty until FillSpecialFolderNames, then
// only read (by builds on any thread).
using SpecialFolderMap = std::map<std::string, std::string, std::less<>>;
SpecialFolderMap& SpecialFolderNames() noexcept;

// The display name of a special directory, or null when the name does not
// begin with '!' or is not in SpecialFolderNames.
const std::string* LookUpSpecialFolderName(std::string_view directoryName) noexcept;

// The search key of a name: the name upper-cased, code-page aware.
std::string MakeSearchKey(const std::string& name);

// name = last '/'-separated component of displayPath; searchKey from it.
void DeriveNameFromPath(FolderRecord& record);

// displayName without its first mailboxDisplayLength bytes; empty when it is
// shorter than that.
std::string CutMailboxDisplayName(const std::string& displayName, std::size_t mailboxDisplayLength);

// True when a sorts before b by display path. Not a strict weak ordering:
// only for merge-based sorts (SortByDisplayPath).
bool CompareDisplayPaths(const FolderRecord& a, const FolderRecord& b);

// Sorts by CompareDisplayPaths, staying in range whatever it answers.
void SortByDisplayPath(FolderList& records);

}  // namespace tarnwick
