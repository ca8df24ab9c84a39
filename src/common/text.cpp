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

void UpperCaseMbcsInPlace(char* buffer, std::size_t bufferSize) noexcept {
    if (!buffer || bufferSize == 0) return;
    if (_mbsupr_s(reinterpret_cast<unsigned char*>(buffer), bufferSize) != 0) buffer[0] = '\0';
}

std::string UpperCaseMbcs(const std::string& text) {
    if (text.empty()) return text;
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    UpperCaseMbcsInPlace(buffer.data(), buffer.size());
    return std::string(buffer.data());
}

std::size_t FindLastMbcsChar(const char* text, unsigned char ch) noexcept {
    if (!text) return std::string::npos;
    // Stepping by characters ourselves: the runtime's search reads a NUL
    // after a lone lead byte as a trail byte and runs past the text.
    std::size_t found = std::string::npos;
    for (std::size_t i = 0; text[i] != '\0';) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (_ismbblead(byte) && text[i + 1] != '\0') {
            i += 2;
            continue;
        }
        if (byte == ch) found = i;
        ++i;
    }
    return found;
}

}  // namespace tarnwick
