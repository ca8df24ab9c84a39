// The expansion is a trie written out by C/Migemo: a node's one-character
// children without children of their own in a class, the others each
// followed by their own children, alternatives in a group. Reading it back
// into words and a trie needs no regular-expression engine.
#include "search/migemo_pattern.h"

#include "common/text.h"

#include <algorithm>
#include <utility>

namespace tarnwick {
namespace {

// C/Migemo's escape before some single-byte characters of a word.
constexpr char kEscape = '\\';

bool IsOperator(char c) noexcept {
    return c == kMigemoOr || c == kMigemoNestIn || c == kMigemoNestOut || c == kMigemoSelectIn || c == kMigemoSelectOut;
}

unsigned CodeAt(const char* at, std::size_t length) noexcept {
    const auto lead = static_cast<unsigned char>(at[0]);
    return length == 2 ? (lead << 8) | static_cast<unsigned char>(at[1]) : lead;
}

// Recursive descent over
//   alternatives := sequence (OR sequence)*
//   sequence     := item*
//   item         := NEST_IN alternatives NEST_OUT | SELECT_IN unit* SELECT_OUT | unit
//   unit         := ESCAPE character | character
// where a character is one of the code page, as the plug-in steps through
// texts everywhere.
class Expander {
public:
    Expander(const std::string& text, std::size_t limit) : at_(text.c_str()), end_(text.c_str() + text.size()), limit_(limit) {}

    bool Run(std::vector<std::string>& words) {
        if (!Alternatives(words, 0) || at_ != end_) return false;
        return true;
    }

private:
    bool Alternatives(std::vector<std::string>& out, int depth) {
        if (depth > kMaxDepth) return false;
        out.clear();
        for (;;) {
            std::vector<std::string> sequence;
            if (!Sequence(sequence, depth)) return false;
            if (out.size() + sequence.size() > limit_) return false;
            out.insert(out.end(), std::make_move_iterator(sequence.begin()), std::make_move_iterator(sequence.end()));
            if (at_ == end_ || *at_ != kMigemoOr) return true;
            ++at_;
        }
    }

    bool Sequence(std::vector<std::string>& out, int depth) {
        out.assign(1, std::string());
        std::vector<std::string> item;
        while (at_ != end_ && *at_ != kMigemoOr && *at_ != kMigemoNestOut) {
            if (!Item(item, depth)) return false;
            if (item.empty()) continue;
            if (item.size() > 1 && out.size() > limit_ / item.size()) return false;
            std::vector<std::string> joined;
            joined.reserve(out.size() * item.size());
            for (const std::string& head : out) {
                for (const std::string& tail : item) joined.push_back(head + tail);
            }
            out.swap(joined);
        }
        return true;
    }

    bool Item(std::vector<std::string>& out, int depth) {
        const char c = *at_;
        if (c == kMigemoNestIn) {
            ++at_;
            if (!Alternatives(out, depth + 1) || at_ == end_ || *at_ != kMigemoNestOut) return false;
            ++at_;
            return true;
        }
        if (c == kMigemoSelectIn) {
            ++at_;
            out.clear();
            std::string unit;
            while (at_ != end_ && *at_ != kMigemoSelectOut) {
                if (!Unit(unit)) return false;
                out.push_back(unit);
            }
            if (at_ == end_) return false;
            ++at_;
            return true;
        }
        std::string unit;
        if (!Unit(unit)) return false;
        out.assign(1, unit);
        return true;
    }

    bool Unit(std::string& unit) {
        if (at_ == end_ || IsOperator(*at_)) return false;
        if (*at_ == kEscape && at_ + 1 != end_ && !IsOperator(at_[1])) ++at_;
        const std::size_t length = std::min(MbcsCharLength(at_), static_cast<std::size_t>(end_ - at_));
        unit.assign(at_, length);
        at_ += length;
        return true;
    }

    static constexpr int kMaxDepth = 64;
    const char* at_;
    const char* end_;
    std::size_t limit_;
};

}  // namespace

bool ExpandMigemoPattern(const std::string& expansion, std::size_t limit, std::vector<std::string>& words) {
    words.clear();
    // A text with a terminator inside is none of C/Migemo's.
    if (expansion.find('\0') != std::string::npos) return false;
    Expander expander(expansion, limit);
    if (!expander.Run(words)) {
        words.clear();
        return false;
    }
    return true;
}

MigemoPattern::MigemoPattern(const std::string& expansion) {
    std::vector<std::string> words;
    if (!ExpandMigemoPattern(expansion, kMaxWords, words)) return;
    for (std::string& word : words) word = UpperCaseMbcs(word);
    Build(words);
}

void MigemoPattern::Build(const std::vector<std::string>& words) {
    // Built with unsorted child lists, then laid out with each node's edges
    // together and sorted, for a binary search.
    struct Building {
        std::vector<std::pair<std::uint16_t, std::uint32_t>> children;
        bool word = false;
    };
    std::vector<Building> building(1);
    const MbcsByteClasses& bytes = MbcsBytes();
    for (const std::string& word : words) {
        if (word.empty()) continue;  // a word of nothing would match every key
        std::uint32_t node = 0;
        for (const char* at = word.c_str(); *at != '\0';) {
            const std::size_t length = bytes.CharLength(at);
            const auto code = static_cast<std::uint16_t>(CodeAt(at, length));
            at += length;
            auto& children = building[node].children;
            const auto found = std::find_if(children.begin(), children.end(),
                                            [code](const std::pair<std::uint16_t, std::uint32_t>& c) { return c.first == code; });
            if (found != children.end()) {
                node = found->second;
                continue;
            }
            const auto child = static_cast<std::uint32_t>(building.size());
            building[node].children.emplace_back(code, child);
            building.emplace_back();
            node = child;
        }
        if (!building[node].word) ++words_;
        building[node].word = true;
    }
    if (words_ == 0) return;
    nodes_.resize(building.size());
    startsWord_.assign(0x10000 / 64, 0);
    for (std::size_t i = 0; i < building.size(); ++i) {
        auto& children = building[i].children;
        std::sort(children.begin(), children.end());
        nodes_[i].firstEdge = static_cast<std::uint32_t>(edges_.size());
        nodes_[i].edgeCount = static_cast<std::uint32_t>(children.size());
        nodes_[i].word = building[i].word;
        for (const auto& child : children) edges_.push_back(Edge{child.first, child.second});
    }
    for (const auto& child : building[0].children) {
        startsWord_[child.first >> 6] |= std::uint64_t{1} << (child.first & 63);
        firstBytes_[child.first > 0xFF ? child.first >> 8 : child.first] = true;
    }
}

std::uint32_t MigemoPattern::ChildOf(std::uint32_t node, unsigned code) const noexcept {
    const Node& n = nodes_[node];
    const Edge* first = edges_.data() + n.firstEdge;
    const Edge* last = first + n.edgeCount;
    const Edge* found = std::lower_bound(first, last, code, [](const Edge& e, unsigned c) { return e.code < c; });
    return found != last && found->code == code ? found->child : 0;
}

std::size_t MigemoPattern::MatchLengthAt(const std::string& key, std::size_t at) const noexcept {
    if (Empty() || at >= key.size()) return 0;
    const std::size_t length = MbcsBytes().CharLength(key.c_str() + at);
    return LongestFrom(key, at, length, CodeAt(key.c_str() + at, length));
}

std::size_t MigemoPattern::LongestFrom(const std::string& key, std::size_t at, std::size_t length,
                                       unsigned code) const noexcept {
    if (!StartsWord(code)) return 0;
    const MbcsByteClasses& bytes = MbcsBytes();
    const char* text = key.c_str();
    std::uint32_t node = ChildOf(0, code);
    std::size_t longest = 0;
    std::size_t offset = at + length;
    while (node != 0) {
        if (nodes_[node].word) longest = offset - at;
        if (offset >= key.size()) break;
        length = bytes.CharLength(text + offset);
        node = ChildOf(node, CodeAt(text + offset, length));
        offset += length;
    }
    return longest;
}

bool MigemoPattern::Find(const std::string& key, ByteRange& range) const noexcept {
    if (Empty()) return false;
    const MbcsByteClasses& bytes = MbcsBytes();
    const char* text = key.c_str();
    const std::size_t size = key.size();
    for (std::size_t at = 0; at < size;) {
        const std::size_t length = bytes.CharLength(text + at);
        if (firstBytes_[static_cast<unsigned char>(text[at])]) {
            const std::size_t found = LongestFrom(key, at, length, CodeAt(text + at, length));
            if (found != 0) {
                range = ByteRange{at, at + found};
                return true;
            }
        }
        at += length;
    }
    return false;
}

bool MigemoPattern::Matches(const std::string& key) const noexcept {
    ByteRange range;
    return Find(key, range);
}

}  // namespace tarnwick
