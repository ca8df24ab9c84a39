#pragma once
// "RecentFolders": the folders used last (chosen, dropped on, filed into),
// most recent first, kept as folder IDs in the INI section "Recent", and the
// order they give the rows of an empty query (and of each rank group).

#include "catalogue/folder_record.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tarnwick {

// At most this many are kept, whatever the INI says.
constexpr int kMaxRecentFolders = 50;
// "RecentFolders" as used: 0 to kMaxRecentFolders.
int RecentFoldersLimit() noexcept;

// Read when the dialog is created ("Recent0" the most recent); written at
// exit, only when they were read.
void LoadRecentFolders();
void SaveRecentFolders();
// A folder was used: it goes to the front, once.
void NoteRecentFolder(const std::string& folderId);
const std::vector<std::string>& RecentFolderIds() noexcept;

// The fill's ordering hook. PrepareRecentOrder decides for one fill whether
// the recent folders come first (the limit is not 0 and wanted is true) and
// finds where they stand in folders; remade is true when the list may have
// changed under the same address (the unfiltered fill after a rebuild).
bool PrepareRecentOrder(const FolderList& folders, bool remade, bool wanted);
// Whether the last fill put the recent folders first.
bool RecentOrderActive() noexcept;
// The recency of a position of that list: 0 the most recent; kNotRecent for
// every other folder (and any position outside the list).
constexpr unsigned kNotRecent = kMaxRecentFolders;
unsigned RecencyOf(std::size_t position) noexcept;

}  // namespace tarnwick
