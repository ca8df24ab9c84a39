// Keys and clicks as a user gives them, through the host-like message loop:
// the hook is what makes Tab, Escape and Enter work.
#include "dialog_fixture.h"

#include <tuple>

#include <commctrl.h>

namespace dialog_test {

TEST_P(ListModeTest, EscapeEmptiesABoxWithTextThenASecondEscapeCloses) {
    Open();
    ClickHeader(0);
    Type("pl");
    ASSERT_EQ(3u, Rows().size());
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(Dialog()));
    EXPECT_EQ("", BoxText());
    EXPECT_EQ((std::vector<std::string>{"Archive", "Planb", "Plans", "Work", "plan b", "受信箱"}), Names());
    EXPECT_EQ(HDF_SORTUP, HeaderFormat(0));
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Dialog()));
    EXPECT_FALSE(SearchDialogMutexExists());
    EXPECT_TRUE(OtherThreadCanTakeFolderListMutex());
}

TEST_P(ListModeTest, EscapeInTheListClosesEvenWithText) {
    Open();
    Type("pl");
    PressKey(VK_TAB);
    EXPECT_EQ(List(), GetFocus());
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Dialog()));
}

TEST_P(ListModeTest, ShiftTabAndTabMoveBetweenBoxAndList) {
    Open();
    PressKey(VK_TAB);
    EXPECT_EQ(List(), GetFocus());
    PressKey(VK_TAB);
    EXPECT_EQ(BoxEdit(), GetFocus());
}

TEST_P(ListModeTest, EnterInTheListOpensTheSelectedFolderAndRecordsTheQuery) {
    Open();
    Type("pl");
    PressKey(VK_TAB);
    SelectRow(1);
    standin::Host().ClearCalls();
    PressKey(VK_RETURN);
    const auto calls = standin::Host().CallsTo("BKA_SetCurrentFolder");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("MB1\\Work/plan b\\", calls[0].text);
    EXPECT_EQ(std::vector<std::string>{"pl"}, History());
    EXPECT_TRUE(IsWindowVisible(Dialog()));
    EXPECT_EQ(3u, Rows().size());
    EXPECT_EQ(1, SelectedRow());
    PressKey(VK_RETURN);
    EXPECT_EQ(2u, standin::Host().CallsTo("BKA_SetCurrentFolder").size());
    EXPECT_EQ(std::vector<std::string>{"pl"}, History());
}

TEST_P(ListModeTest, EnterInTheListWithNoRowSelectedChoosesNothing) {
    Open();
    PressKey(VK_TAB);
    PressKey(VK_RETURN);
    EXPECT_TRUE(standin::Host().CallsTo("BKA_SetCurrentFolder").empty());
    EXPECT_TRUE(IsWindowVisible(Dialog()));
}

TEST_P(ListModeTest, EnterInTheBoxChoosesNothing) {
    Open();
    Type("pl");
    SelectRow(0);
    PressKey(VK_RETURN);
    EXPECT_TRUE(standin::Host().CallsTo("BKA_SetCurrentFolder").empty());
    EXPECT_TRUE(History().empty());
    EXPECT_TRUE(IsWindowVisible(Dialog()));
}

TEST_P(ListModeTest, DoubleClickOnARowChoosesItAndBelowTheLastRowNothing) {
    Open();
    Type("wo");
    RECT row{};
    row.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageA(List(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)));
    DoubleClickAt(row.left + 3, (row.top + row.bottom) / 2);
    auto calls = standin::Host().CallsTo("BKA_SetCurrentFolder");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("MB1\\Work\\", calls[0].text);
    EXPECT_EQ(std::vector<std::string>{"wo"}, History());
    EXPECT_EQ("wo", BoxText());
    EXPECT_TRUE(IsWindowVisible(Dialog()));

    DoubleClickAt(row.left + 3, row.bottom + 3 * (row.bottom - row.top));
    EXPECT_EQ(1u, standin::Host().CallsTo("BKA_SetCurrentFolder").size());
}

TEST_P(ListModeTest, ChoosingWithAnEmptyBoxOpensTheFolderAndKeepsTheHistory) {
    UseIni("[History]\r\nHistory0=old\r\n");
    Open();
    PressKey(VK_TAB);
    SelectRow(5);
    PressKey(VK_RETURN);
    ASSERT_EQ(1u, standin::Host().CallsTo("BKA_SetCurrentFolder").size());
    EXPECT_EQ("MB1\\Archive\\", standin::Host().CallsTo("BKA_SetCurrentFolder")[0].text);
    EXPECT_EQ(std::vector<std::string>{"old"}, History());
}

TEST_P(ListModeTest, KeysForOtherWindowsReachThemUnchanged) {
    Open();
    EXPECT_EQ("xy", TypeIntoOtherWindow("xy"));
    EXPECT_TRUE(IsWindowVisible(Dialog()));
}

TEST_P(ListModeTest, PeekedKeysAreLeftForTheirRemoval) {
    Open();
    PostMessageA(BoxEdit(), WM_CHAR, 'w', 1);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_CHAR), msg.message);
    Pump();
    EXPECT_EQ("w", BoxText());
    EXPECT_EQ(std::vector<std::string>{"Work"}, Names());
}

struct FilingCase {
    const char* config;
    const char* query;
    bool focusInList;
    int selectedRow;  // -1: none
    UINT key;
    const char* movedInto;  // null: nothing is filed
    long copy;
};

class FilingKeyTest : public SearchDialogTest, public ::testing::WithParamInterface<std::tuple<FilingCase, int>> {
protected:
    int ListMode() const override { return std::get<1>(GetParam()); }
};

// "pl" shows Plans, plan b and Planb. Filing acts as a drop, then closes the
// dialog and activates the host's main window.
TEST_P(FilingKeyTest, AltMMovesAndAltCCopiesIntoTheSelectedOrFirstRow) {
    const FilingCase& c = std::get<0>(GetParam());
    HWND main = CreateWindowA("STATIC", "host", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    // Above the host's window: the one a hidden dialog would leave active.
    HWND other = CreateWindowA("STATIC", "other", WS_POPUP | WS_VISIBLE, 60, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    standin::Host().windows[0] = main;
    UseIni(std::string("[Config]\r\n") + c.config + "\r\n");
    Open();
    Type(c.query);
    if (c.focusInList) PressKey(VK_TAB);
    if (c.selectedRow >= 0) SelectRow(c.selectedRow);
    standin::Host().ClearCalls();
    PressAltKey(c.key);
    const auto calls = standin::Host().CallsTo("BKA_MoveSelectedMessages");
    if (c.movedInto) {
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(c.movedInto, calls[0].text);
        EXPECT_EQ(c.copy, calls[0].number);
        EXPECT_EQ(std::vector<std::string>{c.query}, History());
        EXPECT_FALSE(IsWindowVisible(Dialog()));
        EXPECT_FALSE(SearchDialogMutexExists());
        EXPECT_TRUE(OtherThreadCanTakeFolderListMutex());
        EXPECT_EQ(main, GetForegroundWindow());
    } else {
        EXPECT_TRUE(calls.empty());
        EXPECT_TRUE(History().empty());
        EXPECT_TRUE(IsWindowVisible(Dialog()));
        EXPECT_EQ(c.query, BoxText());
    }
    DestroyWindow(other);
    DestroyWindow(main);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, FilingKeyTest,
    ::testing::Combine(::testing::Values(FilingCase{"MoveKeys=1", "pl", false, 1, 'M', "MB1\\Work/plan b\\", 0},
                      FilingCase{"MoveKeys=1", "pl", true, -1, 'C', "MB1\\Work/Plans\\", 1},
                      FilingCase{"MoveKeys=1", "pl", true, 2, 'M', "MB1\\Planb\\", 0},
                      FilingCase{"MoveKeys=1", "plx", false, -1, 'M', nullptr, 0},
                      FilingCase{"MoveKeys=1", "pl", false, 1, 'X', nullptr, 0},
                      FilingCase{"MoveKeys=0", "pl", false, 1, 'M', nullptr, 0},
                      FilingCase{"MoveKeys=0", "pl", true, 1, 'C', nullptr, 0}),
                       ::testing::Values(0, 1)));

}  // namespace dialog_test
