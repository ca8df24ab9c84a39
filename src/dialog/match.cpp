// Words in any order, in the name or the path, and the rank groups of the
// rows. Whole characters only, stepping as the plain filter does.
#include "dialog/match.h"

#include "dialog/recent_folders.h"

#include "common/text.h"
#include "binding/config.h"

#include <algorithm>
#include <cstring>

namespace tarnwick {
namespace {

// The upper-cased display paths, position by position, of one list.
struct PathKeys {
    const FolderList* source = nullptr;
    std::vector<std::string> keys;
};
PathKeys g_pathKeys;

// The rank of each position of the list at the last ranked fill; empty while
// the rows are not ranked.
std::vector<unsigned char> g_rowRanks;

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

// A word start: the key's first character, one after a separator, or one
// where single-byte and double-byte characters meet.
bool OccursAtWordStart(const std::string& key, const std::string& word) noexcept {
    const char* previous = nullptr;
    std::size_t previousLength = 0;
    for (const char* at = key.c_str(); *at != '\0';) {
        const std::size_t length = MbcsCharLength(at);
        const bool wordStart = !previous || IsWordSeparator(previous, previousLength) || previousLength != length;
        if (wordStart && MbcsStartsWith(at, word.c_str())) return true;
        previous = at;
        previousLength = length;
        at += length;
    }
    return false;
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

unsigned RankAt(LPARAM position) noexcept {
    if (position < 0 || static_cast<std::size_t>(position) >= g_rowRanks.size()) return kRankRest;
    return g_rowRanks[static_cast<std::size_t>(position)];
}

}  // namespace

MatchSettings MatchSettingsFromConfig() noexcept {
    const PluginConfig& config = Config();
    return MatchSettings{config.matchWords != 0, config.matchPath != 0, config.rankMatches != 0};
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
    ranks_ = settings.rank && query[0] != '\0' && !words_.empty();
}

bool QueryMatcher::Matches(std::size_t position) const {
    if (everyFolder_) return true;
    for (const std::string& word : words_) {
        if (!Contains(position, word)) return false;
    }
    return true;
}

bool QueryMatcher::Contains(std::size_t position, const std::string& word) const {
    if (MbcsContains(folders_[position].searchKey.c_str(), word.c_str())) return true;
    return pathKeys_ && MbcsContains((*pathKeys_)[position].c_str(), word.c_str());
}

RowRank QueryMatcher::RankOf(std::size_t position) const {
    const std::string& key = folders_[position].searchKey;
    if (words_.empty()) return kRankRest;
    if (MbcsStartsWith(key.c_str(), words_.front().c_str())) return kRankPrefix;
    for (const std::string& word : words_) {
        if (OccursAtWordStart(key, word)) return kRankWordStart;
    }
    return kRankRest;
}

void OrderByRank(const QueryMatcher& matcher, std::vector<RowPosition>& positions, std::size_t listSize) {
    g_rowRanks.clear();
    const bool recentFirst =
        PrepareRecentOrder(matcher.Folders(), matcher.EveryFolder(), matcher.EmptyQuery() || matcher.Ranks());
    if (!matcher.Ranks()) {
        if (recentFirst)
            std::stable_sort(positions.begin(), positions.end(),
                             [](RowPosition a, RowPosition b) { return RecencyOf(a) < RecencyOf(b); });
        return;
    }
    g_rowRanks.assign(listSize, kRankRest);
    for (RowPosition position : positions) g_rowRanks[position] = matcher.RankOf(position);
    std::stable_sort(positions.begin(), positions.end(), [](RowPosition a, RowPosition b) {
        if (g_rowRanks[a] != g_rowRanks[b]) return g_rowRanks[a] < g_rowRanks[b];
        return RecencyOf(a) < RecencyOf(b);
    });
}

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

int CompareUnsortedRows(LPARAM first, LPARAM second) noexcept {
    if (!g_rowRanks.empty()) {
        const unsigned a = RankAt(first);
        const unsigned b = RankAt(second);
        if (a != b) return a < b ? -1 : 1;
    }
    if (RecentOrderActive() && first >= 0 && second >= 0) {
        const unsigned a = RecencyOf(static_cast<std::size_t>(first));
        const unsigned b = RecencyOf(static_cast<std::size_t>(second));
        if (a != b) return a < b ? -1 : 1;
    }
    return first > second ? 1 : first < second ? -1 : 0;
}

void RefreshPathKeys(const FolderList& folders, const MatchSettings& settings) {
    if (settings.path) {
        MakePathKeys(folders);
    } else {
        g_pathKeys = PathKeys{};
    }
}

}  // namespace tarnwick
