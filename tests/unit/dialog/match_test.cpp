// The words of a query and the rank group of a folder, as the opt-in
// matching settings see them.
#include "dialog_fixture.h"

#include "dialog/match.h"

namespace dialog_test {

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

}  // namespace dialog_test
