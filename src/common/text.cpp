#include "common/text.h"

#include <mbstring.h>
#include <cstring>
#include <vector>

namespace tarnwick {

std::size_t CopyTruncated(char* dst, std::size_t dstSize, const char* src) noexcept {
    if (dstSize == 0) return 0;
    std::size_t n = 0;
    if (src) {
        while (n + 1 < dstSize && src[n] != '\0') {
            dst[n] = src[n];
            ++n;
        }
    }
    dst[n] = '\0';
    return n;
}

const MbcsByteClasses& MbcsBytes() noexcept {
    static const MbcsByteClasses classes = [] {
        MbcsByteClasses made{};
        for (int b = 0; b < 256; ++b) {
            made.lead[b] = _ismbblead(static_cast<unsigned>(b)) != 0;
            made.trail[b] = b != 0 && _ismbbtrail(static_cast<unsigned>(b)) != 0;
        }
        return made;
    }();
    return classes;
}

namespace {

// Length of the character at text (1 or 2): a lead byte is the first of two
// only before a byte that can follow it; before the terminator, a space or
// any other byte it is a character of its own.
std::size_t CharLength(const char* text) noexcept { return MbcsBytes().CharLength(text); }

// The runtime's own stepping, which takes any byte after a lead byte but the
// terminator as its trail byte.
std::size_t RuntimeCharLength(const char* text) noexcept {
    return MbcsBytes().lead[static_cast<unsigned char>(text[0])] && text[1] != '\0' ? 2 : 1;
}

unsigned int CharCode(const char* text, std::size_t length) noexcept {
    const auto lead = static_cast<unsigned char>(text[0]);
    return length == 2 ? (lead << 8) | static_cast<unsigned char>(text[1]) : lead;
}

// Where the runtime would read the terminator as a trail byte: the text's
// length without a lead byte at its end.
std::size_t WellFormedLength(const char* text, std::size_t length) noexcept {
    std::size_t i = 0;
    while (i < length) {
        const std::size_t step = RuntimeCharLength(text + i);
        if (step == 1 && MbcsBytes().lead[static_cast<unsigned char>(text[i])]) return i;
        i += step;
    }
    return length;
}

}  // namespace

void UpperCaseMbcsInPlace(char* buffer, std::size_t bufferSize) noexcept {
    if (!buffer || bufferSize == 0) return;
    const std::size_t length = strnlen(buffer, bufferSize);
    if (length == bufferSize) {
        buffer[0] = '\0';
        return;
    }
    // The runtime sees only whole characters, one stretch between lone lead
    // bytes at a time; a lone lead byte stays as it is.
    for (std::size_t start = 0; start <= length;) {
        std::size_t end = start;
        while (end < length) {
            const std::size_t step = CharLength(buffer + end);
            if (step == 1 && MbcsBytes().lead[static_cast<unsigned char>(buffer[end])]) break;
            end += step;
        }
        const char stop = buffer[end];
        buffer[end] = '\0';
        const bool failed = end > start &&
            _mbsupr_s(reinterpret_cast<unsigned char*>(buffer + start), end - start + 1) != 0;
        buffer[end] = stop;
        if (failed) {
            buffer[0] = '\0';
            return;
        }
        start = end + 1;
    }
}

std::string UpperCaseMbcs(const std::string& text) {
    if (text.empty()) return text;
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    UpperCaseMbcsInPlace(buffer.data(), buffer.size());
    return std::string(buffer.data());
}

std::size_t WellFormedMbcsLength(const std::string& text) noexcept {
    return WellFormedLength(text.c_str(), text.size());
}

std::string WithoutLoneLeadByte(const std::string& text) { return text.substr(0, WellFormedMbcsLength(text)); }

namespace {

// at begins with the query's bytes, ending at a character boundary of at.
bool WholeCharsMatchAt(const MbcsByteClasses& bytes, const char* at, const char* query) noexcept {
    std::size_t length = 0;
    // A shorter text differs at its terminator: nothing is read past it.
    for (; query[length] != '\0'; ++length) {
        if (at[length] != query[length]) return false;
    }
    std::size_t matched = 0;
    while (matched < length) matched += bytes.CharLength(at + matched);
    return matched == length;
}

}  // namespace

std::size_t MbcsCharLength(const char* text) noexcept { return CharLength(text); }

std::size_t MbcsFind(const char* text, const char* query) noexcept {
    if (!query || query[0] == '\0') return 0;
    if (!text) return std::string::npos;
    // Only a place that starts and ends at character boundaries counts, so
    // the search steps by characters; the first byte rules out most.
    const MbcsByteClasses& bytes = MbcsBytes();
    const char first = query[0];
    for (const char* at = text; *at != '\0'; at += bytes.CharLength(at)) {
        if (*at == first && WholeCharsMatchAt(bytes, at, query)) return static_cast<std::size_t>(at - text);
    }
    return std::string::npos;
}

bool MbcsContains(const char* text, const char* query) noexcept {
    return MbcsFind(text, query) != std::string::npos;
}

bool MbcsStartsWith(const char* text, const char* query) noexcept {
    if (!query || query[0] == '\0') return true;
    if (!text) return false;
    return WholeCharsMatchAt(MbcsBytes(), text, query);
}

int MbcsCompare(const char* a, const char* b) noexcept {
    if (!a) a = "";
    if (!b) b = "";
    for (;;) {
        if (*a == '\0' || *b == '\0') return (*a != '\0') - (*b != '\0');
        const std::size_t lengthA = CharLength(a);
        const std::size_t lengthB = CharLength(b);
        const unsigned int codeA = CharCode(a, lengthA);
        const unsigned int codeB = CharCode(b, lengthB);
        if (codeA != codeB) return codeA < codeB ? -1 : 1;
        a += lengthA;
        b += lengthB;
    }
}

std::size_t FindLastMbcsChar(const char* text, unsigned char ch) noexcept {
    if (!text) return std::string::npos;
    // Stepping by characters ourselves: the runtime's search reads a NUL
    // after a lone lead byte as a trail byte and runs past the text.
    std::size_t found = std::string::npos;
    for (std::size_t i = 0; text[i] != '\0';) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (MbcsBytes().lead[byte] && text[i + 1] != '\0') {
            i += 2;
            continue;
        }
        if (byte == ch) found = i;
        ++i;
    }
    return found;
}

}  // namespace tarnwick
