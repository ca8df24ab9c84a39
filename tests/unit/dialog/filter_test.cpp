// The incremental filter and the column sort, driven by keys and clicks.
#include "dialog_fixture.h"

#include "search/match.h"
#include "search/migemo.h"
#include "support/migemo_support.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

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

// The list as it paints itself on screen (WM_PRINTCLIENT runs the same
// paint and custom draw), in 32-bit pixels.
struct Picture {
    int width = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Picture PaintList(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    Picture picture;
    picture.width = client.right;
    const auto* first = static_cast<const std::uint32_t*>(bits);
    picture.pixels.assign(first, first + static_cast<std::size_t>(client.right) * client.bottom);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return picture;
}

bool Differ(const Picture& a, const Picture& b, const RECT& area) {
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (a.At(x, y) != b.At(x, y)) return true;
        }
    }
    return false;
}

// The left edge and top of what is drawn on the cell's background.
POINT InkCorner(const Picture& picture, const RECT& cell) {
    POINT corner{cell.right, cell.bottom};
    const std::uint32_t background = picture.At(cell.right - 3, (cell.top + cell.bottom) / 2);
    for (int y = cell.top + 1; y < cell.bottom - 1; ++y) {
        for (int x = cell.left + 1; x < cell.right - 1; ++x) {
            if (picture.At(x, y) == background) continue;
            corner.x = std::min(corner.x, static_cast<LONG>(x));
            corner.y = std::min(corner.y, static_cast<LONG>(y));
        }
    }
    return corner;
}

RECT CellOf(HWND list, int row, int column) {
    RECT cell{};
    cell.top = column;
    cell.left = column == 0 ? LVIR_LABEL : LVIR_BOUNDS;
    SendMessageA(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    return cell;
}

// A cell is drawn again by the dialog only with "HighlightMatches" on and
// characters of its text matched (the rows' records come from the rows,
// the query from the last fill); where it is, its text begins where the list
// itself draws it, and the row keeps its edges, where the list draws the
// focus rectangle of the focused row.
TEST_P(ListModeTest, HighlightMatchesDrawsOnlyCellsWithMatchedCharacters) {
    Open();
    HWND list = List();
    struct Case {
        const char* what;
        int highlight;
        int path;
        const char* typed;
        int row;
        bool focused;
        bool drawn[2];           // the name's and the path's cell look different highlighted
        bool startUnmatched[2];  // the text's first character is drawn in the list's own font
    };
    const Case cases[] = {
        {"off", 0, 0, "ns", 0, false, {false, false}, {true, true}},
        {"name from its middle", 1, 0, "ns", 0, false, {true, false}, {true, true}},           // "Plans"
        {"path not searched", 1, 0, "pl", 0, false, {true, false}, {false, true}},            // "Work/Plans"
        {"path from its middle", 1, 1, "k/p", 0, false, {false, true}, {true, true}},         // "Work/Plans"
        {"path where the name holds none", 1, 1, "work", 1, false, {false, true}, {true, false}},
        {"focused row", 1, 0, "an", 0, true, {true, false}, {true, true}},                    // "Plans"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tarnwick::Config().highlightMatches = 1;
        tarnwick::Config().matchPath = c.path;
        SetWindowTextA(Box(), c.typed);
        SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Box()));
        if (c.focused) {
            SetFocus(list);
            SendMessageA(Dialog(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
            SelectRow(c.row);
        }
        Pump();
        tarnwick::Config().highlightMatches = c.highlight;
        const Picture highlighted = PaintList(list);
        tarnwick::Config().highlightMatches = 0;
        const Picture plain = PaintList(list);
        for (int column = 0; column < 2; ++column) {
            const RECT cell = CellOf(list, c.row, column);
            EXPECT_EQ(c.drawn[column], Differ(highlighted, plain, cell)) << "column " << column;
            if (!c.drawn[column] || !c.startUnmatched[column]) continue;
            const POINT expected = InkCorner(plain, cell);
            const POINT drawn = InkCorner(highlighted, cell);
            EXPECT_EQ(expected.x, drawn.x) << "column " << column;
            EXPECT_EQ(expected.y, drawn.y) << "column " << column;
        }
        RECT row{LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(list, LVM_GETITEMRECT, c.row, reinterpret_cast<LPARAM>(&row));
        const RECT edges[2] = {{row.left, row.top, row.right, row.top + 1}, {row.left, row.bottom - 1, row.right, row.bottom}};
        for (const RECT& edge : edges) EXPECT_FALSE(Differ(highlighted, plain, edge));
        if (c.focused) {
            // The list does draw one there: the edge is not of one colour.
            bool twoColours = false;
            for (int x = row.left; x < row.right; ++x) twoColours |= plain.At(x, row.top) != plain.At(row.left, row.top);
            EXPECT_TRUE(twoColours);
        }
        SetFocus(Box());
    }
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

// "MatchMigemo": until C/Migemo's dictionary is ready a romaji query finds
// what it spells; when it becomes ready the query shown is filled again, and
// the characters the expansion matched are drawn highlighted.
TEST_P(ListModeTest, RomajiRowsComeWhenTheDictionaryBecomesReady) {
    const std::string dictionary = testing_support::MakeDirs(temp.path(), "dict");
    migemo_testing::WriteTestDictionary(dictionary);
    UseIni("[Config]\r\nMatchMigemo=1\r\nHighlightMatches=1\r\nMigemoDll=" +
           migemo_testing::TestDll(migemo_testing::kOwnVariants[0]) + "\r\nMigemoDict=" + dictionary + "migemo-dict\r\n");
    NextCatalogue().push_back(Folder("旧受信", "Archive/旧受信"));
    Open();
    Type("jushin");
    EXPECT_EQ(NameList{}, Names());
    tarnwick::StartMigemo();
    EXPECT_TRUE(testing_support::PumpUntil([this] { return !Names().empty(); }, 20000));
    EXPECT_EQ((NameList{"受信箱", "旧受信"}), Names());
    EXPECT_EQ((std::vector<LPARAM>{0, 6}), ItemData());
    EXPECT_EQ("jushin", BoxText());
    const tarnwick::MatchRanges ranges = tarnwick::MatchRangesOf(CurrentCatalogue()[6], "JUSHIN", tarnwick::MatchSettingsFromConfig());
    EXPECT_EQ((std::vector<tarnwick::ByteRange>{{2, 6}}), ranges.name);
    // Typed on, each keystroke tests every folder again.
    PressKey(VK_BACK);
    EXPECT_EQ((NameList{"受信箱", "旧受信"}), Names());
    tarnwick::StopMigemo();
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
