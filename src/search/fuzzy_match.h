#pragma once
// "MatchFuzzy": the characters of a query found in a key in order, not
// necessarily next to each other, and the score of the best such alignment.
// Whole characters only; a lead byte that no trail byte follows is a
// character of its own. Pure functions over the texts: no settings, no list.

#include <cstddef>
#include <string>
#include <vector>

namespace tarnwick {

// The scoring, all in one place (the README's row for "MatchFuzzy" lists
// them). Every matched character earns kMatch plus the bonus of its place;
// the query's first character earns its place's bonus twice. A character
// matched right after the previous one earns kAdjacent on top; a gap between
// two matched characters costs kGapStart for its first character and
// kGapExtension for each further one. Characters before the first and after
// the last match cost nothing.
struct FuzzyScoring {
    static constexpr int kMatch = 16;
    static constexpr int kAdjacent = 4;
    static constexpr int kGapStart = -3;
    static constexpr int kGapExtension = -1;
    // Place bonuses: the key's first character; a character after a space,
    // '-', '_', '.', '/' or a full-width space, or where single-byte and
    // double-byte characters meet; a letter where the name's own letters
    // change from lower to upper case.
    static constexpr int kFirstCharacter = 10;
    static constexpr int kWordStart = 8;
    static constexpr int kCaseChange = 7;
    static constexpr int kFirstQueryCharacterFactor = 2;
};

// A matched stretch of bytes [begin, end) of a key (and of the name or path
// it was made from: upper-casing keeps every character's length).
struct ByteRange {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool operator==(const ByteRange& other) const noexcept { return begin == other.begin && end == other.end; }
};

struct FuzzyResult {
    bool matched = false;
    int score = 0;
    // Adjacent matched characters form one range; in key order.
    std::vector<ByteRange> ranges;
};

// One upper-cased query, split into characters once, tested against many
// keys. Keeps scratch buffers: one pattern serves one thread.
class FuzzyPattern {
public:
    explicit FuzzyPattern(const std::string& query);

    bool Empty() const noexcept { return codes_.empty(); }
    // Whether the query's characters occur in key in order.
    bool Matches(const std::string& key) const;
    // The best alignment's score; false when there is none. cased is the
    // text key was upper-cased from (for the case changes; ignored when its
    // length differs from key's).
    bool Score(const std::string& key, const std::string& cased, int& score) const;
    // The same with the matched byte ranges of the best alignment.
    FuzzyResult Match(const std::string& key, const std::string& cased) const;

private:
    bool Align(const std::string& key, const std::string& cased, bool wantRanges, FuzzyResult& result) const;

    std::vector<unsigned> codes_;
    mutable std::vector<unsigned> keyCodes_;
    mutable std::vector<std::size_t> keyOffsets_;
    mutable std::vector<int> bonuses_;
    mutable std::vector<std::size_t> first_;
    mutable std::vector<std::size_t> last_;
    mutable std::vector<std::size_t> rowStarts_;
    mutable std::vector<int> scores_;
};

// The score of the characters of key in range (whole characters) matched
// next to each other, as an alignment of a query of those characters would
// score them; 0 for an empty range.
int ContiguousScore(const std::string& key, const std::string& cased, ByteRange range);
// The best of such scores among runs, the key read once; the index of the
// first best run goes to *best (untouched for none). 0 for no runs.
int BestContiguousScore(const std::string& key, const std::string& cased, const std::vector<ByteRange>& runs,
                        std::size_t* best);

// The same as one call: key and cased as above, query upper-cased.
FuzzyResult FuzzyMatch(const std::string& key, const std::string& cased, const std::string& query);

}  // namespace tarnwick
