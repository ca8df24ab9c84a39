// The words of a query and the rank group of a folder, as the opt-in
// matching settings see them.
#include "search_fixture.h"

#include "search/match.h"

#include <string>
#include <vector>

namespace search_test {

using Words = std::vector<std::string>;

struct SplitCase {
    const char* query;
    Words words;
};

// "ソ" is 83 5C and "＝" 81 81: neither trail byte starts a full-width space.
TEST(SplitQueryWords, SplitsAtBothSpacesAndKeepsWholeCharacters) {
    const SplitCase cases[] = {
        {"INV 2024", {"INV", "2024"}},
        {"  INV   2024  ", {"INV", "2024"}},
        {"INV\x81\x40" "2024", {"INV", "2024"}},
        {"\x81\x40 \x81\x40INV\x81\x40\x81\x40", {"INV"}},
        {"   ", {}},
        {"\x81\x40\x81\x40", {}},
        {"", {}},
        {"\x83\x5C \x95\x5C", {"\x83\x5C", "\x95\x5C"}},
        {"\x81\x81\x40", {"\x81\x81\x40"}},
        {"AB\x81", {"AB\x81"}},
        {"A \x81", {"A", "\x81"}},
        {"TEA\x81 TIME", {"TEA\x81", "TIME"}},  // a lead byte before a space is a character of its own
    };
    for (const SplitCase& c : cases) EXPECT_EQ(c.words, tarnwick::SplitQueryWords(c.query)) << c.query;
    EXPECT_TRUE(tarnwick::SplitQueryWords(nullptr).empty());
}

struct RankCase {
    const char* name;
    const char* query;  // upper-cased
    bool words;
    tarnwick::RowRank rank;
};

TEST(QueryMatcher, RanksByPrefixThenWordStartThenTheRest) {
    using tarnwick::kRankPrefix;
    using tarnwick::kRankRest;
    using tarnwick::kRankWordStart;
    const RankCase cases[] = {
        {"Invoices", "INV", false, kRankPrefix},
        {"Old Invoices", "INV", false, kRankWordStart},
        {"old-inv", "INV", false, kRankWordStart},
        {"old_inv", "INV", false, kRankWordStart},
        {"old.inv", "INV", false, kRankWordStart},
        {"old/inv", "INV", false, kRankWordStart},
        {"ＡＢ　ＣＤ", "ＣＤ", false, kRankWordStart},
        {"Pinvoice", "INV", false, kRankRest},
        {"受信INV", "INV", false, kRankWordStart},    // single-byte after double-byte
        {"ABC受信", "受信", false, kRankWordStart},   // and the other way round
        {"受信箱", "信箱", false, kRankRest},
        {"ｱｲｳ", "ｲｳ", false, kRankRest},            // half-width kana are single-byte
        {"Invoices 2024", "INV 2024", true, kRankPrefix},
        {"Invoices 2024", "2024 INV", true, kRankWordStart},  // a later word at the name's start
        {"Invoices 2024", "OICES 024", true, kRankRest},
        {"Invoices 2024", "OICES 2024", false, kRankRest},
        {"ソフト", "\x83", false, kRankRest},  // a lead byte does not begin "ソ"
        {"Invoices", "   ", true, kRankRest},
    };
    for (const RankCase& c : cases) {
        const tarnwick::FolderList folders = {Folder(c.name, c.name)};
        tarnwick::MatchSettings settings;
        settings.words = c.words;
        settings.rank = true;
        const tarnwick::QueryMatcher matcher(folders, c.query, settings);
        EXPECT_EQ(c.rank, matcher.RankOf(0)) << c.name << " / " << c.query;
    }
}

struct NarrowCase {
    const char* previous;
    const char* next;
    bool narrows;
};

// Only a query that extends the last one by whole characters may be matched
// against the last matches alone.
TEST(QueryNarrows, WhenTheNextQueryExtendsTheLastByWholeCharacters) {
    const NarrowCase cases[] = {
        {"", "A", true},
        {"PL", "PLA", true},
        {"PLAN", "PLAN B", true},
        {"PLA", "PL", false},
        {"PL", "PX", false},
        {"\x8e\xf3", "\x8e\xf3\x90\x4d", true},  // 受 then 受信
        {"\x8e", "\x8e\xf3", false},               // a lone lead byte, then 受
        {"A\x81", "A\x81\x40", false},             // then a full-width space
    };
    for (const NarrowCase& c : cases) EXPECT_EQ(c.narrows, tarnwick::QueryNarrows(c.previous, c.next)) << c.next;
    EXPECT_FALSE(tarnwick::QueryNarrows("A", nullptr));
}

struct FuzzyCase {
    const char* name;   // the key is its upper-cased form
    const char* query;  // upper-cased
    bool matched;
};

// "ソフト" is 83 5C 83 74 83 67, "・" 81 45: neither's bytes are characters of their own.
TEST(FuzzyMatch, FindsTheQuerysWholeCharactersInOrderWithGaps) {
    const FuzzyCase cases[] = {
        {"Invoices", "IVC", true},       {"Invoices", "CVI", false},        {"Invoices", "INVOICESS", false},
        {"Invoices", "", true},          {"", "A", false},                  {"ソフト", "ソト", true},
        {"ソフト", "トソ", false},       {"ソフト", "\\", false},            {"ソフト", "\x83", false},
        {"ソフト", "T", false},          {"Tea\x81", "TEA\x81", true},      {"Tea\x81 Time", "\x81", true},
        {"Tea・Time", "\x81", false},    {"Tea・Time", "A・T", true},       {"ａｂｃ", "ＡＣ", true},
        {"plan b", "N B", true},         {"plan b", "NB ", false},
    };
    for (const FuzzyCase& c : cases) {
        const std::string key = tarnwick::UpperCaseMbcs(c.name);
        EXPECT_EQ(c.matched, tarnwick::FuzzyMatch(key, c.name, c.query).matched) << c.name << " / " << c.query;
        EXPECT_EQ(c.matched, tarnwick::FuzzyPattern(c.query).Matches(key)) << c.name << " / " << c.query;
    }
}

using Ranges = std::vector<tarnwick::ByteRange>;

struct RangeCase {
    const char* name;
    const char* path;
    const char* query;  // upper-cased
    tarnwick::MatchSettings keys;
    Ranges name_ranges;
    Ranges path_ranges;
};

TEST(MatchRangesOf, MarksTheCharactersThatMadeTheRowMatch) {
    const tarnwick::MatchSettings plain{}, words{true, false, false, false}, path{false, true, false, false},
        wordsAndPath{true, true, false, false}, fuzzy{false, false, false, true}, fuzzyPath{false, true, false, true},
        fuzzyWords{true, false, false, true};
    // "受信箱" is 8E F3 90 4D 94 A0; "ａｂｃ" 82 81 82 82 82 83, upper-cased 82 60 82 61 82 62.
    const RangeCase cases[] = {
        {"Invoices", "Archive/Invoices", "VOI", plain, {{2, 5}}, {}},
        {"Invoices", "Archive/Invoices", "ARCH", plain, {}, {}},
        {"Invoices", "Archive/Invoices", "ARCH", path, {}, {{0, 4}}},
        {"Invoices 2024", "x", "2024 INV", words, {{0, 3}, {9, 13}}, {}},
        {"2024", "Invoices/2024", "INV 2024", wordsAndPath, {{0, 4}}, {{0, 3}}},
        {"ソフト", "ソフト", "フト", plain, {{2, 6}}, {}},
        {"Invoices", "", "IVC", fuzzy, {{0, 1}, {2, 3}, {5, 6}}, {}},
        {"xa-ab", "", "AB", fuzzy, {{3, 5}}, {}},  // the best alignment, not the first
        {"受信箱", "", "受箱", fuzzy, {{0, 2}, {4, 6}}, {}},
        {"ａｂｃ", "", "ＡＣ", fuzzy, {{0, 2}, {4, 6}}, {}},
        {"2024", "Invoices/2024", "IV24", fuzzyPath, {}, {{0, 1}, {2, 3}, {9, 10}, {12, 13}}},
        {"Invoices", "", "NV OI", fuzzyWords, {{1, 5}}, {}},
        {"Invoices", "", "XYZ", fuzzy, {}, {}},
        {"Invoices", "", "", plain, {}, {}},
    };
    for (const RangeCase& c : cases) {
        const tarnwick::MatchRanges ranges = tarnwick::MatchRangesOf(Folder(c.name, c.path), c.query, c.keys);
        EXPECT_EQ(c.name_ranges, ranges.name) << c.name << " / " << c.query;
        EXPECT_EQ(c.path_ranges, ranges.path) << c.name << " / " << c.query;
    }
}

}  // namespace search_test
