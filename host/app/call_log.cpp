#include "call_log.h"

#include "common/unique_handle.h"

#include <windows.h>

#include <cstdio>

namespace standin::app {

std::string ToUtf8(const std::string& ansi) {
    if (ansi.empty()) return ansi;
    const int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (wide <= 0) return ansi;
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &text[0], wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return ansi;
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}

std::string FormatCallLog(const std::vector<HostCall>& calls) {
    std::string log;
    for (const HostCall& call : calls) {
        log += call.function + "(";
        if (!call.text.empty()) log += "\"" + ToUtf8(call.text) + "\", ";
        log += std::to_string(call.number) + ")\n";
    }
    return log;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    tarnwick::UniqueFile file(std::fopen(path.c_str(), "wb"));
    return file && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
}

}  // namespace standin::app
