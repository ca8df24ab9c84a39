// The fuzzy match: a subsequence test, then an alignment by dynamic
// programming (local alignment with affine gaps) that finds the best score
// rather than the first alignment found.
#include "search/fuzzy_match.h"

#include "common/text.h"

#include <mbstring.h>

#include <algorithm>

namespace tarnwick {
namespace {

using S = FuzzyScoring;

constexpr int kNone = -(1 << 28);
constexpr int kNoneLimit = kNone / 2;

unsigned CodeAt(const char* at, std::size_t length) noexcept {
    const auto lead = static_cast<unsigned char>(at[0]);
    return length == 2 ? (lead << 8) | static_cast<unsigned char>(at[1]) : lead;
}

bool IsSeparator(unsigned code) noexcept {
    switch (code) {
        case ' ': case '-': case '_': case '.': case '/': case 0x8140: return true;
        default: return false;
    }
}

// Upper-casing changed the character: the name held a lower-case letter.
bool WasLowerCase(const char* key, const char* cased, std::size_t offset, std::size_t length) noexcept {
    return key[offset] != cased[offset] || (length == 2 && key[offset + 1] != cased[offset + 1]);
}

// Single-byte letters of the multibyte code pages are the ASCII ones.
bool IsUpperCaseLetter(const char* key, const char* cased, std::size_t offset, std::size_t length) noexcept {
    if (WasLowerCase(key, cased, offset, length)) return false;
    if (length == 1) return cased[offset] >= 'A' && cased[offset] <= 'Z';
    return _ismbcupper(CodeAt(cased + offset, length)) != 0;
}

// The key's characters (codes), where each begins (offsets, one more for
// the end) and the bonus of each place; gives the number of characters.
// Each buffer has room for key.size() + 1 entries.
std::size_t ReadPlaces(const std::string& key, const std::string& cased, unsigned* codes, std::size_t* offsets,
                       int* bonuses) noexcept {
    const std::size_t size = key.size();
    const bool haveCase = cased.size() == size;
    const char* keyText = key.c_str();
    const char* casedText = cased.c_str();
    const MbcsByteClasses& bytes = MbcsBytes();
    std::size_t n = 0;
    std::size_t previousLength = 0;
    for (std::size_t offset = 0; offset < size;) {
        const std::size_t length = bytes.CharLength(keyText + offset);
        const unsigned code = CodeAt(keyText + offset, length);
        int bonus = 0;
        if (n == 0) {
            bonus = S::kFirstCharacter;
        } else if (IsSeparator(codes[n - 1]) || previousLength != length) {
            bonus = S::kWordStart;
        } else if (haveCase && WasLowerCase(keyText, casedText, offsets[n - 1], previousLength) &&
                   IsUpperCaseLetter(keyText, casedText, offset, length)) {
            bonus = S::kCaseChange;
        }
        codes[n] = code;
        offsets[n] = offset;
        bonuses[n] = bonus;
        ++n;
        previousLength = length;
        offset += length;
    }
    offsets[n] = size;
    return n;
}

}  // namespace

int BestContiguousScore(const std::string& key, const std::string& cased, const std::vector<ByteRange>& runs,
                        std::size_t* best) {
    std::vector<unsigned> codes(key.size() + 1);
    std::vector<std::size_t> offsets(key.size() + 1);
    std::vector<int> bonuses(key.size() + 1);
    const std::size_t n = ReadPlaces(key, cased, codes.data(), offsets.data(), bonuses.data());
    int bestScore = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        int score = 0;
        int matched = 0;
        for (std::size_t j = 0; j < n; ++j) {
            if (offsets[j] < runs[r].begin || offsets[j + 1] > runs[r].end) continue;
            score += S::kMatch + bonuses[j] * (matched == 0 ? S::kFirstQueryCharacterFactor : 1);
            if (matched > 0) score += S::kAdjacent;
            ++matched;
        }
        if (matched > 0 && score > bestScore) {
            bestScore = score;
            if (best) *best = r;
        }
    }
    return bestScore;
}

int ContiguousScore(const std::string& key, const std::string& cased, ByteRange range) {
    return BestContiguousScore(key, cased, std::vector<ByteRange>{range}, nullptr);
}

FuzzyPattern::FuzzyPattern(const std::string& query) {
    const MbcsByteClasses& bytes = MbcsBytes();
    for (const char* at = query.c_str(); *at != '\0';) {
        const std::size_t length = bytes.CharLength(at);
        codes_.push_back(CodeAt(at, length));
        at += length;
    }
}

bool FuzzyPattern::Matches(const std::string& key) const {
    std::size_t next = 0;
    const std::size_t count = codes_.size();
    if (count == 0) return true;
    const MbcsByteClasses& bytes = MbcsBytes();
    for (const char* at = key.c_str(); *at != '\0';) {
        const std::size_t length = bytes.CharLength(at);
        if (CodeAt(at, length) == codes_[next] && ++next == count) return true;
        at += length;
    }
    return false;
}

bool FuzzyPattern::Score(const std::string& key, const std::string& cased, int& score) const {
    FuzzyResult result;
    if (!Align(key, cased, false, result)) return false;
    score = result.score;
    return true;
}

FuzzyResult FuzzyPattern::Match(const std::string& key, const std::string& cased) const {
    FuzzyResult result;
    Align(key, cased, true, result);
    return result;
}

bool FuzzyPattern::Align(const std::string& key, const std::string& cased, bool wantRanges,
                         FuzzyResult& result) const {
    result = FuzzyResult{};
    const std::size_t m = codes_.size();
    if (m == 0) {
        result.matched = true;
        return true;
    }
    // The key's characters, where they begin, and the bonus of each place;
    // the buffers only grow, so a keystroke over many keys allocates little.
    const std::size_t size = key.size();
    if (keyCodes_.size() < size + 1) {
        keyCodes_.resize(size + 1);
        keyOffsets_.resize(size + 1);
        bonuses_.resize(size + 1);
    }
    unsigned* codes = keyCodes_.data();
    std::size_t* offsets = keyOffsets_.data();
    int* bonuses = bonuses_.data();
    const std::size_t n = ReadPlaces(key, cased, codes, offsets, bonuses);

    // The earliest and the latest place each query character can take in a
    // full alignment: the rows of the table are computed only between them.
    first_.assign(m, 0);
    last_.assign(m, 0);
    std::size_t i = 0;
    for (std::size_t j = 0; j < n && i < m; ++j) {
        if (codes[j] == codes_[i]) first_[i++] = j;
    }
    if (i < m) return false;
    std::size_t k = m;
    for (std::size_t j = n; j-- > 0 && k > 0;) {
        if (codes[j] == codes_[k - 1]) last_[--k] = j;
    }

    // Row r holds the best score of the query's first r + 1 characters with
    // character r matched at place j, for j in [first_[r], last_[r]].
    std::vector<std::size_t>& rowStart = rowStarts_;
    rowStart.assign(m + 1, 0);
    for (std::size_t r = 0; r < m; ++r) rowStart[r + 1] = rowStart[r] + (last_[r] - first_[r] + 1);
    scores_.assign(rowStart[m], kNone);
    auto cell = [&](std::size_t r, std::size_t j) -> int {
        if (j < first_[r] || j > last_[r]) return kNone;
        return scores_[rowStart[r] + (j - first_[r])];
    };
    for (std::size_t j = first_[0]; j <= last_[0]; ++j) {
        if (codes[j] == codes_[0])
            scores_[rowStart[0] + (j - first_[0])] = S::kMatch + bonuses[j] * S::kFirstQueryCharacterFactor;
    }
    for (std::size_t r = 1; r < m; ++r) {
        // gap: the best of row r - 1 at a place j' <= j - 2, less the gap
        // of the places between j' and j.
        int gap = kNone;
        for (std::size_t j = first_[r - 1] + 1; j <= last_[r]; ++j) {
            if (j >= first_[r - 1] + 2) {
                const int opened = cell(r - 1, j - 2);
                const int opening = opened > kNoneLimit ? opened + S::kGapStart : kNone;
                const int extended = gap > kNoneLimit ? gap + S::kGapExtension : kNone;
                gap = std::max(opening, extended);
            }
            if (j < first_[r] || codes[j] != codes_[r]) continue;
            const int adjacent = cell(r - 1, j - 1);
            const int before = std::max(adjacent > kNoneLimit ? adjacent + S::kAdjacent : kNone, gap);
            if (before > kNoneLimit) scores_[rowStart[r] + (j - first_[r])] = before + S::kMatch + bonuses[j];
        }
    }
    std::size_t end = first_[m - 1];
    int best = kNone;
    for (std::size_t j = first_[m - 1]; j <= last_[m - 1]; ++j) {
        if (cell(m - 1, j) > best) {
            best = cell(m - 1, j);
            end = j;
        }
    }
    if (best <= kNoneLimit) return false;
    result.matched = true;
    result.score = best;
    if (!wantRanges) return true;

    // Back from the best end: each step finds the place of the character
    // before that gives the score found.
    std::vector<std::size_t> places(m, 0);
    places[m - 1] = end;
    for (std::size_t r = m - 1; r > 0; --r) {
        const std::size_t j = places[r];
        const int before = cell(r, j) - S::kMatch - bonuses[j];
        std::size_t from = j - 1;
        if (!(cell(r - 1, j - 1) > kNoneLimit && cell(r - 1, j - 1) + S::kAdjacent == before)) {
            for (std::size_t p = j - 1; p-- > first_[r - 1];) {
                const int value = cell(r - 1, p);
                if (value > kNoneLimit && value + S::kGapStart + static_cast<int>(j - 2 - p) * S::kGapExtension == before) {
                    from = p;
                    break;
                }
            }
        }
        places[r - 1] = from;
    }
    for (std::size_t place : places) {
        const std::size_t begin = offsets[place];
        const std::size_t stop = offsets[place + 1];
        if (!result.ranges.empty() && result.ranges.back().end == begin) {
            result.ranges.back().end = stop;
        } else {
            result.ranges.push_back(ByteRange{begin, stop});
        }
    }
    return true;
}

FuzzyResult FuzzyMatch(const std::string& key, const std::string& cased, const std::string& query) {
    return FuzzyPattern(query).Match(key, cased);
}

}  // namespace tarnwick
