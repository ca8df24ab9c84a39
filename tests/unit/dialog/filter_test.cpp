// The incremental filter and the column sort, driven by keys and clicks.
#include "dialog_fixture.h"

#include "dialog/match.h"

#include <commctrl.h>

namespace dialog_test {

using NameList = std::vector<std::string>;

TEST_P(ListModeTest, TypingNarrowsCaseInsensitivelyOnTheNameOnly) {
    NextCatalogue().push_back(Folder("Notes", "Work/Notes"));
    Open();
    Type("wor");
    EXPECT_EQ(NameList{"Work"}, Names());  // not "Plans" or "Notes", whose parent is Work
    EXPECT_EQ(std::vector<LPARAM>{1}, ItemData());
    PressKey(VK_BACK);
    PressKey(VK_BACK);
    PressKey(VK_BACK);
    Type("PL");
    EXPECT_EQ((NameList{"Plans", "plan b", "Planb"}), Names());
    EXPECT_EQ((std::vector<LPARAM>{2, 3, 4}), ItemData());
    EXPECT_EQ(-1, SelectedRow());
}

TEST_P(ListModeTest, SpaceIsPartOfTheQuery) {
    Open();
    Type("plan b");
    EXPECT_EQ(NameList{"plan b"}, Names());
    Type("x");
    EXPECT_TRUE(Names().empty());
}

TEST_P(ListModeTest, FullWidthLettersMatchInAnyCase) {
    NextCatalogue() = {Folder("ＡＢＣ", "ＡＢＣ"), Folder("ａｂｄ", "ａｂｄ"), Folder("受信箱", "受信箱")};
    Open();
    TypeWide(L"\xFF41\xFF42");  // full-width "ab"
    EXPECT_EQ(BoxText(), "ａｂ");
    EXPECT_EQ((NameList{"ＡＢＣ", "ａｂｄ"}), Names());
    SetWindowTextA(Box(), "");
    Type("");
    TypeWide(L"\x4FE1");  // 信
    EXPECT_EQ(NameList{"受信箱"}, Names());
}

TEST_P(ListModeTest, ThreeHeaderClicksCycleAscendingDescendingAndCatalogueOrder) {
    Open();
    ClickHeader(0);
    EXPECT_EQ((NameList{"Archive", "Planb", "Plans", "Work", "plan b", "受信箱"}), Names());
    EXPECT_EQ(HDF_SORTUP, HeaderFormat(0));
    EXPECT_EQ(0, HeaderFormat(1));
    ClickHeader(0);
    EXPECT_EQ((NameList{"受信箱", "plan b", "Work", "Plans", "Planb", "Archive"}), Names());
    EXPECT_EQ(HDF_SORTDOWN, HeaderFormat(0));
    ClickHeader(0);
    EXPECT_EQ((NameList{"受信箱", "Work", "Plans", "plan b", "Planb", "Archive"}), Names());
    EXPECT_EQ(0, HeaderFormat(0));
    EXPECT_EQ(0, HeaderFormat(1));
}

TEST_P(ListModeTest, ClickingThePathColumnMovesTheSortAndTheArrow) {
    Open();
    ClickHeader(0);
    ClickHeader(1);
    EXPECT_EQ(0, HeaderFormat(0));
    EXPECT_EQ(HDF_SORTUP, HeaderFormat(1));
    std::vector<std::string> paths;
    for (const Row& row : Rows()) paths.push_back(row.second);
    EXPECT_EQ((NameList{"Archive", "Planb", "Work", "Work/Plans", "Work/plan b", "受信箱"}), paths);
}

TEST_P(ListModeTest, TypingKeepsTheActiveSort) {
    Open();
    ClickHeader(0);
    ClickHeader(0);
    Type("p");
    EXPECT_EQ((NameList{"plan b", "Plans", "Planb"}), Names());
    EXPECT_EQ(HDF_SORTDOWN, HeaderFormat(0));
}

TEST_P(ListModeTest, RankedRowsComeInThreeGroupsAndBackAfterTheThirdHeaderClick) {
    UseIni("[Config]\r\nMatchWords=1\r\nMatchPath=1\r\nRankMatches=1\r\n");
    NextCatalogue() = {Folder("Pinvoice", "Misc/Pinvoice"), Folder("Old Invoices", "Archive/Old Invoices"),
                       Folder("Invoices", "Invoices"),      Folder("受信INV", "受信INV"),
                       Folder("invest", "Money/invest"),    Folder("Notes", "Notes"),
                       Folder("2024", "Invoices/2024")};
    const NameList ranked{"Invoices", "invest", "Old Invoices", "受信INV", "Pinvoice", "2024"};
    Open();
    Type("inv");
    EXPECT_EQ(ranked, Names());
    EXPECT_EQ((std::vector<LPARAM>{2, 4, 1, 3, 0, 6}), ItemData());
    ClickHeader(0);
    EXPECT_EQ((NameList{"2024", "Invoices", "Old Invoices", "Pinvoice", "invest", "受信INV"}), Names());
    ClickHeader(0);
    EXPECT_EQ((NameList{"受信INV", "invest", "Pinvoice", "Old Invoices", "Invoices", "2024"}), Names());
    ClickHeader(0);
    EXPECT_EQ(ranked, Names());
    EXPECT_EQ(0, HeaderFormat(0));
    // The rows still stand for their folders.
    PressKey(VK_TAB);
    SelectRow(1);
    PressKey(VK_RETURN);
    ASSERT_EQ(1u, standin::Host().CallsTo("BKA_SetCurrentFolder").size());
    EXPECT_EQ("MB1\\Money/invest\\", standin::Host().CallsTo("BKA_SetCurrentFolder")[0].text);
    // Words in any order, found in the name or the path.
    PressKey(VK_TAB);
    PressKey(VK_END);
    Type(" 2024");
    ASSERT_EQ("inv 2024", BoxText());
    EXPECT_EQ(NameList{"2024"}, Names());
}

TEST_P(ListModeTest, ChoosingAHistoryEntryFiltersByItAtOnce) {
    UseIni("[History]\r\nHistory0=arch\r\nHistory1=plan\r\n");
    Open();
    SendMessageA(Box(), CB_SETCURSEL, 1, 0);
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_SELENDOK), reinterpret_cast<LPARAM>(Box()));
    EXPECT_EQ((NameList{"Plans", "plan b", "Planb"}), Names());
}

TEST_P(ListModeTest, HistoryChoiceWithNothingSelectedFiltersByTheBoxText) {
    Open();
    Type("arc");
    SendMessageA(Box(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextA(Box(), "wo");
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_SELENDOK), reinterpret_cast<LPARAM>(Box()));
    EXPECT_EQ(NameList{"Work"}, Names());
}

TEST_P(ListModeTest, LongQueryIsCutWithoutHarm) {
    NextCatalogue().push_back(Folder(std::string(1500, 'a'), "long"));
    Open();
    SetWindowTextA(Box(), std::string(1400, 'a').c_str());
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Box()));
    EXPECT_EQ(std::vector<LPARAM>{6}, ItemData());
}

// Typing forward tests only the last matches; every step must still give
// the rows of its query typed whole (after one that it does not extend).
TEST_P(ListModeTest, QueriesTypedForwardAndShortenedGiveTheRowsOfTheQueryTypedWhole) {
    NextCatalogue().push_back(Folder("Plan b2", "Work/plan b/Plan b2"));
    const auto setQuery = [this](const std::string& text) {
        SetWindowTextA(Box(), text.c_str());
        SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Box()));
        return ItemData();
    };
    const char* const steps[] = {"p", "pl", "pla", "plan", "plan ", "plan b", "plan b2", "pla", "", "w", "wo work", "wor"};
    for (const char* config : {"", "MatchWords=1\r\nMatchPath=1\r\nRankMatches=1\r\n"}) {
        UseIni(std::string("[Config]\r\n") + config);
        Open();
        for (const char* step : steps) {
            const std::vector<LPARAM> narrowed = setQuery(step);
            setQuery("\x7f\x7f\x7f");  // extended by none of the steps
            EXPECT_EQ(setQuery(step), narrowed) << "query \"" << step << "\" with [" << config << "]";
        }
        PressKey(VK_TAB);
        PressKey(VK_ESCAPE);
        tarnwick::DestroySearchDialog();
    }
}

TEST(CompareResultRows, OrdersByCodePageCharacterCodesWithPrefixesFirst) {
    tarnwick::FolderList folders = {Folder("b", "1"), Folder("B", "2"), Folder("受", "3"), Folder("ba", "4"),
                                    Folder("ｱ", "5")};
    HWND list = CreateWindowA(WC_LISTVIEWA, "", LVS_REPORT, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    tarnwick::FillResultList(list, folders, nullptr);
    tarnwick::DialogState().sortState[0] = tarnwick::kSortAscending;
    EXPECT_LT(tarnwick::CompareResultRows(1, 0, 0), 0);  // "B" before "b"
    EXPECT_LT(tarnwick::CompareResultRows(0, 3, 0), 0);  // "b" before "ba"
    EXPECT_LT(tarnwick::CompareResultRows(4, 2, 0), 0);  // single-byte kana before a double-byte character
    EXPECT_EQ(0, tarnwick::CompareResultRows(0, 0, 0));
    tarnwick::DialogState().sortState[0] = tarnwick::kSortDescending;
    EXPECT_GT(tarnwick::CompareResultRows(1, 0, 0), 0);
    tarnwick::DialogState().sortState[0] = tarnwick::kSortNone;
    EXPECT_GT(tarnwick::CompareResultRows(3, 1, 0), 0);  // catalogue order
    tarnwick::DialogState().sortState[0] = tarnwick::kSortAscending;
    EXPECT_EQ(0, tarnwick::CompareResultRows(0, 99, 0));  // no such record: no order, no fault
    DestroyWindow(list);
}

TEST(FillResultList, FillsRowsWithPositionsAndQueriesMatchOnlyTheKey) {
    tarnwick::FolderList folders = {Folder("Alpha", "X/Alpha"), Folder("beta", "Alpha/beta"), Folder("ALP", "ALP"),
                                    Folder("ソフト", "ソフト")};
    HWND list = CreateWindowA(WC_LISTVIEWA, "", LVS_REPORT, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    LVCOLUMNA column{};
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    // "MatchWords", "MatchPath", "RankMatches"; all 0 unless a case says.
    struct Case {
        const char* query;
        std::vector<LPARAM> positions;
        tarnwick::MatchSettings keys{};
    };
    const tarnwick::MatchSettings words{true, false, false}, path{false, true, false}, wordsAndPath{true, true, false},
        rank{false, false, true};
    // "ソ" is 0x83 0x5C: its trail byte is no "\\", "\\\x83" no match either.
    const Case cases[] = {{nullptr, {0, 1, 2, 3}}, {"", {0, 1, 2, 3}}, {"ALP", {0, 2}}, {"alp", {}}, {"BETA", {1}},
                          {"X", {}}, {"ソ", {3}}, {"フト", {3}}, {"\\", {}}, {"\\\x83", {}}, {"\x83", {}},
                          {"   ", {}}, {"   ", {0, 1, 2, 3}, words}, {"ALP LPH", {}}, {"ALP LPH", {0}, words},
                          {"PHA\x81\x40" "AL", {0}, words}, {"ALP BETA", {}, words}, {"ALP BETA", {1}, wordsAndPath},
                          {"フト ソ", {3}, words}, {"ソ \\", {}, wordsAndPath}, {"X", {0}, path},
                          {"ALPHA/", {1}, path}, {"A", {0, 1, 2}}, {"A", {0, 2, 1}, rank}, {"A", {0, 1, 2}, words}};
    for (const Case& c : cases) {
        tarnwick::Config().matchWords = c.keys.words;
        tarnwick::Config().matchPath = c.keys.path;
        tarnwick::Config().rankMatches = c.keys.rank;
        tarnwick::FillResultList(list, folders, c.query);
        std::vector<LPARAM> positions;
        const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            LVITEMA item{};
            item.mask = LVIF_PARAM;
            item.iItem = i;
            SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            positions.push_back(item.lParam);
        }
        EXPECT_EQ(c.positions, positions) << (c.query ? c.query : "(none)") << c.keys.words << c.keys.path << c.keys.rank;
    }
    tarnwick::Config() = tarnwick::PluginConfig{};
    DestroyWindow(list);
}

}  // namespace dialog_test
