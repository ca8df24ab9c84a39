#include "search/recent_folders.h"

#include "binding/config.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <unordered_map>

namespace tarnwick {
namespace {

constexpr char kRecentSection[] = "Recent";
constexpr unsigned kValueBufferSize = 1024;

struct RecentFolders {
    std::vector<std::string> ids;
    bool loaded = false;
    // Bumped at every change, so the positions are found again.
    unsigned long generation = 0;
};
RecentFolders g_recent;

// Where the recent folders stand in the list of the last fill.
struct RecentOrder {
    const FolderList* source = nullptr;
    std::size_t size = 0;
    unsigned long generation = 0;
    std::vector<unsigned char> recency;  // by position; kNotRecent for the rest
    bool active = false;
};
RecentOrder g_order;

std::string RecentKey(int index) {
    char key[100];
    std::snprintf(key, sizeof(key), "Recent%d", index);
    return key;
}

void FindRecentPositions(const FolderList& folders) {
    g_order.source = &folders;
    g_order.size = folders.size();
    g_order.generation = g_recent.generation;
    g_order.recency.assign(folders.size(), static_cast<unsigned char>(kNotRecent));
    std::unordered_map<std::string_view, unsigned> wanted;
    for (std::size_t i = 0; i < g_recent.ids.size(); ++i) wanted.emplace(g_recent.ids[i], static_cast<unsigned>(i));
    for (std::size_t position = 0; position < folders.size() && !wanted.empty(); ++position) {
        auto found = wanted.find(folders[position].folderId);
        if (found == wanted.end()) continue;
        // A folder listed twice comes first once, at its first place.
        g_order.recency[position] = static_cast<unsigned char>(found->second);
        wanted.erase(found);
    }
}

}  // namespace

int RecentFoldersLimit() noexcept { return std::clamp(Config().recentFolders, 0, kMaxRecentFolders); }

void LoadRecentFolders() {
    const int limit = RecentFoldersLimit();
    std::vector<std::string> ids;
    for (int index = 0; index < limit; ++index) {
        std::string id = ReadIniString(kRecentSection, RecentKey(index).c_str(), "", kValueBufferSize);
        if (id.empty() || std::find(ids.begin(), ids.end(), id) != ids.end()) continue;
        ids.push_back(std::move(id));
    }
    g_recent.ids.swap(ids);
    g_recent.loaded = limit != 0;
    ++g_recent.generation;
}

void SaveRecentFolders() {
    if (!g_recent.loaded || RecentFoldersLimit() == 0) return;
    for (std::size_t i = 0; i < g_recent.ids.size(); ++i)
        WriteIniString(kRecentSection, RecentKey(static_cast<int>(i)).c_str(), g_recent.ids[i].c_str());
}

void NoteRecentFolder(const std::string& folderId) {
    const std::size_t limit = static_cast<std::size_t>(RecentFoldersLimit());
    if (limit == 0 || folderId.empty()) return;
    std::vector<std::string>& ids = g_recent.ids;
    auto found = std::find(ids.begin(), ids.end(), folderId);
    if (found != ids.end()) {
        std::rotate(ids.begin(), found, found + 1);
    } else {
        ids.insert(ids.begin(), folderId);
        if (ids.size() > limit) ids.resize(limit);
    }
    ++g_recent.generation;
}

const std::vector<std::string>& RecentFolderIds() noexcept { return g_recent.ids; }

bool PrepareRecentOrder(const FolderList& folders, bool remade, bool wanted) {
    g_order.active = wanted && RecentFoldersLimit() != 0 && !g_recent.ids.empty();
    if (!g_order.active) return false;
    if (remade || g_order.source != &folders || g_order.size != folders.size() ||
        g_order.generation != g_recent.generation)
        FindRecentPositions(folders);
    return true;
}

bool RecentOrderActive() noexcept { return g_order.active; }

unsigned RecencyOf(std::size_t position) noexcept {
    if (!g_order.active || position >= g_order.recency.size()) return kNotRecent;
    return g_order.recency[position];
}

}  // namespace tarnwick
