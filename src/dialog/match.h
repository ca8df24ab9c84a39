#pragma once
// The opt-in ways of matching and ordering the result rows: several words in
// any order ("MatchWords"), the display path as well as the name
// ("MatchPath") and the best matches first ("RankMatches"). With all three 0
// a query is one substring of the search key and rows keep catalogue order.

#include "catalogue/folder_record.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// A row's record as its position in the list the rows point into: four bytes
// a row in either build.
using RowPosition = std::uint32_t;

struct MatchSettings {
    bool words = false;
    bool path = false;
    bool rank = false;

    bool operator==(const MatchSettings& other) const noexcept {
        return words == other.words && path == other.path && rank == other.rank;
    }
};
MatchSettings MatchSettingsFromConfig() noexcept;

// The words of an upper-cased query: the parts between half-width spaces and
// full-width spaces (the character 0x81 0x40), empty parts dropped.
std::vector<std::string> SplitQueryWords(const char* query);

// The row groups of "RankMatches", best first.
enum RowRank : unsigned char { kRankPrefix = 0, kRankWordStart = 1, kRankRest = 2 };

// One query against the records of one list.
class QueryMatcher {
public:
    // query: upper-cased, or null for every folder. The list must outlive
    // the matcher.
    QueryMatcher(const FolderList& folders, const char* query, const MatchSettings& settings);

    bool Matches(std::size_t position) const;
    // Rows are ranked for a query that is not empty, with "RankMatches" on.
    bool Ranks() const noexcept { return ranks_; }
    // Every folder (null) or an empty text: the recent folders come first.
    bool EmptyQuery() const noexcept { return everyFolder_ || emptyQuery_; }
    bool EveryFolder() const noexcept { return everyFolder_; }
    const FolderList& Folders() const noexcept { return folders_; }
    RowRank RankOf(std::size_t position) const;

private:
    bool Contains(std::size_t position, const std::string& word) const;

    const FolderList& folders_;
    bool everyFolder_ = false;
    bool emptyQuery_ = false;
    bool ranks_ = false;
    std::vector<std::string> words_;
    const std::vector<std::string>* pathKeys_ = nullptr;
};

// Puts the matching positions into rank order (each group in catalogue
// order) and keeps the ranks for CompareUnsortedRows; without ranking it
// forgets them and leaves the order as it is. With "RecentFolders", the
// recent folders come first, most recent first, in an empty query's rows
// and in each rank group.
void OrderByRank(const QueryMatcher& matcher, std::vector<RowPosition>& positions, std::size_t listSize);

// Whether every folder that next matches also matches previous (both
// upper-cased queries), so that a fill for next need test only the matches
// of previous: next extends previous by whole characters.
bool QueryNarrows(const std::string& previous, const char* next) noexcept;

// The order of unsorted rows, by their item data: ranked order while the
// rows are ranked, then recent folders first while the fill put them so,
// catalogue order otherwise.
int CompareUnsortedRows(LPARAM first, LPARAM second) noexcept;

// Makes the upper-cased display paths of a list again (with "MatchPath"
// on). Every showing fills the list unfiltered after its rebuild; that fill
// calls this, so keys never outlive the paths they were made from.
void RefreshPathKeys(const FolderList& folders, const MatchSettings& settings);

}  // namespace tarnwick
