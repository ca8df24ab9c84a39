#include "search/migemo_paths.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

constexpr char kPlugins[] = "C:\\B2\\PlugIns";

struct PathsCase {
    const char* name;
    std::string libraryKey;
    std::string dictionaryKey;
    std::set<std::string> files;  // the regular files that exist
    // Empty: nothing (the key acts as 0).
    std::string library;
    std::string dictionary;
};

class MigemoPaths : public ::testing::TestWithParam<PathsCase> {};

TEST_P(MigemoPaths, ResolveAgainstThePluginFolder) {
    const PathsCase& c = GetParam();
    const auto exists = [&c](const std::string& path) { return c.files.count(path) != 0; };
    const std::optional<tarnwick::MigemoPaths> paths =
        tarnwick::ResolveMigemoPaths(kPlugins, c.libraryKey, c.dictionaryKey, exists);
    if (c.library.empty()) {
        EXPECT_FALSE(paths) << paths->library << " | " << paths->dictionary;
        return;
    }
    ASSERT_TRUE(paths);
    EXPECT_EQ(c.library, paths->library);
    EXPECT_EQ(c.dictionary, paths->dictionary);
}

const std::string kDll = std::string(kPlugins) + "\\migemo.dll";
const std::string kCp932Dict = std::string(kPlugins) + "\\dict\\cp932\\migemo-dict";
const std::string kPlainDict = std::string(kPlugins) + "\\dict\\migemo-dict";

// A folder of exactly `length` bytes.
std::string FolderOfLength(std::size_t length) { return "C:\\" + std::string(length - 3, 'a'); }

const PathsCase kCases[] = {
    {"Defaults", "", "", {kDll, kCp932Dict}, kDll, kCp932Dict},
    {"DefaultDictionaryWithoutCodePageFolder", "", "", {kDll, kPlainDict}, kDll, kPlainDict},
    {"DefaultDictionaryCodePageFolderFirst", "", "", {kDll, kPlainDict, kCp932Dict}, kDll, kCp932Dict},
    {"NoDictionary", "", "", {kDll}, "", ""},
    {"NoLibrary", "", "", {kCp932Dict}, "", ""},
    {"RelativeLibraryWithItsDictionary",
     "cmigemo\\migemo.dll",
     "",
     {"C:\\B2\\PlugIns\\cmigemo\\migemo.dll", "C:\\B2\\PlugIns\\cmigemo\\dict\\cp932\\migemo-dict", kCp932Dict},
     "C:\\B2\\PlugIns\\cmigemo\\migemo.dll",
     "C:\\B2\\PlugIns\\cmigemo\\dict\\cp932\\migemo-dict"},
    {"AbsoluteLibrary",
     "D:\\tools\\migemo.dll",
     "",
     {"D:\\tools\\migemo.dll", "D:\\tools\\dict\\migemo-dict"},
     "D:\\tools\\migemo.dll",
     "D:\\tools\\dict\\migemo-dict"},
    // LoadLibraryEx looks for a DLL's dependencies in its folder only on a
    // path with backslashes.
    {"ForwardSlashes",
     "D:/tools/migemo.dll",
     "../dicts/migemo-dict",
     {"D:\\tools\\migemo.dll", "C:\\B2\\PlugIns\\..\\dicts\\migemo-dict"},
     "D:\\tools\\migemo.dll",
     "C:\\B2\\PlugIns\\..\\dicts\\migemo-dict"},
    {"UncLibrary",
     "\\\\server\\share\\migemo.dll",
     "",
     {"\\\\server\\share\\migemo.dll", "\\\\server\\share\\dict\\cp932\\migemo-dict"},
     "\\\\server\\share\\migemo.dll",
     "\\\\server\\share\\dict\\cp932\\migemo-dict"},
    // Relative to whatever drive or folder is current: refused.
    {"RootOfTheCurrentDrive",
     "\\tools\\migemo.dll",
     "",
     {"\\tools\\migemo.dll", "C:\\B2\\PlugIns\\\\tools\\migemo.dll", "\\tools\\dict\\cp932\\migemo-dict"},
     "",
     ""},
    {"DriveRelative", "D:migemo.dll", "", {"D:migemo.dll", "D:dict\\cp932\\migemo-dict"}, "", ""},
    {"DriveRelativeDictionary", "", "D:migemo-dict", {kDll, "D:migemo-dict"}, "", ""},
    // A dictionary key is relative to the plug-in's folder, not the library's.
    {"RelativeDictionary",
     "D:\\tools\\migemo.dll",
     "dicts\\migemo-dict",
     {"D:\\tools\\migemo.dll", "C:\\B2\\PlugIns\\dicts\\migemo-dict", "D:\\tools\\dicts\\migemo-dict"},
     "D:\\tools\\migemo.dll",
     "C:\\B2\\PlugIns\\dicts\\migemo-dict"},
    {"AbsoluteDictionary", "", "E:\\migemo\\utf-8\\migemo-dict", {kDll, "E:\\migemo\\utf-8\\migemo-dict"}, kDll,
     "E:\\migemo\\utf-8\\migemo-dict"},
    {"GivenDictionaryMissing", "", "E:\\migemo-dict", {kDll, kCp932Dict}, "", ""},
    // 表 ends in the byte of '\': the library's folder is not cut there.
    {"TrailByteInTheLibraryName",
     "表.dll",
     "",
     {"C:\\B2\\PlugIns\\表.dll", kCp932Dict},
     "C:\\B2\\PlugIns\\表.dll",
     kCp932Dict},
    // MAX_PATH bounds the library's path.
    {"LibraryPathOf259Bytes",
     FolderOfLength(259 - 11) + "\\migemo.dll",
     "E:\\migemo-dict",
     {FolderOfLength(259 - 11) + "\\migemo.dll", "E:\\migemo-dict"},
     FolderOfLength(259 - 11) + "\\migemo.dll",
     "E:\\migemo-dict"},
    {"LibraryPathOf260Bytes",
     FolderOfLength(260 - 11) + "\\migemo.dll",
     "E:\\migemo-dict",
     {FolderOfLength(260 - 11) + "\\migemo.dll", "E:\\migemo-dict"},
     "",
     ""},
    // C/Migemo joins the dictionary's folder, '/' and "roma2hira.dat" in a
    // buffer of MAX_PATH bytes.
    {"DictionaryFolderOf245Bytes",
     "",
     FolderOfLength(245) + "\\migemo-dict",
     {kDll, FolderOfLength(245) + "\\migemo-dict"},
     kDll,
     FolderOfLength(245) + "\\migemo-dict"},
    {"DictionaryFolderOf246Bytes", "", FolderOfLength(246) + "\\migemo-dict", {kDll, FolderOfLength(246) + "\\migemo-dict"},
     "", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, MigemoPaths, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PathsCase>& info) { return info.param.name; });

}  // namespace
