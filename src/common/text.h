#pragma once
// ANSI (process code page) text helpers. All text of the plug-in is bytes in
// the system's multibyte code page; these never index into the middle of a
// double-byte character and never write past a fixed buffer.

#include <cstddef>
#include <string>

namespace tarnwick {

// A host or system text that may be null, as a string (null gives empty).
inline std::string TextOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

// Copies src into dst[dstSize], cutting it to dstSize - 1 bytes; always
// terminates (when dstSize > 0). Returns the number of bytes copied.
std::size_t CopyTruncated(char* dst, std::size_t dstSize, const char* src) noexcept;

// Code-page-aware upper-casing as the C runtime's _mbsupr_s does it; a text
// the runtime cannot map becomes empty.
std::string UpperCaseMbcs(const std::string& text);

// Upper-cases a NUL-terminated buffer of bufferSize bytes in place; on a
// runtime failure the buffer becomes empty.
void UpperCaseMbcsInPlace(char* buffer, std::size_t bufferSize) noexcept;

// Byte offset of the last occurrence of the single-byte character ch,
// scanning by characters so a trail byte never matches; npos when absent.
std::size_t FindLastMbcsChar(const char* text, unsigned char ch) noexcept;

// The runtime's multibyte functions read the terminator after a lone lead
// byte as its trail byte and go on past the text. Texts from list files and
// the host may end so; these treat such a byte as a character of its own.

// The byte length of text without a lone lead byte at its end (where the
// runtime's stepping would take the terminator for a trail byte).
std::size_t WellFormedMbcsLength(const std::string& text) noexcept;
// text without a lone lead byte at its end.
std::string WithoutLoneLeadByte(const std::string& text);

// The runtime's lead and trail bytes, looked up once: the filter steps
// through every key at each keystroke, and a runtime call per byte costs
// more than the filter itself.
struct MbcsByteClasses {
    bool lead[256];
    bool trail[256];  // never the terminator

    // As MbcsCharLength.
    std::size_t CharLength(const char* text) const noexcept {
        return lead[static_cast<unsigned char>(text[0])] && trail[static_cast<unsigned char>(text[1])] ? 2 : 1;
    }
};
const MbcsByteClasses& MbcsBytes() noexcept;

// The byte length (1 or 2) of the character at text, stepping as all of
// these functions do: a lead byte before a byte that cannot be a trail byte
// (the terminator, a space, ...) is a character of its own.
std::size_t MbcsCharLength(const char* text) noexcept;

// Whether query occurs in text starting at a character boundary, as the
// runtime's code-page-aware substring search defines it; an empty query
// occurs in every text.
bool MbcsContains(const char* text, const char* query) noexcept;

// The byte offset of the first such occurrence; npos when there is none
// (an empty query occurs at 0).
std::size_t MbcsFind(const char* text, const char* query) noexcept;

// Whether text begins with query, the match ending at a character boundary
// of text; an empty query begins every text.
bool MbcsStartsWith(const char* text, const char* query) noexcept;

// Character-by-character comparison by character code, a double-byte
// character counting as its 16-bit value with the lead byte high; a prefix
// sorts first. Negative, zero or positive.
int MbcsCompare(const char* a, const char* b) noexcept;

}  // namespace tarnwick
