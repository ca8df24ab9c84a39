// Words in any order, in the name or the path, and the rank groups of the
// rows. Whole characters only, stepping as the plain filter does.
#include "search/match.h"

#include "search/migemo.h"
#include "search/recent_folders.h"

#include "common/text.h"
#include "binding/config.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace tarnwick {
namespace {

// The upper-cased display paths, position by position, of one list.
struct PathKeys {
    const FolderList* source = nullptr;
    std::vector<std::string> keys;
};
PathKeys g_pathKeys;

// The index in the last fill's order of each position of the list; empty
// while the rows are in catalogue order.
std::vector<std::uint32_t> g_fillOrder;
constexpr std::uint32_t kNotFilled = 0xFFFFFFFFu;

bool IsFullWidthSpace(const char* at, std::size_t length) noexcept {
    return length == 2 && at[0] == '\x81' && at[1] == '\x40';
}

bool IsQuerySpace(const char* at, std::size_t length) noexcept {
    return (length == 1 && at[0] == ' ') || IsFullWidthSpace(at, length);
}

bool IsWordSeparator(const char* at, std::size_t length) noexcept {
    if (length == 2) return IsFullWidthSpace(at, length);
    switch (at[0]) {
        case ' ': case '-': case '_': case '.': case '/': return true;
        default: return false;
    }
}

// Whether test(at, offset) holds at a word start of key: the key's first
// character, one after a separator, or one where single-byte and double-byte
// characters meet.
template <typename Test>
bool AnyWordStart(const std::string& key, Test test) {
    const MbcsByteClasses& bytes = MbcsBytes();
    const char* previous = nullptr;
    std::size_t previousLength = 0;
    for (const char* at = key.c_str(); *at != '\0';) {
        const std::size_t length = bytes.CharLength(at);
        const bool wordStart = !previous || IsWordSeparator(previous, previousLength) || previousLength != length;
        if (wordStart && test(at, static_cast<std::size_t>(at - key.c_str()))) return true;
        previous = at;
        previousLength = length;
        at += length;
    }
    return false;
}

bool OccursAtWordStart(const std::string& key, const std::string& word) {
    return AnyWordStart(key, [&word](const char* at, std::size_t) {
        return *at == word[0] && MbcsStartsWith(at, word.c_str());
    });
}

// The words C/Migemo was asked for last, most recent first.
struct KeptPattern {
    std::string word;
    std::shared_ptr<const MigemoPattern> pattern;
};
std::vector<KeptPattern> g_keptPatterns;
constexpr std::size_t kKeptPatterns = 8;

// C/Migemo reads an upper-case letter as the start of a new clause: the
// query goes to it with its ASCII letters in lower case.
std::string LowerCaseAscii(const std::string& text) {
    std::string lower = text;
    const MbcsByteClasses& bytes = MbcsBytes();
    for (std::size_t at = 0; at < lower.size();) {
        const std::size_t length = bytes.CharLength(lower.c_str() + at);
        if (length == 1 && lower[at] >= 'A' && lower[at] <= 'Z') lower[at] = static_cast<char>(lower[at] - 'A' + 'a');
        at += length;
    }
    return lower;
}

// The best scoring word of pattern in key, scored as adjacent matched
// characters, and its score; false for none.
bool BestMigemoRun(const MigemoPattern& pattern, const std::string& key, const std::string& cased, ByteRange& run,
                   int& score) {
    std::vector<ByteRange> runs;
    const MbcsByteClasses& bytes = MbcsBytes();
    for (std::size_t at = 0; at < key.size(); at += bytes.CharLength(key.c_str() + at)) {
        const std::size_t length = pattern.MatchLengthAt(key, at);
        if (length != 0) runs.push_back(ByteRange{at, at + length});
    }
    if (runs.empty()) return false;
    std::size_t best = 0;
    score = BestContiguousScore(key, cased, runs, &best);
    run = runs[best];
    return true;
}

// The better of the fuzzy alignment and the expansion's best match in one
// key (name or path); false when neither matches there.
bool WordScoreIn(const std::string& key, const std::string& cased, const FuzzyPattern& fuzzy,
                 const MigemoPattern* migemo, int& score) {
    int aligned = 0;
    int expanded = 0;
    const bool byAlignment = fuzzy.Score(key, cased, aligned);
    ByteRange run;
    const bool byExpansion = migemo && BestMigemoRun(*migemo, key, cased, run, expanded);
    if (!byAlignment && !byExpansion) return false;
    score = !byExpansion ? aligned : !byAlignment ? expanded : std::max(aligned, expanded);
    return true;
}

void MakePathKeys(const FolderList& folders) {
    g_pathKeys.source = &folders;
    g_pathKeys.keys.clear();
    g_pathKeys.keys.reserve(folders.size());
    for (const FolderRecord& record : folders) g_pathKeys.keys.push_back(UpperCaseMbcs(record.displayPath));
}

// A list the keys were not made for (another list object, or one of another
// length) gets its own keys at once.
const std::vector<std::string>& PathKeysOf(const FolderList& folders) {
    if (g_pathKeys.source != &folders || g_pathKeys.keys.size() != folders.size()) MakePathKeys(folders);
    return g_pathKeys.keys;
}

std::uint32_t FillIndexAt(std::intptr_t position) noexcept {
    if (position < 0 || static_cast<std::size_t>(position) >= g_fillOrder.size()) return kNotFilled;
    return g_fillOrder[static_cast<std::size_t>(position)];
}

// Adds [begin, end) to sorted, disjoint ranges, merging what it touches.
void AddRange(std::vector<ByteRange>& ranges, ByteRange range) {
    if (range.begin >= range.end) return;
    std::vector<ByteRange> merged;
    merged.reserve(ranges.size() + 1);
    bool placed = false;
    for (const ByteRange& r : ranges) {
        if (r.end < range.begin) {
            merged.push_back(r);
        } else if (range.end < r.begin) {
            if (!placed) merged.push_back(range);
            placed = true;
            merged.push_back(r);
        } else {
            range.begin = std::min(range.begin, r.begin);
            range.end = std::max(range.end, r.end);
        }
    }
    if (!placed) merged.push_back(range);
    ranges.swap(merged);
}

// The ranges one word (or the whole query) gives in key; false when it does
// not match there. With an expansion: the text found as typed, else the
// leftmost (longest) word of the expansion; with "MatchFuzzy" the better
// scoring of the alignment and that word.
bool WordRanges(const std::string& key, const std::string& cased, const std::string& word, bool fuzzy,
                const MigemoPattern* migemo, std::vector<ByteRange>& ranges) {
    if (fuzzy) {
        const FuzzyResult result = FuzzyMatch(key, cased, word);
        ByteRange run;
        int expandedScore = 0;
        const bool byExpansion = migemo && BestMigemoRun(*migemo, key, cased, run, expandedScore);
        if (result.matched && (!byExpansion || result.score >= expandedScore)) {
            for (const ByteRange& r : result.ranges) AddRange(ranges, r);
            return true;
        }
        if (!byExpansion) return false;
        AddRange(ranges, run);
        return true;
    }
    const std::size_t at = MbcsFind(key.c_str(), word.c_str());
    if (at != std::string::npos) {
        AddRange(ranges, ByteRange{at, at + word.size()});
        return true;
    }
    ByteRange expanded;
    if (!migemo || !migemo->Find(key, expanded)) return false;
    AddRange(ranges, expanded);
    return true;
}

// Three rank groups over rows in catalogue order: placed group by group
// they stay in that order, so no sort is needed but of the recent folders,
// which lead their group by recency.
void OrderByRankGroup(const QueryMatcher& matcher, std::vector<RowPosition>& positions, bool recentFirst,
                      const std::vector<RowRank>* given) {
    constexpr int kGroups = kRankRest + 1;
    std::vector<RowRank> made;
    if (!given || given->size() != positions.size()) {
        made.reserve(positions.size());
        for (RowPosition position : positions) made.push_back(matcher.RankOf(position));
        given = &made;
    }
    const std::vector<RowRank>& ranks = *given;
    std::size_t starts[kGroups + 1] = {};
    for (RowRank rank : ranks) ++starts[rank + 1];
    for (int group = 0; group < kGroups; ++group) starts[group + 1] += starts[group];
    std::vector<RowPosition> ordered(positions.size());
    std::size_t next[kGroups];
    std::copy(starts, starts + kGroups, next);
    for (std::size_t i = 0; i < positions.size(); ++i) ordered[next[ranks[i]]++] = positions[i];
    if (recentFirst) {
        for (int group = 0; group < kGroups; ++group) {
            const auto begin = ordered.begin() + static_cast<std::ptrdiff_t>(starts[group]);
            const auto end = ordered.begin() + static_cast<std::ptrdiff_t>(starts[group + 1]);
            const auto rest = std::stable_partition(begin, end, [](RowPosition p) { return RecencyOf(p) != kNotRecent; });
            std::sort(begin, rest, [](RowPosition a, RowPosition b) {
                return RecencyOf(a) != RecencyOf(b) ? RecencyOf(a) < RecencyOf(b) : a < b;
            });
        }
    }
    positions.swap(ordered);
}

}  // namespace

MatchSettings MatchSettingsFromConfig() noexcept {
    const PluginConfig& config = Config();
    return MatchSettings{config.matchWords != 0, config.matchPath != 0, config.rankMatches != 0,
                         config.matchFuzzy != 0, config.matchMigemo != 0 && MigemoReady()};
}

std::vector<std::string> SplitQueryWords(const char* query) {
    std::vector<std::string> words;
    if (!query) return words;
    std::string word;
    for (const char* at = query; *at != '\0';) {
        const std::size_t length = MbcsCharLength(at);
        if (IsQuerySpace(at, length)) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word.append(at, length);
        }
        at += length;
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

QueryMatcher::QueryMatcher(const FolderList& folders, const char* query, const MatchSettings& settings)
    : folders_(folders), everyFolder_(query == nullptr) {
    if (everyFolder_) return;
    emptyQuery_ = query[0] == '\0';
    if (settings.words) {
        words_ = SplitQueryWords(query);
    } else {
        words_.emplace_back(query);
    }
    if (settings.path) pathKeys_ = &PathKeysOf(folders);
    if (settings.fuzzy) {
        patterns_.reserve(words_.size());
        for (const std::string& word : words_) patterns_.emplace_back(word);
    }
    if (settings.migemo) {
        migemo_.reserve(words_.size());
        for (const std::string& word : words_) migemo_.push_back(MigemoPatternOf(word));
    }
    scores_ = settings.fuzzy;
    ranks_ = (settings.rank || settings.fuzzy) && query[0] != '\0' && !words_.empty();
}

bool QueryMatcher::Matches(std::size_t position) const {
    if (everyFolder_) return true;
    for (std::size_t word = 0; word < words_.size(); ++word) {
        if (!Contains(position, word)) return false;
    }
    return true;
}

bool QueryMatcher::Contains(std::size_t position, std::size_t word) const {
    const std::string& key = folders_[position].searchKey;
    const std::string* path = pathKeys_ ? &(*pathKeys_)[position] : nullptr;
    if (!patterns_.empty()) {
        if (patterns_[word].Matches(key) || (path && patterns_[word].Matches(*path))) return true;
    } else {
        if (MbcsContains(key.c_str(), words_[word].c_str())) return true;
        if (path && MbcsContains(path->c_str(), words_[word].c_str())) return true;
    }
    const MigemoPattern* migemo = word < migemo_.size() ? migemo_[word].get() : nullptr;
    return migemo && (migemo->Matches(key) || (path && migemo->Matches(*path)));
}

bool QueryMatcher::MigemoAtWordStart(const std::string& key, std::size_t word) const {
    const MigemoPattern* migemo = word < migemo_.size() ? migemo_[word].get() : nullptr;
    if (!migemo) return false;
    return AnyWordStart(key, [&](const char*, std::size_t offset) { return migemo->MatchLengthAt(key, offset) != 0; });
}

int QueryMatcher::ScoreOf(std::size_t position) const {
    const FolderRecord& record = folders_[position];
    int total = 0;
    for (std::size_t word = 0; word < patterns_.size(); ++word) {
        const MigemoPattern* migemo = word < migemo_.size() ? migemo_[word].get() : nullptr;
        int score = 0;
        if (WordScoreIn(record.searchKey, record.name, patterns_[word], migemo, score) ||
            (pathKeys_ && WordScoreIn((*pathKeys_)[position], record.displayPath, patterns_[word], migemo, score))) {
            total += score;
        } else {
            return 0;
        }
    }
    return total;
}

RowRank QueryMatcher::RankOf(std::size_t position) const {
    const std::string& key = folders_[position].searchKey;
    if (words_.empty()) return kRankRest;
    if (MbcsStartsWith(key.c_str(), words_.front().c_str())) return kRankPrefix;
    if (!migemo_.empty() && migemo_.front() && migemo_.front()->MatchLengthAt(key, 0) != 0) return kRankPrefix;
    for (std::size_t word = 0; word < words_.size(); ++word) {
        if (OccursAtWordStart(key, words_[word]) || MigemoAtWordStart(key, word)) return kRankWordStart;
    }
    return kRankRest;
}

void OrderByRank(const QueryMatcher& matcher, std::vector<RowPosition>& positions, std::size_t listSize,
                 const std::vector<RowRank>* ranks) {
    const bool recentFirst =
        PrepareRecentOrder(matcher.Folders(), matcher.EveryFolder(), matcher.EmptyQuery() || matcher.Ranks());
    if (!matcher.Ranks()) {
        if (!recentFirst) {
            ForgetFillOrder();
            return;
        }
        std::stable_sort(positions.begin(), positions.end(),
                         [](RowPosition a, RowPosition b) { return RecencyOf(a) < RecencyOf(b); });
        KeepFillOrder(positions, listSize);
        return;
    }
    if (!matcher.Scores() && std::is_sorted(positions.begin(), positions.end())) {
        OrderByRankGroup(matcher, positions, recentFirst, ranks);
        KeepFillOrder(positions, listSize);
        return;
    }
    // (key, recency, position): the key orders, recency and then the
    // position break ties.
    struct Keyed {
        int key;
        unsigned recency;
        RowPosition position;
        bool operator<(const Keyed& other) const noexcept {
            if (key != other.key) return key < other.key;
            if (recency != other.recency) return recency < other.recency;
            return position < other.position;
        }
    };
    std::vector<Keyed> keyed;
    keyed.reserve(positions.size());
    for (RowPosition position : positions) {
        const int key = matcher.Scores() ? -matcher.ScoreOf(position) : static_cast<int>(matcher.RankOf(position));
        keyed.push_back(Keyed{key, recentFirst ? RecencyOf(position) : 0u, position});
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size(); ++i) positions[i] = keyed[i].position;
    KeepFillOrder(positions, listSize);
}

void KeepFillOrder(const std::vector<RowPosition>& positions, std::size_t listSize) {
    g_fillOrder.assign(listSize, kNotFilled);
    for (std::size_t i = 0; i < positions.size(); ++i) {
        if (positions[i] < listSize) g_fillOrder[positions[i]] = static_cast<std::uint32_t>(i);
    }
}

void ForgetFillOrder() noexcept { std::vector<std::uint32_t>().swap(g_fillOrder); }

bool QueryNarrows(const std::string& previous, const char* next) noexcept {
    if (!next) return false;
    const std::size_t length = previous.size();
    if (std::strncmp(previous.c_str(), next, length) != 0) return false;
    // The previous query must end where a character of next ends: a lead
    // byte that was a character of its own may begin one with what follows.
    std::size_t at = 0;
    while (at < length) at += MbcsCharLength(next + at);
    return at == length;
}

int CompareUnsortedRows(std::intptr_t first, std::intptr_t second) noexcept {
    if (!g_fillOrder.empty()) {
        const std::uint32_t a = FillIndexAt(first);
        const std::uint32_t b = FillIndexAt(second);
        if (a != b) return a < b ? -1 : 1;
    }
    return first > second ? 1 : first < second ? -1 : 0;
}

MatchRanges MatchRangesOf(const FolderRecord& record, const char* query, const MatchSettings& settings) {
    MatchRanges ranges;
    if (!query || query[0] == '\0') return ranges;
    std::vector<std::string> words;
    if (settings.words) {
        words = SplitQueryWords(query);
    } else {
        words.emplace_back(query);
    }
    std::string pathKey;
    if (settings.path) pathKey = UpperCaseMbcs(record.displayPath);
    for (const std::string& word : words) {
        const std::shared_ptr<const MigemoPattern> migemo = settings.migemo ? MigemoPatternOf(word) : nullptr;
        if (WordRanges(record.searchKey, record.name, word, settings.fuzzy, migemo.get(), ranges.name)) continue;
        if (settings.path && WordRanges(pathKey, record.displayPath, word, settings.fuzzy, migemo.get(), ranges.path)) {
            continue;
        }
        return MatchRanges{};
    }
    // Keys are their texts upper-cased in place: the same length, the same
    // character boundaries. Anything else has nothing to show.
    if (record.searchKey.size() != record.name.size()) ranges.name.clear();
    if (pathKey.size() != record.displayPath.size()) ranges.path.clear();
    return ranges;
}

std::shared_ptr<const MigemoPattern> MigemoPatternOf(const std::string& word) {
    for (std::size_t i = 0; i < g_keptPatterns.size(); ++i) {
        if (g_keptPatterns[i].word != word) continue;
        std::rotate(g_keptPatterns.begin(), g_keptPatterns.begin() + static_cast<std::ptrdiff_t>(i),
                    g_keptPatterns.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        return g_keptPatterns.front().pattern;
    }
    if (word.empty() || !MigemoReady()) return nullptr;
    auto pattern = std::make_shared<const MigemoPattern>(MigemoQuery(LowerCaseAscii(word)));
    std::shared_ptr<const MigemoPattern> kept = pattern->Empty() ? nullptr : pattern;
    if (g_keptPatterns.size() >= kKeptPatterns) g_keptPatterns.pop_back();
    g_keptPatterns.insert(g_keptPatterns.begin(), KeptPattern{word, kept});
    return kept;
}

void ForgetMigemoPatterns() noexcept { std::vector<KeptPattern>().swap(g_keptPatterns); }

void RefreshPathKeys(const FolderList& folders, const MatchSettings& settings) {
    if (settings.path) {
        MakePathKeys(folders);
    } else {
        g_pathKeys = PathKeys{};
    }
}

}  // namespace tarnwick
