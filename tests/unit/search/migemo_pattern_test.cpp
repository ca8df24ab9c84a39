// A C/Migemo expansion read back into words and matched over whole
// characters. Expansions are written here with ( | ) [ ] for the operator
// bytes the plug-in asks C/Migemo for.
#include "search_fixture.h"

#include "search/fuzzy_match.h"
#include "search/migemo_pattern.h"

#include <algorithm>
#include <string>
#include <vector>

namespace search_test {
namespace {

using tarnwick::ByteRange;
using Words = std::vector<std::string>;

std::string Expansion(const std::string& readable) {
    std::string bytes = readable;
    for (char& c : bytes) {
        switch (c) {
            case '(': c = tarnwick::kMigemoNestIn; break;
            case ')': c = tarnwick::kMigemoNestOut; break;
            case '|': c = tarnwick::kMigemoOr; break;
            case '[': c = tarnwick::kMigemoSelectIn; break;
            case ']': c = tarnwick::kMigemoSelectOut; break;
            default: break;
        }
    }
    return bytes;
}

Words Sorted(Words words) {
    std::sort(words.begin(), words.end());
    return words;
}

// "ソ" is 83 5C and "表" 95 5C: their trail bytes are no escape.
TEST(ExpandMigemoPattern, ReadsTheWordsBackOrRefusesWhatC_MigemoDoesNotWrite) {
    struct Case {
        const char* readable;
        std::size_t limit;
        bool ok;
        Words words;
    };
    const Case cases[] = {
        {"(樹心|受[信身診]|ジュシ[ンナ]|jushin)", 100, true, {"樹心", "受信", "受身", "受診", "ジュシン", "ジュシナ", "jushin"}},
        {"abc", 100, true, {"abc"}},
        {"a\\.b\\\\", 100, true, {"a.b\\"}},
        {"[ソ表]x", 100, true, {"ソx", "表x"}},
        {"(a|b)(c|d)", 100, true, {"ac", "ad", "bc", "bd"}},
        {"(a|)", 100, true, {"a", ""}},
        {"", 100, true, {""}},
        {"[ab][ab][ab]", 4, false, {}},
        {"(ab", 100, false, {}},
        {"ab)", 100, false, {}},
        {"[ab", 100, false, {}},
        {"a]b", 100, false, {}},
        {"a||b", 100, true, {"a", "", "b"}},
    };
    for (const Case& c : cases) {
        Words words;
        EXPECT_EQ(c.ok, tarnwick::ExpandMigemoPattern(Expansion(c.readable), c.limit, words)) << c.readable;
        EXPECT_EQ(Sorted(c.words), Sorted(words)) << c.readable;
    }
}

// Keys are upper-cased names; a word is found only where a character of the
// key begins, the longest of those at the leftmost place.
TEST(MigemoPattern, FindsTheLeftmostLongestWordAtCharacterBoundaries) {
    struct Case {
        const char* readable;
        const char* name;
        bool found;
        ByteRange range;
    };
    const Case cases[] = {
        {"(受[信身]|じゅしん|jushin)", "受信箱", true, {0, 4}},
        {"(受[信身]|じゅしん|jushin)", "旧受信箱", true, {2, 6}},
        {"(受[信身]|じゅしん|jushin)", "Jushin-box", true, {0, 6}},
        {"(受[信身]|じゅしん|jushin)", "送信箱", false, {}},
        {"(ab|abc)", "xabcd", true, {1, 4}},
        {"信", "\x83\x90M", false, {}},  // 90 4D inside "\x83\x90" "M"
        {"(a|)", "xyz", false, {}},        // a word of nothing matches no key
        {"[b\x81]", "AB\x81", true, {1, 2}},
        {"\x81", "A\x81", true, {1, 2}},    // a lone lead byte at the end is a character
        {"(ab", "ab", false, {}},
    };
    for (const Case& c : cases) {
        const tarnwick::MigemoPattern pattern(Expansion(c.readable));
        ByteRange range;
        const std::string key = tarnwick::UpperCaseMbcs(c.name);
        EXPECT_EQ(c.found, pattern.Find(key, range)) << c.readable << " in " << c.name;
        EXPECT_EQ(c.found, pattern.Matches(key)) << c.readable << " in " << c.name;
        if (c.found) {
            EXPECT_EQ(c.range, range) << c.readable << " in " << c.name;
        }
    }
}

// A word of an expansion scores as its characters aligned next to each
// other would: "ab" in "xa-ab" as the fuzzy match's best alignment.
TEST(ContiguousScore, ScoresAsAnAlignmentOfAdjacentCharacters) {
    const tarnwick::FuzzyResult aligned = tarnwick::FuzzyMatch("XA-AB", "xa-ab", "AB");
    ASSERT_TRUE(aligned.matched);
    EXPECT_EQ(aligned.score, tarnwick::ContiguousScore("XA-AB", "xa-ab", ByteRange{3, 5}));
    EXPECT_EQ(52, tarnwick::ContiguousScore("XA-AB", "xa-ab", ByteRange{3, 5}));
    // 受信 at the name's start: 16 + 10 * 2, then 16 + 4.
    EXPECT_EQ(56, tarnwick::ContiguousScore("受信箱", "受信箱", ByteRange{0, 4}));
    EXPECT_EQ(0, tarnwick::ContiguousScore("受信箱", "受信箱", ByteRange{2, 2}));
}

}  // namespace
}  // namespace search_test
