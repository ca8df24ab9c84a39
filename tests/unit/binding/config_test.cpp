#include "binding/config.h"
#include "binding/plugin_paths.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        iniPath = temp.path() + "Tarnwick.ini";
        ASSERT_TRUE(tarnwick::SetIniFilePathFromModulePath((temp.path() + "Tarnwick.dll").c_str()));
        tarnwick::Config() = tarnwick::PluginConfig{};
    }
    TempDir temp;
    std::string iniPath;
};

}  // namespace

TEST_F(ConfigTest, MissingFileGivesTheDefaults) {
    tarnwick::ReadPluginConfig();
    const tarnwick::PluginConfig& c = tarnwick::Config();
    EXPECT_EQ(0, c.window.width);
    EXPECT_EQ(0, c.window.column1);
    EXPECT_EQ(0, c.useCache);
    EXPECT_EQ(0, c.deleteCache);
    EXPECT_EQ(1, c.useUpdateThread);
    EXPECT_EQ(10, c.firstWaitingTime);
    EXPECT_EQ(60, c.updateInterval);
    EXPECT_EQ(0, c.dialogMode);
    EXPECT_EQ(0, c.modalDialog);
    EXPECT_EQ(15, c.historyMax);
    EXPECT_EQ(0, c.matchWords);
    EXPECT_EQ(0, c.matchPath);
    EXPECT_EQ(0, c.rankMatches);
    EXPECT_EQ(0, c.moveKeys);
    EXPECT_EQ(0, c.instantOpen);
    EXPECT_EQ(0, c.matchFuzzy);
    EXPECT_EQ(0, c.highlightMatches);
    EXPECT_EQ(0, c.allMailboxes);
    EXPECT_EQ(0, c.recentFolders);
    EXPECT_EQ(0, c.matchMigemo);
    EXPECT_EQ("", c.migemoDll);
    EXPECT_EQ("", c.migemoDict);
}

TEST_F(ConfigTest, ReadsEveryKeyUnderItsExactName) {
    // Too long to use, but read whole: cut to MAX_PATH it could name another file.
    const std::string longPath = "D:\\" + std::string(297, 'd');
    WriteFileBytes(iniPath,
                   "[window]\r\nwidth=300\r\nHeight=200\r\nColumn0=50\r\nColumn1=60\r\n"
                   "[Config]\r\nUseCache=1\r\nDeleteCache=2\r\nUseUpateThread=0\r\nFirstWaitingTime=3\r\n"
                   "UpdateInterval=4\r\nDialogMode=5\r\nModalDialog=6\r\nHistoryMax=7\r\nInstantOpen=11\r\n"
                   "UseUpdateThread=9\r\nMatchWords=1\r\nmatchpath=8\r\nRankMatches=2x\r\nMoveKeys=-1\r\n"
                   "MatchFuzzy=3\r\nhighlightmatches=4\r\nAllMailboxes=12\r\nRecentFolders=13\r\n"
                   "MatchMigemo=14\r\nmigemodll=cmigemo\\migemo.dll\r\nMigemoDict=" +
                       longPath + "\r\n");
    tarnwick::ReadPluginConfig();
    const tarnwick::PluginConfig& c = tarnwick::Config();
    EXPECT_EQ(300, c.window.width);  // section and key names ignore case
    EXPECT_EQ(200, c.window.height);
    EXPECT_EQ(50, c.window.column0);
    EXPECT_EQ(60, c.window.column1);
    EXPECT_EQ(1, c.useCache);
    EXPECT_EQ(2, c.deleteCache);
    EXPECT_EQ(0, c.useUpdateThread);  // only the historical spelling counts
    EXPECT_EQ(3, c.firstWaitingTime);
    EXPECT_EQ(4, c.updateInterval);
    EXPECT_EQ(5, c.dialogMode);
    EXPECT_EQ(6, c.modalDialog);
    EXPECT_EQ(7, c.historyMax);
    EXPECT_EQ(1, c.matchWords);
    EXPECT_EQ(8, c.matchPath);
    EXPECT_EQ(2, c.rankMatches);
    EXPECT_EQ(-1, c.moveKeys);
    EXPECT_EQ(11, c.instantOpen);
    EXPECT_EQ(3, c.matchFuzzy);
    EXPECT_EQ(4, c.highlightMatches);
    EXPECT_EQ(12, c.allMailboxes);
    EXPECT_EQ(13, c.recentFolders);
    EXPECT_EQ(14, c.matchMigemo);
    EXPECT_EQ("cmigemo\\migemo.dll", c.migemoDll);
    EXPECT_EQ(longPath, c.migemoDict);
}

struct IntegerValueCase {
    const char* text;
    int expected;
};

class IntegerValueTest : public ConfigTest, public ::testing::WithParamInterface<IntegerValueCase> {};

TEST_P(IntegerValueTest, ReadsAsTheProfileFunctionsDo) {
    WriteFileBytes(iniPath, std::string("[Config]\r\nHistoryMax=") + GetParam().text + "\r\n");
    tarnwick::ReadPluginConfig();
    EXPECT_EQ(GetParam().expected, tarnwick::Config().historyMax) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Values, IntegerValueTest,
                         ::testing::Values(IntegerValueCase{"-5", -5}, IntegerValueCase{"abc", 0},
                                           IntegerValueCase{"12abc", 12}, IntegerValueCase{"", 15},
                                           IntegerValueCase{"2147483647", 2147483647}, IntegerValueCase{" 8", 8}));

TEST_F(ConfigTest, WindowSettingsAreWrittenAsSignedDecimals) {
    tarnwick::Config().window = tarnwick::WindowSettings{640, -1, 0, 123};
    tarnwick::WriteWindowSettings();
    EXPECT_EQ("[Window]\r\nWidth=640\r\nHeight=-1\r\nColumn0=0\r\nColumn1=123\r\n", ReadFileBytes(iniPath));
}

TEST_F(ConfigTest, LongValuesAreCutToTheBuffer) {
    WriteFileBytes(iniPath, "[History]\r\nHistory0=" + std::string(5000, 'q') + "\r\n");
    EXPECT_EQ(std::string(1023, 'q'), tarnwick::ReadIniString("History", "History0", "", 1024));
    EXPECT_EQ(std::string(19, 'q'), tarnwick::ReadIniString("History", "History0", "", 20));
}

TEST_F(ConfigTest, WithoutAnIniPathSettingsStayDefaultAndNothingIsWritten) {
    const std::string tooLong = "C:\\" + std::string(300, 'x');
    EXPECT_FALSE(tarnwick::SetIniFilePathFromModulePath(tooLong.c_str()));
    tarnwick::Config().historyMax = 99;
    tarnwick::ReadPluginConfig();
    EXPECT_EQ(15, tarnwick::Config().historyMax);
    EXPECT_EQ("Ctrl+Shift+F", tarnwick::ReadIniString("Config", "ShortCutKey", "Ctrl+Shift+F", 20));

    char windowsFolder[MAX_PATH] = "";
    GetWindowsDirectoryA(windowsFolder, sizeof(windowsFolder));
    const std::string winIni = std::string(windowsFolder) + "\\win.ini";
    const std::string before = ReadFileBytes(winIni);
    tarnwick::WriteWindowSettings();
    tarnwick::WriteIniString("Config", "ShortCutKey", "F5");
    EXPECT_EQ(before, ReadFileBytes(winIni));
}

// Exit's writes go through a batch: until it ends the INI file keeps its old
// bytes (a kill then loses nothing), and afterwards it holds exactly what
// the same writes made directly would have left, whatever a killed batch
// left beside it.
struct BatchCase {
    const char* name;
    const char* iniBefore;   // null: no INI file yet
    const char* leftCopy;    // a copy left by a killed batch; null: none
};

class IniWriteBatchTest : public ConfigTest, public ::testing::WithParamInterface<BatchCase> {};

TEST_P(IniWriteBatchTest, ReplacesTheFileOnceWithTheBytesOfDirectWrites) {
    const BatchCase& c = GetParam();
    const std::string directPath = temp.path() + "direct.ini";
    if (c.iniBefore) {
        WriteFileBytes(iniPath, c.iniBefore);
        WriteFileBytes(directPath, c.iniBefore);
    }
    if (c.leftCopy) WriteFileBytes(iniPath + ".tmp", c.leftCopy);
    const auto writeAll = [](const char* ini) {
        WritePrivateProfileStringA("Config", "ShortCutKey", "Ctrl+K", ini);
        for (const char* key : {"Width", "Height", "Column0", "Column1"}) WritePrivateProfileStringA("Window", key, "7", ini);
        WritePrivateProfileStringA("History", "History0", "neu", ini);
    };
    writeAll(directPath.c_str());
    tarnwick::Config().window = tarnwick::WindowSettings{7, 7, 7, 7};
    {
        const tarnwick::IniWriteBatch batch;
        tarnwick::WriteIniString("Config", "ShortCutKey", "Ctrl+K");
        tarnwick::WriteWindowSettings();
        EXPECT_EQ("Ctrl+K", tarnwick::ReadIniString("Config", "ShortCutKey", "", 20)) << "reads see the batch";
        tarnwick::WriteIniString("History", "History0", "neu");
        EXPECT_EQ(c.iniBefore ? c.iniBefore : "", ReadFileBytes(iniPath)) << c.name << ": written before the end";
        EXPECT_EQ(c.iniBefore != nullptr, testing_support::FileExists(iniPath)) << c.name;
    }
    EXPECT_EQ(ReadFileBytes(directPath), ReadFileBytes(iniPath)) << c.name;
    EXPECT_FALSE(testing_support::FileExists(iniPath + ".tmp")) << c.name;
    EXPECT_EQ("7", tarnwick::ReadIniString("Window", "Column1", "", 20)) << c.name << ": read after the batch";
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniWriteBatchTest,
    ::testing::Values(
        BatchCase{"user's file", "; mine\r\n[Config]\r\nUseCache=1\r\n[Window]\r\nWidth=300\r\n[History]\r\nHistory3=x\r\n",
                  nullptr},
        BatchCase{"a killed batch's copy beside it", "[Config]\r\nShortCutKey=F5\r\n", "[Conf"},
        BatchCase{"no file yet", nullptr, nullptr}));
