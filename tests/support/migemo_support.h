#pragma once
// The test builds of migemo.dll (tests/migemo_dll/), the dictionaries the
// tests use, and what shows whether a library or a thread is left behind.

#include "search/migemo_syntax.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <windows.h>

#include <string>

namespace migemo_testing {

// ${CMAKE_BINARY_DIR}/migemo/VARIANT/migemo.dll, beside the test's bin
// folder (or the folder the 32-bit lane copies it into).
inline std::string TestDll(const std::string& variant) {
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof(exe));
    std::string folder(exe);
    folder.erase(folder.find_last_of('\\'));                  // bin
    folder.erase(folder.find_last_of('\\') + 1);              // the build tree
    return folder + "migemo\\" + variant + "\\migemo.dll";
}

// The variants this process can load, and one of the other architecture.
inline const char* const kOwnVariants[] = {
#if defined(_WIN64)
    "x86-64",
#else
    "i686-cdecl",
    "i686-stdcall",
#endif
};
#if defined(_WIN64)
constexpr char kOtherArchitecture[] = "i686-stdcall";
#else
constexpr char kOtherArchitecture[] = "x86-64";
#endif

// cmigemo-common's dictionary (3.5 MB, scripts/setup.sh installs it), which
// takes a while to load, with its tables beside it.
constexpr char kRealDictionary[] = "Z:\\usr\\share\\cmigemo\\cp932\\migemo-dict";

// A migemo-dict with its conversion tables, in CP932 as C/Migemo reads them.
inline void WriteTestDictionary(const std::string& folder) {
    testing_support::WriteFileBytes(folder + "migemo-dict",
                                    "; the test's dictionary\n"
                                    "じゅしん\t受信\t受診\n"
                                    "そうしん\t送信\n");
    testing_support::WriteFileBytes(folder + "roma2hira.dat",
                                    "ju\tじゅ\nshi\tし\nso\tそ\nu\tう\nxn\tん\n"
                                    "na\tな\nni\tに\nnu\tぬ\nne\tね\nno\tの\n");
    testing_support::WriteFileBytes(folder + "hira2kata.dat",
                                    "じ\tジ\nゅ\tュ\nし\tシ\nん\tン\nな\tナ\nに\tニ\nぬ\tヌ\nね\tネ\nの\tノ\n");
}

// What the test dictionary expands "jushin" into, with the plug-in's
// operators: the query, its hiragana and katakana readings with each
// possible last syllable, and the words of the reading じゅしん.
inline std::string JushinPattern() {
    constexpr char kIn = tarnwick::kMigemoNestIn, kOr = tarnwick::kMigemoOr, kOut = tarnwick::kMigemoNestOut,
                   kSetIn = tarnwick::kMigemoSelectIn, kSetOut = tarnwick::kMigemoSelectOut;
    return std::string() + kIn + "受" + kSetIn + "診信" + kSetOut + kOr + "ジュシ" + kSetIn + "ンノネヌニナ" + kSetOut +
           kOr + "じゅし" + kSetIn + "んのねぬにな" + kSetOut + kOr + "jushin" + kOut;
}

// The threads of this process.
inline int CountOwnThreads() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

inline bool Loaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

// C/Migemo as users install it for the plug-in: a migemo.dll (the test build
// variant) in pluginFolder, the test dictionary in its dict\cp932\.
inline bool InstallBeside(const std::string& pluginFolder, const std::string& variant) {
    WriteTestDictionary(testing_support::MakeDirs(pluginFolder, "dict\\cp932"));
    return CopyFileA(TestDll(variant).c_str(), (pluginFolder + "migemo.dll").c_str(), FALSE) != FALSE;
}

inline std::string VariantName(const ::testing::TestParamInfo<const char*>& info) {
    std::string name = info.param;
    for (char& c : name) {
        if (c == '-') c = '_';
    }
    return name;
}

}  // namespace migemo_testing
