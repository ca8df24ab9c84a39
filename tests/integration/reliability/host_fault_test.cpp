// A host that answers badly: null, empty or over-long texts, slow answers,
// no window handles. The plug-in keeps working and faults nowhere.
#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using testing_support::PluginHostTest;

namespace {

struct HostFaultCase {
    const char* name;
    standin::TextFault textFault;
    DWORD delayMilliseconds;
    bool nullWindowHandles;
    int expectedRows;  // Work, Plans and the inbox when the data folder is usable
};

void PrintTo(const HostFaultCase& c, std::ostream* out) { *out << c.name; }


}  // namespace

class HostFaultTest : public PluginHostTest, public ::testing::WithParamInterface<HostFaultCase> {};

TEST_P(HostFaultTest, PluginKeepsWorking) {
    const HostFaultCase& c = GetParam();
    testing_support::MakeDirs(dataFolder, "MB1\\Work\\Plans");
    testing_support::MakeDirs(dataFolder, "MB1\\!!!!Inbox");
    WriteIni("[Config]\r\nUseUpateThread=1\r\nFirstWaitingTime=0\r\nUpdateInterval=0\r\nUseCache=1\r\nDeleteCache=1\r\n");
    standin::HostModel& host = standin::Host();
    host.textFault = c.textFault;
    host.delayMilliseconds = c.delayMilliseconds;
    host.nullWindowHandles = c.nullWindowHandles;

    ASSERT_TRUE(LoadPlugin());
    plugin.OnStart();
    HMENU menu = testing_support::MakeHostMenu();
    plugin.OnMenuInit(nullptr, menu, 0);
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(1, plugin.OnKeyDispatch(nullptr, 'F', 96)) << c.name;
        testing_support::PumpMessagesFor(50);
        HWND dialog = testing_support::FindThreadWindow("\x83\x74\x83\x48\x83\x8B\x83\x5F\x8C\x9F\x8D\xF5");
        ASSERT_NE(nullptr, dialog) << c.name << " round " << round;
        EXPECT_EQ(c.expectedRows, testing_support::ListViewRows(GetDlgItem(dialog, 1002)).size())
            << c.name << " round " << round;
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        testing_support::PumpMessagesFor(20);
    }
    ExitAndUnload();
    DestroyMenu(menu);
    EXPECT_EQ(0, testing_support::FaultsSeen()) << c.name;
    EXPECT_NE(std::string::npos, IniText().find("ShortCutKey=Ctrl+Shift+F")) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, HostFaultTest,
    ::testing::Values(HostFaultCase{"null texts", standin::TextFault::Null, 0, false, 0},
                      HostFaultCase{"empty texts", standin::TextFault::Empty, 0, false, 0},
                      // The data folder becomes too long to open, or relative.
                      HostFaultCase{"long texts", standin::TextFault::Long, 0, false, 0},
                      HostFaultCase{"one byte texts", standin::TextFault::OneByte, 0, false, 0},
                      HostFaultCase{"no trailing separators", standin::TextFault::NoTrailingSeparator, 0, false, 3},
                      HostFaultCase{"display names without slash", standin::TextFault::NoSlash, 0, false, 3},
                      HostFaultCase{"slow host", standin::TextFault::None, 2, false, 3},
                      HostFaultCase{"no window handles", standin::TextFault::None, 0, true, 3}),
    [](const ::testing::TestParamInfo<HostFaultCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            if (ch == ' ') ch = '_';
        }
        return name;
    });
