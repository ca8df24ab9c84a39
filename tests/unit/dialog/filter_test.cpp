// The incremental filter and the column sort, driven by keys and clicks.
#include "dialog_fixture.h"

#include "search/match.h"

#include <commctrl.h>

#include <string>

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

// Scores of "ab": a word start and the best alignment (52), a case change
// (50), the name's start (48), adjacent (36), scattered (29); ties keep
// catalogue order. The first alignment found in "xa-ab" would score 28.
TEST_P(ListModeTest, FuzzyRowsComeByScoreAndBackAfterTheThirdHeaderClick) {
    UseIni("[Config]\r\nMatchFuzzy=1\r\nRankMatches=1\r\n");
    NextCatalogue() = {Folder("xaxb", "xaxb"), Folder("a-xb", "a-xb"), Folder("xa-ab", "xa-ab"),
                       Folder("xabx", "xabx"), Folder("myAb", "myAb"), Folder("x-ab", "x-ab"),
                       Folder("Notes", "Notes")};
    const NameList scored{"xa-ab", "x-ab", "myAb", "a-xb", "xabx", "xaxb"};
    Open();
    Type("ab");
    EXPECT_EQ(scored, Names());
    EXPECT_EQ((std::vector<LPARAM>{2, 5, 4, 1, 3, 0}), ItemData());
    ClickHeader(0);
    EXPECT_EQ((NameList{"a-xb", "myAb", "x-ab", "xa-ab", "xabx", "xaxb"}), Names());
    ClickHeader(0);
    EXPECT_EQ((NameList{"xaxb", "xabx", "xa-ab", "x-ab", "myAb", "a-xb"}), Names());
    ClickHeader(0);
    EXPECT_EQ(scored, Names());
    EXPECT_EQ(0, HeaderFormat(0));
    // An empty query lists every folder in catalogue order.
    PressKey(VK_BACK);
    PressKey(VK_BACK);
    EXPECT_EQ((NameList{"xaxb", "a-xb", "xa-ab", "xabx", "myAb", "x-ab", "Notes"}), Names());
}

// The custom draw answers the list view gets: a cell is drawn by the dialog
// (CDRF_SKIPDEFAULT) only with "HighlightMatches" on and characters of its
// text matched; the rows' records come from the rows, the query from the
// last fill.
TEST_P(ListModeTest, HighlightMatchesDrawsOnlyCellsWithMatchedCharacters) {
    Open();
    HWND list = List();
    HDC dc = GetDC(list);
    struct Case {
        int highlight;
        int path;
        const char* typed;
        DWORD stage;
        int row;
        int column;
        LRESULT result;
    };
    constexpr DWORD kSubItem = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    const Case cases[] = {
        {0, 0, "pl", CDDS_PREPAINT, 0, 0, CDRF_DODEFAULT},
        {0, 0, "pl", kSubItem, 0, 0, CDRF_DODEFAULT},
        {1, 0, "pl", CDDS_PREPAINT, 0, 0, CDRF_NOTIFYITEMDRAW},
        {1, 0, "pl", CDDS_ITEMPREPAINT, 0, 0, CDRF_NOTIFYSUBITEMDRAW},
        {1, 0, "pl", kSubItem, 0, 0, CDRF_SKIPDEFAULT},   // "Plans"
        {1, 0, "pl", kSubItem, 0, 1, CDRF_DODEFAULT},     // "Work/Plans": the path is not searched
        {1, 1, "wor pl", kSubItem, 0, 0, CDRF_DODEFAULT},  // "wor pl" is in neither
        {1, 1, "work", kSubItem, 1, 1, CDRF_SKIPDEFAULT},  // "Work/Plans"
        {1, 1, "work", kSubItem, 0, 0, CDRF_SKIPDEFAULT},  // "Work" itself
        {1, 0, "", CDDS_PREPAINT, 0, 0, CDRF_DODEFAULT},
        {1, 0, "pl", kSubItem, 7, 0, CDRF_DODEFAULT},     // no such row
    };
    for (const Case& c : cases) {
        tarnwick::Config().highlightMatches = c.highlight;
        tarnwick::Config().matchPath = c.path;
        SetWindowTextA(Box(), c.typed);
        SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Box()));
        Pump();  // paints the rows, highlighted or not
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr.hwndFrom = list;
        draw.nmcd.hdr.idFrom = IDC_RESULT_LIST;
        draw.nmcd.hdr.code = NM_CUSTOMDRAW;
        draw.nmcd.dwDrawStage = c.stage;
        draw.nmcd.hdc = dc;
        draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(c.row);
        draw.iSubItem = c.column;
        EXPECT_EQ(c.result, SendMessageA(Dialog(), WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&draw)))
            << c.highlight << c.path << " " << c.typed << " stage " << c.stage << " row " << c.row << " column "
            << c.column;
    }
    ReleaseDC(list, dc);
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

// The bar shows every row beyond a page, and none when all fit, after each
// keystroke that changes the count.
TEST_P(ListModeTest, TheScrollBarFollowsTheRowCount) {
    for (int i = 0; i < 200; ++i) NextCatalogue().push_back(Folder("Many" + std::to_string(i), "Many"));
    Open();
    const auto bar = [this] {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE;
        const bool shown = (GetWindowLongPtrA(List(), GWL_STYLE) & WS_VSCROLL) != 0;
        return shown && GetScrollInfo(List(), SB_VERT, &info) ? info.nMax + 1 : 0;
    };
    const int all = static_cast<int>(CurrentCatalogue().size());
    EXPECT_EQ(all, bar());
    Type("many1");  // Many1, Many10-19, Many100-199
    EXPECT_EQ(111, bar());
    Type("99");
    EXPECT_EQ(0, bar());
    PressKey(VK_BACK);
    PressKey(VK_BACK);
    EXPECT_EQ(111, bar());
    for (int i = 0; i < 5; ++i) PressKey(VK_BACK);
    EXPECT_EQ(all, bar());
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
    // "MatchWords", "MatchPath", "RankMatches", "MatchFuzzy"; all 0 unless a case says.
    struct Case {
        const char* query;
        std::vector<LPARAM> positions;
        tarnwick::MatchSettings keys{};
    };
    const tarnwick::MatchSettings words{true, false, false}, path{false, true, false}, wordsAndPath{true, true, false},
        rank{false, false, true}, fuzzy{false, false, false, true}, fuzzyPath{false, true, false, true},
        fuzzyWords{true, false, false, true}, fuzzyWordsPath{true, true, false, true};
    // "ソ" is 0x83 0x5C: its trail byte is no "\\", "\\\x83" no match either.
    const Case cases[] = {{nullptr, {0, 1, 2, 3}}, {"", {0, 1, 2, 3}}, {"ALP", {0, 2}}, {"alp", {}}, {"BETA", {1}},
                          {"X", {}}, {"ソ", {3}}, {"フト", {3}}, {"\\", {}}, {"\\\x83", {}}, {"\x83", {}},
                          {"   ", {}}, {"   ", {0, 1, 2, 3}, words}, {"ALP LPH", {}}, {"ALP LPH", {0}, words},
                          {"PHA\x81\x40" "AL", {0}, words}, {"ALP BETA", {}, words}, {"ALP BETA", {1}, wordsAndPath},
                          {"フト ソ", {3}, words}, {"ソ \\", {}, wordsAndPath}, {"X", {0}, path},
                          {"ALPHA/", {1}, path}, {"A", {0, 1, 2}}, {"A", {0, 2, 1}, rank}, {"A", {0, 1, 2}, words},
                          {"AP", {}}, {"AP", {0, 2}, fuzzy}, {"LA", {0}, fuzzy}, {"ALPX", {}, fuzzy},
                          {"XA", {}, fuzzy}, {"XA", {0}, fuzzyPath}, {"L P", {}, fuzzy}, {"ソト", {3}, fuzzy},
                          {"BT AA", {}, fuzzyWords}, {"BT AA", {1}, fuzzyWordsPath}, {"   ", {0, 1, 2, 3}, fuzzyWords}};
    for (const Case& c : cases) {
        tarnwick::Config().matchWords = c.keys.words;
        tarnwick::Config().matchPath = c.keys.path;
        tarnwick::Config().rankMatches = c.keys.rank;
        tarnwick::Config().matchFuzzy = c.keys.fuzzy;
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
        EXPECT_EQ(c.positions, positions) << (c.query ? c.query : "(none)") << c.keys.words << c.keys.path << c.keys.rank << c.keys.fuzzy;
    }
    tarnwick::Config() = tarnwick::PluginConfig{};
    DestroyWindow(list);
}

}  // namespace dialog_test
