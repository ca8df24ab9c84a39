// Hand-edited or corrupt "Folder.lst" files: random bytes, NULs, mixed line
// ends, lines of up to 5,000 bytes, lone lead bytes, ".", "..", file names,
// ancestors and deep chains. Each case builds, opens and filters the dialog
// and exits with "DeleteCache" 1: no fault, bounded time, and no list file
// the plug-in wrote is left behind.
#include "support/fuzz.h"
#include "support/plugin_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using testing_support::DescribeCase;
using testing_support::FuzzRandom;
using testing_support::PlanCampaign;
using testing_support::PluginHostTest;

namespace {

constexpr char kCaption[] = "フォルダ検索";
constexpr char kSoft[] = "\x83\x5C\x83\x74\x83\x67";  // a name whose first trail byte is '\'

// Directories relative to the data folder, each ending in '\'.
const char* const kDirectories[] = {"MB1\\",        "MB1\\Work\\",      "MB1\\Work\\Plans\\", "MB1\\Work\\Plans\\Old\\",
                                    "MB1\\Misc\\",  "MB1\\!!!!Inbox\\", "MB1\\!Trash\\",      "MB1\\#Hidden\\"};

std::string RandomLine(FuzzRandom& random) {
    switch (random.Below(16)) {
        case 0: return "";
        case 1: return ".";
        case 2: return "..";
        case 3: return "..\\MB1";
        case 4: return "..\\..\\plugin";
        case 5: return "note.eml";
        case 6: return "Work\\Plans";
        case 7: return std::string("Work") + "\x83";
        case 8: return std::string(random.Below(5001), 'x');
        case 9: return random.Text(5000);
        case 10: {
            std::string chain;
            const std::uint32_t depth = 1 + random.Below(80);
            for (std::uint32_t i = 0; i < depth; ++i) chain += i % 2 ? "Plans\\" : "Work\\";
            chain.pop_back();
            return chain;
        }
        case 11: return kSoft;
        case 12: return "\\";
        case 13: return "!!!!Inbox";
        case 14: return "Misc";
        default: return random.Text(40);
    }
}

std::string RandomListFile(FuzzRandom& random) {
    if (random.OneIn(4)) return random.Bytes(random.Below(3000), true);
    static const char* const kLineEnds[] = {"\r\n", "\n", "\r", "\r\r\n", "\n\r"};
    std::string content;
    const std::uint32_t lines = random.Below(30);
    for (std::uint32_t i = 0; i < lines; ++i) {
        content += RandomLine(random);
        if (i + 1 < lines || random.OneIn(2)) content += kLineEnds[random.Below(5)];
    }
    if (random.OneIn(10)) content += '\x1A' + random.Bytes(20, true);
    if (random.OneIn(10)) content.insert(random.Below(static_cast<std::uint32_t>(content.size() + 1)), 1, '\0');
    return content;
}

// Every "Folder.lst" below folder (paths relative to it).
std::set<std::string> ListFilesBelow(const std::string& folder) {
    std::set<std::string> found;
    for (const testing_support::TreeEntry& entry : testing_support::ListTree(folder)) {
        const std::string& path = entry.relative;
        const std::size_t nameStart = path.rfind('\\') == std::string::npos ? 0 : path.rfind('\\') + 1;
        if (path.compare(nameStart, std::string::npos, "Folder.lst") == 0) found.insert(path);
    }
    return found;
}

}  // namespace

class FolderListFuzz : public PluginHostTest {
protected:
    HWND Dialog() const { return testing_support::FindThreadWindow(kCaption); }

    void MakeMailbox() {
        testing_support::RemoveTree(dataFolder + "MB1\\");
        for (const char* directory : kDirectories) testing_support::MakeDirs(dataFolder, directory);
        testing_support::MakeDirs(dataFolder, std::string("MB1\\") + kSoft);
        testing_support::WriteFileBytes(dataFolder + "MB1\\note.eml", "Subject: x\r\n\r\n");
    }
};

TEST_F(FolderListFuzz, AnyListFilesBuildOpenFilterAndExitCleanly) {
    const auto plan = PlanCampaign(40, testing_support::kMaxPluginLoadsPerProcess);
    FuzzRandom random(plan.seed + 3);
    long rowsSeen = 0;
    for (long i = 0; i < plan.cases; ++i) {
        const std::string where = DescribeCase(plan, i);
        MakeMailbox();
        std::set<std::string> placed;
        for (const char* directory : kDirectories) {
            if (!random.OneIn(2)) continue;
            testing_support::WriteFileBytes(dataFolder + directory + "Folder.lst", RandomListFile(random));
            placed.insert(std::string(directory) + "Folder.lst");
        }
        const bool thread = random.OneIn(2);
        WriteIni(std::string("[Config]\r\nUseCache=") + (random.OneIn(2) ? "1" : "0") +
                 "\r\nDeleteCache=1\r\nUseUpateThread=" + (thread ? "1" : "0") +
                 "\r\nFirstWaitingTime=0\r\nUpdateInterval=0\r\n");

        const DWORD start = GetTickCount();
        ASSERT_TRUE(LoadPlugin()) << where;
        plugin.OnStart();
        HMENU menu = testing_support::MakeHostMenu();
        plugin.OnMenuInit(nullptr, menu, 0);
        ASSERT_EQ(1, plugin.OnKeyDispatch(nullptr, 'F', 96)) << where;
        ASSERT_TRUE(testing_support::PumpUntil([&] { return Dialog() && IsWindowVisible(Dialog()); }, 20000))
            << where << ": the dialog did not show";
        HWND dialog = Dialog();
        HWND list = GetDlgItem(dialog, 1002);
        rowsSeen += static_cast<long>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (char c : std::string(random.OneIn(2) ? "o" : "\x83\x5C")) {
            PostMessageA(GetFocus(), WM_CHAR, static_cast<unsigned char>(c), 1);
        }
        testing_support::PumpMessagesFor(20);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        testing_support::PumpMessagesFor(10);

        const DWORD exitStart = GetTickCount();
        plugin.OnExit();
        EXPECT_LT(GetTickCount() - exitStart, 6000u) << where << ": exit took too long";
        plugin.Unload();
        DestroyMenu(menu);
        EXPECT_LT(GetTickCount() - start, 30000u) << where << ": the case took too long";
        ASSERT_TRUE(testing_support::PumpUntil([&] { return !GetModuleHandleA(dllPath.c_str()); }, 10000)) << where;
        ASSERT_EQ(0, testing_support::FaultsSeen()) << where;

        // What is left is what the test wrote and the deletion did not reach.
        const std::set<std::string> left = ListFilesBelow(dataFolder);
        for (const std::string& file : left) {
            EXPECT_EQ(1u, placed.count(file)) << where << ": the plug-in left " << file;
        }
        EXPECT_EQ(0u, left.count("MB1\\Folder.lst")) << where;
        EXPECT_TRUE(ListFilesBelow(pluginFolder).empty()) << where << ": a list file was written beside the plug-in";
        if (HasFailure()) break;
    }
    EXPECT_GT(rowsSeen, 0);
}
