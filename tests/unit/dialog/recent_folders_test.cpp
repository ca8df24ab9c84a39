// "RecentFolders": what is remembered (order, duplicates, the cut at N, IDs
// the catalogue does not hold), the rows of an empty query, and the bytes
// written at exit.
#include "dialog_fixture.h"

#include "search/recent_folders.h"

namespace dialog_test {
namespace {

using NameList = std::vector<std::string>;

struct RecentCase {
    const char* name;
    std::string ini;
    NameList rowsAtOpening;
    NameList chosen;  // by name, each chosen with Enter's function
    NameList rowsOfAnEmptyBox;
    std::string iniAfterExit;
};

const char kRecentIni[] = "[Config]\r\nRecentFolders=3\r\n[Recent]\r\nRecent0=MB1\\Gone\\\r\nRecent1=MB1\\Planb\\\r\n";
const NameList kCatalogueOrder{"受信箱", "Work", "Plans", "plan b", "Planb", "Archive"};

class RecentFoldersTest : public SearchDialogTest, public ::testing::WithParamInterface<RecentCase> {
protected:
    int RowNamed(const std::string& name) const {
        const NameList names = Names();
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == name) return static_cast<int>(i);
        }
        return -1;
    }
    void EmptyTheBox() const {
        SetWindowTextA(Box(), "");
        SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Box()));
    }
};

}  // namespace

TEST_P(RecentFoldersTest, ComeFirstInAnEmptyQueryAndAreWrittenAtExit) {
    const RecentCase& c = GetParam();
    UseIni(c.ini);
    Open();
    EXPECT_EQ(c.rowsAtOpening, Names());
    for (const std::string& name : c.chosen) {
        const int row = RowNamed(name);
        ASSERT_NE(-1, row) << name;
        tarnwick::OpenFolderOfRow(row, List());
        // The rows stand for their folders in the new order too.
        ASSERT_FALSE(standin::Host().CallsTo("BKA_SetCurrentFolder").empty());
        EXPECT_EQ(tarnwick::RecordOfRow(List(), row)->folderId,
                  standin::Host().CallsTo("BKA_SetCurrentFolder").back().text);
        EXPECT_EQ(name, tarnwick::RecordOfRow(List(), row)->name);
    }
    EXPECT_TRUE(standin::Host().CallsTo("BKA_SetCurrentMailBox").empty()) << "no switch without AllMailboxes";
    EmptyTheBox();
    EXPECT_EQ(c.rowsOfAnEmptyBox, Names());
    tarnwick::SaveRecentFolders();
    EXPECT_EQ(c.iniAfterExit, testing_support::ReadFileBytes(iniPath));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecentFoldersTest,
    ::testing::Values(
        // An ID the catalogue does not hold is kept but not shown; a folder
        // chosen again moves to the front once; the oldest falls off at N.
        RecentCase{"MostRecentFirstOnceCutAtN", kRecentIni,
                   {"Planb", "受信箱", "Work", "Plans", "plan b", "Archive"},
                   {"Archive", "Plans", "Archive"},
                   {"Archive", "Plans", "受信箱", "Work", "plan b", "Planb"},
                   "[Config]\r\nRecentFolders=3\r\n[Recent]\r\nRecent0=MB1\\Archive\\\r\nRecent1=MB1\\Work/Plans\\\r\n"
                   "Recent2=MB1\\Gone\\\r\n"},
        // Loading skips empty and repeated entries and reads no more than N.
        RecentCase{"LoadSkipsEmptyAndRepeatedKeys",
                   "[Config]\r\nRecentFolders=2\r\n[Recent]\r\nRecent0=MB1\\Work\\\r\nRecent1=\r\nRecent2=MB1\\Work\\\r\n"
                   "Recent3=MB1\\Archive\\\r\n",
                   {"Work", "受信箱", "Plans", "plan b", "Planb", "Archive"},
                   {"Planb"},
                   {"Planb", "Work", "受信箱", "Plans", "plan b", "Archive"},
                   "[Config]\r\nRecentFolders=2\r\n[Recent]\r\nRecent0=MB1\\Planb\\\r\nRecent1=MB1\\Work\\\r\n"
                   "Recent2=MB1\\Work\\\r\nRecent3=MB1\\Archive\\\r\n"},
        RecentCase{"HugeValueActsAsFifty", "[Config]\r\nRecentFolders=2147483647\r\n", kCatalogueOrder,
                   {"Archive", "Work"}, {"Work", "Archive", "受信箱", "Plans", "plan b", "Planb"},
                   "[Config]\r\nRecentFolders=2147483647\r\n[Recent]\r\nRecent0=MB1\\Work\\\r\nRecent1=MB1\\Archive\\\r\n"},
        // Off: catalogue order, nothing written, the section left alone.
        RecentCase{"AbsentKeyChangesNothing", "[Recent]\r\nRecent0=MB1\\Planb\\\r\n", kCatalogueOrder,
                   {"Archive"}, kCatalogueOrder, "[Recent]\r\nRecent0=MB1\\Planb\\\r\n"},
        RecentCase{"NegativeActsAsZero", "[Config]\r\nRecentFolders=-4\r\n[Recent]\r\nRecent0=MB1\\Planb\\\r\n",
                   kCatalogueOrder, {"Archive"}, kCatalogueOrder,
                   "[Config]\r\nRecentFolders=-4\r\n[Recent]\r\nRecent0=MB1\\Planb\\\r\n"}),
    [](const ::testing::TestParamInfo<RecentCase>& info) { return std::string(info.param.name); });

// In both list modes: a drop and Alt+M count as uses; a query is not empty and keeps catalogue
// order unless ranked, where the recent folders lead each group; the third
// header click comes back to that order.
TEST_P(ListModeTest, RecentFoldersLeadEachRankGroupAndComeBackAfterTheThirdClick) {
    UseIni("[Config]\r\nRecentFolders=5\r\nMoveKeys=1\r\n");
    Open();
    tarnwick::RecordQueryAfterDrop(List(), "MB1\\Planb\\");
    tarnwick::RecordQueryAfterDrop(List(), "MB1\\Work/plan b\\");
    EXPECT_EQ((std::vector<std::string>{"MB1\\Work/plan b\\", "MB1\\Planb\\"}), tarnwick::RecentFolderIds());
    Type("pl");
    EXPECT_EQ((NameList{"Plans", "plan b", "Planb"}), Names()) << "an unranked query keeps catalogue order";
    tarnwick::Config().rankMatches = 1;
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Box()));
    EXPECT_EQ((NameList{"plan b", "Planb", "Plans"}), Names());
    ClickHeader(0);
    ClickHeader(0);
    ClickHeader(0);
    EXPECT_EQ((NameList{"plan b", "Planb", "Plans"}), Names());
    EXPECT_EQ((std::vector<LPARAM>{3, 4, 2}), ItemData());
    SelectRow(2);
    PressAltKey('M');
    ASSERT_EQ(1u, standin::Host().CallsTo("BKA_MoveSelectedMessages").size());
    EXPECT_EQ("MB1\\Work/Plans\\", standin::Host().CallsTo("BKA_MoveSelectedMessages")[0].text);
    EXPECT_EQ((std::vector<std::string>{"MB1\\Work/Plans\\", "MB1\\Work/plan b\\", "MB1\\Planb\\"}),
              tarnwick::RecentFolderIds());
}

}  // namespace dialog_test
