#pragma once
// "MatchMigemo": a C/Migemo expansion of a romaji query, compiled once per
// keystroke into a trie of the words it stands for, over whole characters of
// the code page (the operators: migemo_syntax.h).

#include "search/fuzzy_match.h"
#include "search/migemo_syntax.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// The words of an expansion, upper-cased as search keys are, in a trie.
class MigemoPattern {
public:
    // More words than this (a pattern that multiplies out) compile to none.
    static constexpr std::size_t kMaxWords = 50000;

    MigemoPattern() = default;
    // An empty or malformed expansion matches nothing.
    explicit MigemoPattern(const std::string& expansion);

    bool Empty() const noexcept { return nodes_.size() <= 1; }
    std::size_t WordCount() const noexcept { return words_; }
    // The byte length of the longest word that key holds at byte offset at
    // (a character boundary); 0 for none.
    std::size_t MatchLengthAt(const std::string& key, std::size_t at) const noexcept;
    // Whether key holds a word at any character boundary.
    bool Matches(const std::string& key) const noexcept;
    // The leftmost word of key, the longest there; false for none.
    bool Find(const std::string& key, ByteRange& range) const noexcept;

private:
    struct Node {
        std::uint32_t firstEdge = 0;
        std::uint32_t edgeCount = 0;
        bool word = false;
    };
    struct Edge {
        std::uint16_t code;
        std::uint32_t child;
    };
    void Build(const std::vector<std::string>& words);
    std::uint32_t ChildOf(std::uint32_t node, unsigned code) const noexcept;
    // MatchLengthAt for a first character already read.
    std::size_t LongestFrom(const std::string& key, std::size_t at, std::size_t length, unsigned code) const noexcept;
    bool StartsWord(unsigned code) const noexcept { return (startsWord_[code >> 6] >> (code & 63)) & 1u; }

    std::vector<Node> nodes_;
    std::vector<Edge> edges_;  // each node's, sorted by code
    // Which characters begin a word, by code: most characters of a key begin
    // none, and this answers them in one look.
    std::vector<std::uint64_t> startsWord_;
    // The bytes a word's first character begins with: a key is stepped
    // through at every keystroke, and most of its bytes begin none.
    bool firstBytes_[256] = {};
    std::size_t words_ = 0;
};

// The words an expansion stands for, as they are written in it (not
// upper-cased); false, with none, when it is malformed or multiplies out
// beyond limit.
bool ExpandMigemoPattern(const std::string& expansion, std::size_t limit, std::vector<std::string>& words);

}  // namespace tarnwick
