#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::PluginHostTest;

namespace {

constexpr char kFreshIni[] =
    "[Config]\r\n"
    "ShortCutKey=Ctrl+Shift+F\r\n"
    "[Window]\r\n"
    "Width=0\r\n"
    "Height=0\r\n"
    "Column0=0\r\n"
    "Column1=0\r\n";


}  // namespace

class SpineTest : public PluginHostTest {};

TEST_F(SpineTest, FreshInstallationWritesShortcutAndWindowKeysOnly) {
    StartPlugin();
    HMENU menu = testing_support::MakeHostMenu();
    EXPECT_EQ(0, plugin.OnMenuInit(nullptr, menu, 0));
    ExitAndUnload();
    DestroyMenu(menu);
    EXPECT_EQ(kFreshIni, IniText());
}

TEST_F(SpineTest, WithoutMenuInitTheEmptyShortcutTextIsWritten) {
    StartPlugin();
    ExitAndUnload();
    EXPECT_NE(std::string::npos, IniText().find("ShortCutKey=\r\n"));
}

TEST_F(SpineTest, LongShortcutTextIsWrittenBackAsItsFirst19Characters) {
    WriteIni("[Config]\r\nShortCutKey=Ctrl+Shift+ABCDEFGHIJKLMN\r\n");
    StartPlugin();
    HMENU menu = testing_support::MakeHostMenu();
    plugin.OnMenuInit(nullptr, menu, 0);
    ExitAndUnload();
    DestroyMenu(menu);
    EXPECT_NE(std::string::npos, IniText().find("ShortCutKey=Ctrl+Shift+ABCDEFGH\r\n")) << IniText();
}

TEST_F(SpineTest, WindowValuesAreWrittenBackAsRead) {
    WriteIni("[Window]\r\nWidth=640\r\nHeight=-12\r\nColumn0=abc\r\nColumn1=7px\r\n");
    StartPlugin();
    ExitAndUnload();
    const std::string ini = IniText();
    EXPECT_NE(std::string::npos, ini.find("Width=640\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("Height=-12\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("Column0=0\r\n")) << ini;  // not a number: 0
    EXPECT_NE(std::string::npos, ini.find("Column1=7\r\n")) << ini;  // digits up to the first other
}

TEST_F(SpineTest, ExportsAnswerAsTheHostExpects) {
    ASSERT_TRUE(LoadPlugin());
    // The do-nothing exports return 0, also before BKC_OnStart.
    const char* idle[] = {"BKC_OnOpenFolder", "BKC_OnOpenMail", "BKC_OnEveryMinute", "BKC_OnOpenCompose",
                          "BKC_OnOutgoing", "BKC_OnRetrieve", "BKC_OnSend", "BKC_OnFinishRetrieve",
                          "BKC_OnDragDrop", "BKC_OnBeforeFilter2"};
    for (const char* name : idle) {
        FARPROC address = plugin.Export(name);
        ASSERT_NE(nullptr, address) << name;
    }
    auto callFour = reinterpret_cast<int(WINAPI*)(int, int, int, int)>(
        reinterpret_cast<void*>(plugin.Export("BKC_OnDragDrop")));
    EXPECT_EQ(0, callFour(0, 0, 0, 0));
    auto callNone = reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(plugin.Export("BKC_OnEveryMinute")));
    EXPECT_EQ(0, callNone());
    // Before any menu initialisation no key opens anything.
    EXPECT_EQ(0, plugin.OnKeyDispatch(nullptr, 'F', 96));
}

TEST_F(SpineTest, MenuTypeOtherThanZeroChangesNothing) {
    StartPlugin();
    HMENU menu = testing_support::MakeHostMenu();
    plugin.OnMenuInit(nullptr, menu, 1);
    EXPECT_EQ(0, GetMenuItemCount(GetSubMenu(menu, 1)));
    EXPECT_TRUE(standin::Host().CallsTo("BKA_RegisterCommand").empty());
    ExitAndUnload();
    DestroyMenu(menu);
}

struct VersionCase {
    const char* version;
    bool loads;
};

class HostVersionTest : public PluginHostTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(HostVersionTest, HostWithSetStatusLoadsWhateverItsVersion) {
    standin::Host().version = GetParam().version;
    EXPECT_TRUE(LoadPlugin());
}

INSTANTIATE_TEST_SUITE_P(Versions, HostVersionTest,
                         ::testing::Values(VersionCase{"2.00.05", true}, VersionCase{"2.00.06", true},
                                           VersionCase{"10.00.00", true}, VersionCase{"", true}));
