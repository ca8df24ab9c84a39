#include "binding/plugin_paths.h"

#include <gtest/gtest.h>

#include <string>

using tarnwick::IniFilePath;
using tarnwick::SetIniFilePathFromModulePath;

struct IniPathCase {
    const char* modulePath;
    const char* expected;
};

class IniPathTest : public ::testing::TestWithParam<IniPathCase> {};

TEST_P(IniPathTest, ReplacesFromTheLastDot) {
    const IniPathCase& c = GetParam();
    EXPECT_TRUE(SetIniFilePathFromModulePath(c.modulePath));
    EXPECT_STREQ(c.expected, IniFilePath());
}

INSTANTIATE_TEST_SUITE_P(
    ModulePaths, IniPathTest,
    ::testing::Values(
        IniPathCase{"C:\\Becky\\PlugIns\\Tarnwick.dll", "C:\\Becky\\PlugIns\\Tarnwick.ini"},
        // The last dot lies in a directory name: the path is cut there.
        IniPathCase{"C:\\Becky.2\\PlugIns\\Tarnwick", "C:\\Becky.ini"},
        IniPathCase{"C:\\Becky\\PlugIns\\Tarnwick", "C:\\Becky\\PlugIns\\Tarnwick.ini"},
        // 0x81 0x2E would look like a dot to a byte-wise search; it is one
        // double-byte character in code page 932.
        IniPathCase{"C:\\\x83\x65\x83\x58\x83\x67\\Tarnwick", "C:\\\x83\x65\x83\x58\x83\x67\\Tarnwick.ini"},
        IniPathCase{"C:\\a\x81.b\\Tarnwick", "C:\\a\x81.b\\Tarnwick.ini"}));

TEST(IniPath, RunsUnderCodePage932) { EXPECT_EQ(932u, GetACP()); }

TEST(IniPath, PathWithoutRoomForTheExtensionKeepsNoIniFile) {
    // 257 bytes without a dot: ".ini" would need 262 bytes with the terminator.
    const std::string longPath = "C:\\" + std::string(254, 'a');
    EXPECT_FALSE(SetIniFilePathFromModulePath(longPath.c_str()));
    EXPECT_STREQ("", IniFilePath());

    // 255 bytes and no dot: 259 with ".ini", which still fits.
    const std::string fits = "C:\\" + std::string(252, 'a');
    EXPECT_TRUE(SetIniFilePathFromModulePath(fits.c_str()));
    EXPECT_EQ(fits + ".ini", IniFilePath());
}

TEST(IniPath, LongPathWithShortExtensionFits) {
    // A dot near the end: replacing ".d" by ".ini" grows the path by two.
    const std::string path = "C:\\" + std::string(251, 'b') + ".d";  // 256 bytes
    EXPECT_TRUE(SetIniFilePathFromModulePath(path.c_str()));
    EXPECT_EQ("C:\\" + std::string(251, 'b') + ".ini", IniFilePath());
    const std::string tooLong = "C:\\" + std::string(253, 'b') + ".d";  // 258 bytes
    EXPECT_FALSE(SetIniFilePathFromModulePath(tooLong.c_str()));
}
