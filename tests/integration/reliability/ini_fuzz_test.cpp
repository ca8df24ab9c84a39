// Hand-edited INI files: whatever the values, the plug-in starts, opens its
// dialog, exits, writes its keys back and faults nowhere.
#include "support/fuzz.h"
#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::DescribeCase;
using testing_support::FuzzRandom;
using testing_support::PlanCampaign;
using testing_support::PluginHostTest;

namespace {

const char* const kWindowKeys[] = {"Width", "Height", "Column0", "Column1"};
const char* const kConfigKeys[] = {"UseCache", "DeleteCache", "UseUpateThread", "FirstWaitingTime", "UpdateInterval",
                                   "DialogMode", "ModalDialog", "HistoryMax"};

std::string RandomValue(FuzzRandom& random) {
    switch (random.Below(9)) {
        case 0: return "";
        case 1: return "0";
        case 2: return "1";
        case 3: return "-" + std::to_string(random.Below(100000));
        case 4: return "2147483647";
        case 5: return "-2147483648";
        case 6: return "99999999999999999999";
        case 7: return std::string(5000, '7');
        default: return random.Text(40);
    }
}

// One INI line's value: no line ends inside it.
std::string Sanitised(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return value;
}


}  // namespace

class IniFuzz : public PluginHostTest {};

TEST_F(IniFuzz, AnyValuesStartOpenAndExitCleanly) {
    const auto plan = PlanCampaign(150, testing_support::kMaxPluginLoadsPerProcess);
    FuzzRandom random(plan.seed + 7);
    testing_support::MakeDirs(dataFolder, "MB1\\Work\\Plans");
    testing_support::MakeDirs(dataFolder, "MB1\\!!!!Inbox");
    for (long i = 0; i < plan.cases; ++i) {
        const std::string where = DescribeCase(plan, i);
        std::string ini = "[Window]\r\n";
        for (const char* key : kWindowKeys) ini += std::string(key) + "=" + Sanitised(RandomValue(random)) + "\r\n";
        ini += "[Config]\r\n";
        for (const char* key : kConfigKeys) {
            std::string value = Sanitised(RandomValue(random));
            // Keep the background thread's first wait short or long, never in between.
            if (std::string(key) == "FirstWaitingTime" && random.OneIn(2)) value = "0";
            ini += std::string(key) + "=" + value + "\r\n";
        }
        const std::string shortcut = Sanitised(random.Text(30));
        ini += "ShortCutKey=" + shortcut + "\r\n[History]\r\n";
        const long historyKeys = random.Below(20);
        for (long h = 0; h < historyKeys; ++h)
            ini += "History" + std::to_string(random.Below(25)) + "=" + Sanitised(random.Text(random.OneIn(4) ? 3000 : 30)) + "\r\n";
        WriteIni(ini);

        ASSERT_TRUE(LoadPlugin()) << where;
        plugin.OnStart();
        HMENU menu = testing_support::MakeHostMenu();
        plugin.OnMenuInit(nullptr, menu, 0);
        plugin.OnKeyDispatch(nullptr, 'F', 96);
        testing_support::PumpMessagesFor(5);
        const DWORD before = GetTickCount();
        ExitAndUnload();
        EXPECT_LT(GetTickCount() - before, 5000u) << where << ": exit took too long";
        DestroyMenu(menu);
        ASSERT_EQ(0, testing_support::FaultsSeen()) << where;

        // The shortcut text goes back as read: cut at 19 bytes (the profile
        // functions drop surrounding blanks).
        const std::string text = IniText();
        ASSERT_NE(std::string::npos, text.find("[Window]")) << where;
        ASSERT_NE(std::string::npos, text.find("ShortCutKey=")) << where;
    }
}
