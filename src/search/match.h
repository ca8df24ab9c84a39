#pragma once
// What a query means: which records match, in what order the rows come and
// which characters made a row match. Records and a query in; positions,
// order and ranges out; no window. The opt-in ways: several words in any
// order ("MatchWords"), the display path as well as the name ("MatchPath"),
// the best matches first ("RankMatches") and the query's characters in order
// with gaps, best score first ("MatchFuzzy"). With all four 0 a query is one
// substring of the search key and rows keep catalogue order.

#include "catalogue/folder_record.h"
#include "search/fuzzy_match.h"
#include "search/migemo_pattern.h"

#include <cstddef>
#include <cstdint>
#include <memory>
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
    bool fuzzy = false;
    // "MatchMigemo" with its dictionary ready.
    bool migemo = false;

    bool operator==(const MatchSettings& other) const noexcept {
        return words == other.words && path == other.path && rank == other.rank && fuzzy == other.fuzzy &&
               migemo == other.migemo;
    }
    // Whether every folder that a longer query typed after this one matches
    // also matches this one. Not so with romaji: a trailing "n" may stand
    // for ん or begin the な row, and "ka" expands to words that "k" left out.
    bool Narrowable() const noexcept { return !migemo; }
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

    // Depends on nothing but the record at position: any subset of the
    // positions (the matches of a shorter query) may be tested.
    bool Matches(std::size_t position) const;
    // Rows are ordered for a query that is not empty, with "RankMatches" or
    // "MatchFuzzy" on.
    bool Ranks() const noexcept { return ranks_; }
    // "MatchFuzzy": rows by score, best first; otherwise by rank group.
    bool Scores() const noexcept { return scores_; }
    // Every folder (null) or an empty text: the recent folders come first.
    bool EmptyQuery() const noexcept { return everyFolder_ || emptyQuery_; }
    bool EveryFolder() const noexcept { return everyFolder_; }
    const FolderList& Folders() const noexcept { return folders_; }
    RowRank RankOf(std::size_t position) const;
    // Whether rank groups order the rows (and not scores): RankOf is then
    // best taken while the record is at hand, as it is when matching.
    bool RanksByGroup() const noexcept { return ranks_ && !scores_; }
    // The sum over the words of the best alignment's score, in the name or,
    // where the name holds none, in the path; 0 for a position that does
    // not match.
    int ScoreOf(std::size_t position) const;

private:
    bool Contains(std::size_t position, std::size_t word) const;
    // A word's expansion in key: at a word start, or at the key's start.
    bool MigemoAtWordStart(const std::string& key, std::size_t word) const;

    const FolderList& folders_;
    bool everyFolder_ = false;
    bool emptyQuery_ = false;
    bool ranks_ = false;
    bool scores_ = false;
    std::vector<std::string> words_;
    std::vector<FuzzyPattern> patterns_;  // one per word with "MatchFuzzy"
    // One per word with "MatchMigemo" (null where nothing expands).
    std::vector<std::shared_ptr<const MigemoPattern>> migemo_;
    const std::vector<std::string>* pathKeys_ = nullptr;
};

// Puts the matching positions into the order of the matcher (rank groups,
// or scores best first; ties in catalogue order, whatever order the
// positions came in) and keeps that order for CompareUnsortedRows; without
// ordering it forgets any kept order and leaves the positions as they are.
// With "RecentFolders", the recent folders come first, most recent first,
// in an empty query's rows and after the rank or score of the others.
// ranks, when given, holds RankOf of each position, taken while matching.
void OrderByRank(const QueryMatcher& matcher, std::vector<RowPosition>& positions, std::size_t listSize,
                 const std::vector<RowRank>* ranks = nullptr);

// Whether every folder that next matches also matches previous (both
// upper-cased queries), so that a fill for next need test only the matches
// of previous: next extends previous by whole characters.
bool QueryNarrows(const std::string& previous, const char* next) noexcept;

// Keeps positions (rows of a fill, in the order shown) as the order that
// CompareUnsortedRows restores; an empty vector or none kept: catalogue
// order. OrderByRank calls it; a fill that orders its rows otherwise calls
// it after.
void KeepFillOrder(const std::vector<RowPosition>& positions, std::size_t listSize);
void ForgetFillOrder() noexcept;

// The order of unsorted rows, by their item data: the order the last fill
// kept, catalogue order otherwise.
int CompareUnsortedRows(std::intptr_t first, std::intptr_t second) noexcept;

// The bytes of a record's name and display path that make it match query
// (upper-cased) under settings: the first occurrence of the query, or of
// each word, in the name or else the path; with "MatchFuzzy" the characters
// of the best alignment. Sorted, not overlapping, on character boundaries;
// both empty for no query or no match.
struct MatchRanges {
    std::vector<ByteRange> name;
    std::vector<ByteRange> path;
};
MatchRanges MatchRangesOf(const FolderRecord& record, const char* query, const MatchSettings& settings);

// "MatchMigemo": the compiled expansion of an upper-cased query word (its
// letters go to C/Migemo in lower case); null while the dictionary is not
// ready or when it expands to nothing. The last few words are kept: a
// keystroke and the highlighting of its rows ask for the same ones.
std::shared_ptr<const MigemoPattern> MigemoPatternOf(const std::string& word);
// Forgets the kept words (exit, or a dictionary that went away).
void ForgetMigemoPatterns() noexcept;

// Makes the upper-cased display paths of a list again (with "MatchPath"
// on). Every showing fills the list unfiltered after its rebuild; that fill
// calls this, so keys never outlive the paths they were made from.
void RefreshPathKeys(const FolderList& folders, const MatchSettings& settings);

}  // namespace tarnwick
