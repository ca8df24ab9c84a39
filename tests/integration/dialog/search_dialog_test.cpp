// The search dialog through the real DLL in the stand-in host: the menu
// command and shortcut key, a search over real folders, what exit writes,
// and the "InstantOpen" showing.
#include "support/drag_support.h"
#include "support/migemo_support.h"
#include "support/plugin_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using testing_support::PluginHostTest;

namespace {

constexpr char kCaption[] = "フォルダ検索";
const std::string kMenuTextPadded = std::string("フォルダ検索(&S)") + std::string(34, ' ');


std::string MenuItemText(HMENU menu, int position) {
    char text[200] = "";
    GetMenuStringA(menu, position, text, sizeof(text), MF_BYPOSITION);
    return text;
}

}  // namespace

class SearchDialogHostTest : public PluginHostTest {
protected:
    void TearDown() override {
        if (menu) DestroyMenu(menu);
        PluginHostTest::TearDown();
    }

    void StartWithMenu(const std::string& ini = std::string()) {
        if (!ini.empty()) WriteIni(ini);
        StartPlugin();
        menu = testing_support::MakeHostMenu();
        plugin.OnMenuInit(nullptr, menu, 0);
    }
    HWND Dialog() const { return testing_support::FindThreadWindow(kCaption); }
    HWND Box() const { return GetDlgItem(Dialog(), 1001); }
    HWND List() const { return GetDlgItem(Dialog(), 1002); }
    void Pump(DWORD ms = 40) const { testing_support::PumpMessagesFor(ms); }
    bool PressShortcut() {
        const int result = plugin.OnKeyDispatch(nullptr, 'F', 96);
        Pump();
        return result == 1;
    }
    void Type(const std::string& text) const {
        for (unsigned char c : text) {
            PostMessageA(GetFocus(), WM_CHAR, c, 1);
            Pump(5);
        }
        Pump();
    }
    void PressKey(UINT vk) const {
        HWND focus = GetFocus();
        PostMessageA(focus, WM_KEYDOWN, vk, 1);
        PostMessageA(focus, WM_KEYUP, vk, 0xC0000001u);
        Pump();
    }
    std::vector<std::pair<std::string, std::string>> Rows() const { return testing_support::ListViewRows(List()); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& row : Rows()) names.push_back(row.first);
        return names;
    }
    std::string BoxText() const {
        char text[100] = "";
        GetWindowTextA(Box(), text, sizeof(text));
        return text;
    }
    int SelectedRow() const { return testing_support::SelectedListRow(List()); }
    void SelectRow(int row) const { testing_support::SelectListRow(List(), row); }
    void ClickHeader(int column) const {
        testing_support::PostHeaderClick(List(), column);
        Pump();
    }
    HMENU menu = nullptr;
};

TEST_F(SearchDialogHostTest, MenuInitAddsSeparatorAndPaddedItemWithTheKeyText) {
    StartWithMenu();
    HMENU tools = GetSubMenu(menu, 1);
    ASSERT_EQ(2, GetMenuItemCount(tools));
    EXPECT_EQ(MFT_SEPARATOR, GetMenuState(tools, 0, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(kMenuTextPadded + "Ctrl+Shift+F", MenuItemText(tools, 1));
    EXPECT_EQ(50u, kMenuTextPadded.size());
    ASSERT_EQ(1u, standin::Host().commands.size());
    EXPECT_EQ("フォルダを検索する", standin::Host().commands[0].description);
    EXPECT_EQ(0, standin::Host().commands[0].target);
    EXPECT_EQ(standin::Host().commands[0].id, GetMenuItemID(tools, 1));
    // Menu type 1 is not the main window's menu: nothing is added.
    EXPECT_EQ(0, plugin.OnMenuInit(nullptr, menu, 1));
    EXPECT_EQ(2, GetMenuItemCount(tools));
    EXPECT_EQ(1u, standin::Host().commands.size());
    // Each type-0 call adds another pair.
    plugin.OnMenuInit(nullptr, menu, 0);
    EXPECT_EQ(4, GetMenuItemCount(tools));
    ExitAndUnload();
}

TEST_F(SearchDialogHostTest, InvalidKeyTextLeavesThePaddedTextAndNoKey) {
    StartWithMenu("[Config]\r\nShortCutKey=ctrl+shift+f\r\n");
    EXPECT_EQ(kMenuTextPadded, MenuItemText(GetSubMenu(menu, 1), 1));
    EXPECT_EQ(0, plugin.OnKeyDispatch(nullptr, 'F', 96));
    EXPECT_EQ(nullptr, Dialog());
    // The menu command still opens the dialog.
    standin::Host().commands[0].callback(nullptr, 0);
    Pump();
    EXPECT_NE(nullptr, Dialog());
    ExitAndUnload();
}

TEST_F(SearchDialogHostTest, ShortcutDispatchMatchesExactlyAndOnlyAfterMenuInit) {
    StartPlugin();
    EXPECT_EQ(0, plugin.OnKeyDispatch(nullptr, 'F', 96));  // before any menu init
    menu = testing_support::MakeHostMenu();
    plugin.OnMenuInit(nullptr, menu, 1);
    EXPECT_EQ(0, plugin.OnKeyDispatch(nullptr, 'F', 96));  // type 1 parses nothing
    plugin.OnMenuInit(nullptr, menu, 0);
    struct Case {
        HWND first;
        int key;
        int shift;
    };
    const Case misses[] = {{nullptr, 'F', 32}, {nullptr, 'F', 97}, {nullptr, 'G', 96},
                           {nullptr, 'f', 96}, {reinterpret_cast<HWND>(1), 'F', 96}};
    standin::Host().ClearCalls();
    for (const Case& c : misses) EXPECT_EQ(0, plugin.OnKeyDispatch(c.first, c.key, c.shift)) << c.key << " " << c.shift;
    EXPECT_EQ(nullptr, Dialog());
    EXPECT_TRUE(standin::Host().CallsTo("BKA_GetWindowHandles").empty());
    EXPECT_TRUE(PressShortcut());
    EXPECT_NE(nullptr, Dialog());
    EXPECT_FALSE(standin::Host().CallsTo("BKA_GetWindowHandles").empty());
    ExitAndUnload();
}

TEST_F(SearchDialogHostTest, DialogModeMakesTheHostsMainWindowTheOwner) {
    HWND main = CreateWindowA("STATIC", "host", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    standin::Host().windows[0] = main;
    StartWithMenu("[Config]\r\nDialogMode=1\r\nModalDialog=1\r\n");
    ASSERT_TRUE(PressShortcut());
    EXPECT_EQ(main, GetWindow(Dialog(), GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(main));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(IsWindowEnabled(main));
    ExitAndUnload();
    // The client exits the plug-in while the first showing is up.
    StartWithMenu("[Config]\r\nDialogMode=1\r\nModalDialog=1\r\n");
    ASSERT_TRUE(PressShortcut());
    ASSERT_FALSE(IsWindowEnabled(main));
    ExitAndUnload();
    EXPECT_TRUE(IsWindowEnabled(main)) << "an exit while shown left the client's window disabled";
    DestroyWindow(main);
}

using SearchDialogKeySets = testing_support::WithConfigKeys<SearchDialogHostTest>;
INSTANTIATE_TEST_SUITE_P(KeySets, SearchDialogKeySets, testing_support::KeySets(), testing_support::ConfigKeysName);

// Every key set lists the same two folders for "PLAN" (by name, path, word,
// rank group or score); "AllMailboxes" shows the mailbox's name in the path.
TEST_P(SearchDialogKeySets, SearchOverRealFoldersOpensTheChosenOne) {
    testing_support::MakeDirs(dataFolder, "MB1\\Work\\Plans");
    testing_support::MakeDirs(dataFolder, "MB1\\Work\\plan b");
    testing_support::MakeDirs(dataFolder, "MB1\\Archive");
    StartWithMenu("[Config]\r\nUseUpateThread=0\r\n");
    ASSERT_TRUE(PressShortcut());
    ASSERT_NE(nullptr, Dialog());
    const auto all = Rows();
    EXPECT_EQ(4u, all.size());
    Type("PLAN");
    const auto rows = Rows();
    ASSERT_EQ(2u, rows.size()) << (rows.empty() ? "" : rows[0].first);
    const int planB = rows[0].first == "plan b" ? 0 : 1;
    const std::string mailbox = KeyOn("AllMailboxes") ? "Mailbox/" : "";
    EXPECT_EQ("Plans", rows[1 - planB].first);
    EXPECT_EQ(mailbox + "Work/Plans", rows[1 - planB].second);
    EXPECT_EQ("plan b", rows[planB].first);
    EXPECT_EQ(mailbox + "Work/plan b", rows[planB].second);
    PressKey(VK_TAB);
    SelectRow(planB);
    standin::Host().ClearCalls();
    PressKey(VK_RETURN);
    const auto calls = standin::Host().CallsTo("BKA_SetCurrentFolder");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("MB1\\Work\\plan b\\", calls[0].text);
    EXPECT_TRUE(standin::Host().CallsTo("BKA_SetCurrentMailBox").empty()) << "a folder of the current mailbox";
    EXPECT_EQ(0L, testing_support::FaultsSeen());
    ExitAndUnload();
    // The choice is the most recent folder, with "RecentFolders" only.
    const bool recent = IniText().find("Recent0=MB1\\Work\\plan b\\\r\n") != std::string::npos;
    EXPECT_EQ(KeyOn("RecentFolders"), recent) << IniText();
}

// "MatchMigemo" through the shipped DLL with each migemo.dll this build can
// load (in a 32-bit build both conventions), beside the plug-in as users
// install it, with owner-data rows and highlighting: romaji finds the
// Japanese folder once the dictionary is ready, and Enter opens it.
class RomajiHostTest : public SearchDialogHostTest, public ::testing::WithParamInterface<const char*> {};
INSTANTIATE_TEST_SUITE_P(Variants, RomajiHostTest, ::testing::ValuesIn(migemo_testing::kOwnVariants),
                         migemo_testing::VariantName);

TEST_P(RomajiHostTest, RomajiFindsTheJapaneseFolderAndEnterOpensIt) {
    testing_support::MakeDirs(dataFolder, "MB1\\受信メモ");
    testing_support::MakeDirs(dataFolder, "MB1\\Work");
    ASSERT_TRUE(migemo_testing::InstallBeside(pluginFolder, GetParam()));
    StartWithMenu("[Config]\r\nUseUpateThread=0\r\nMatchMigemo=1\r\nVirtualList=1\r\nHighlightMatches=1\r\n");
    ASSERT_TRUE(PressShortcut());
    Type("jushin");
    ASSERT_TRUE(testing_support::PumpUntil([this] { return !Rows().empty(); }, 60000)) << "the dictionary never came";
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"受信メモ", "受信メモ"}}), Rows());
    PressKey(VK_TAB);
    SelectRow(0);
    standin::Host().ClearCalls();
    PressKey(VK_RETURN);
    const auto calls = standin::Host().CallsTo("BKA_SetCurrentFolder");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("MB1\\受信メモ\\", calls[0].text);
    EXPECT_EQ(0L, testing_support::FaultsSeen());
    ExitAndUnload();
    EXPECT_FALSE(migemo_testing::Loaded(pluginFolder + "migemo.dll"));
}

TEST_F(SearchDialogHostTest, ReshowRebuildsTheCatalogue) {
    testing_support::MakeDirs(dataFolder, "MB1\\Work");
    StartWithMenu("[Config]\r\nUseUpateThread=0\r\n");
    ASSERT_TRUE(PressShortcut());
    const std::size_t before = Rows().size();
    PressKey(VK_ESCAPE);
    ASSERT_FALSE(IsWindowVisible(Dialog()));
    testing_support::MakeDirs(dataFolder, "MB1\\Later");
    ASSERT_TRUE(PressShortcut());
    EXPECT_TRUE(IsWindowVisible(Dialog()));
    EXPECT_EQ(before + 1, Rows().size());
    ExitAndUnload();
}

TEST_F(SearchDialogHostTest, ExitWritesHistorySizeAndWidthsOfTheLastClose) {
    StartWithMenu("[Config]\r\nUseUpateThread=0\r\n[History]\r\nHistory0=old\r\nHistory20=kept\r\n");
    ASSERT_TRUE(PressShortcut());
    Type("abc");
    PressKey(VK_ESCAPE);
    RECT rect{};
    GetWindowRect(Dialog(), &rect);
    MoveWindow(Dialog(), rect.left, rect.top, 444, 333, TRUE);
    SendMessageA(List(), LVM_SETCOLUMNWIDTH, 0, 111);
    SendMessageA(List(), LVM_SETCOLUMNWIDTH, 1, 99);
    PressKey(VK_TAB);
    PressKey(VK_ESCAPE);
    ASSERT_FALSE(IsWindowVisible(Dialog()));
    // Shown again and changed, but exit keeps the values of the last close.
    ASSERT_TRUE(PressShortcut());
    MoveWindow(Dialog(), rect.left, rect.top, 600, 500, TRUE);
    ExitAndUnload();
    const std::string ini = IniText();
    EXPECT_NE(std::string::npos, ini.find("Width=444\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("Height=333\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("Column0=111\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("Column1=99\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("History0=old\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("History20=kept\r\n")) << ini;
    EXPECT_EQ(0L, testing_support::FaultsSeen());
}

TEST_F(SearchDialogHostTest, NoHookOutlivesThePlugin) {
    StartWithMenu("[Config]\r\nUseUpateThread=0\r\n");
    ASSERT_TRUE(PressShortcut());
    ExitAndUnload();
    EXPECT_EQ(nullptr, Dialog());
    HWND edit = CreateWindowA("EDIT", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    SetFocus(edit);
    Type("ok");
    PressKey(VK_ESCAPE);
    char text[10] = "";
    GetWindowTextA(edit, text, sizeof(text));
    EXPECT_STREQ("ok", text);
    EXPECT_EQ(0L, testing_support::FaultsSeen());
    DestroyWindow(edit);
}

TEST_F(SearchDialogHostTest, AShownDialogBlocksASecondOpenUntilClosed) {
    StartWithMenu("[Config]\r\nUseUpateThread=0\r\n");
    ASSERT_TRUE(PressShortcut());
    HANDLE flag = OpenMutexA(SYNCHRONIZE, FALSE, "Tarnwick Mutex for Multiple Dialog Supression");
    ASSERT_NE(nullptr, flag);
    CloseHandle(flag);
    Type("wo");
    ASSERT_TRUE(PressShortcut());
    char text[20] = "";
    GetWindowTextA(Box(), text, sizeof(text));
    EXPECT_STREQ("wo", text);
    PressKey(VK_TAB);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(nullptr, OpenMutexA(SYNCHRONIZE, FALSE, "Tarnwick Mutex for Multiple Dialog Supression"));
    ExitAndUnload();
}

namespace {

constexpr char kInstantIni[] = "[Config]\r\nUseUpateThread=0\r\nInstantOpen=1\r\n";

}  // namespace

class InstantOpenHostTest : public SearchDialogHostTest {
protected:
    // The opening's rebuild has asked the host something and then given the
    // folder list back; its refresh, if any, has been handled.
    bool WaitForTheOpeningsRebuild(long textCallsBefore) {
        const bool ended = testing_support::PumpUntil(
            [&] {
                return standin::Host().textCallsStarted.load() > textCallsBefore &&
                       testing_support::FolderListMutexFreeToOtherThread(0);
            },
            30000);
        Pump(300);
        return ended;
    }
};

using InstantOpenModes = testing_support::WithConfigKeys<InstantOpenHostTest>;
INSTANTIATE_TEST_SUITE_P(ListModes, InstantOpenModes, testing_support::ListModes(), testing_support::ConfigKeysName);

TEST_P(InstantOpenModes, OpeningShowsTheLastCatalogueAtOnceWhileAHostThatAnswersSlowlyIsAsked) {
    testing_support::MakeDirs(dataFolder, "MB1\\Work");
    testing_support::MakeDirs(dataFolder, "MB1\\Archive");
    StartWithMenu(kInstantIni);
    testing_support::MakeDirs(dataFolder, "MB1\\Later");
    standin::Host().delayMilliseconds = 1500;  // every text answer, display names included

    const DWORD start = GetTickCount();
    ASSERT_EQ(1, plugin.OnKeyDispatch(nullptr, 'F', 96));
    EXPECT_LT(GetTickCount() - start, 1000u) << "the opening waited for the host";
    ASSERT_TRUE(IsWindowVisible(Dialog()));
    EXPECT_EQ(2u, Rows().size()) << "not the catalogue as built at start";
    EXPECT_EQ(GetWindow(Box(), GW_CHILD), GetFocus());
    Type("a");
    EXPECT_EQ((std::vector<std::string>{"Archive"}), Names());

    ASSERT_TRUE(testing_support::PumpUntil([&] { return Rows().size() == 2; }, 30000)) << "no refresh";
    EXPECT_EQ("a", BoxText());
    EXPECT_TRUE(testing_support::FolderListMutexFreeToOtherThread(0)) << "the showing holds the folder list";
    standin::Host().delayMilliseconds = 0;
    ExitAndUnload();
    EXPECT_EQ(0L, testing_support::FaultsSeen());
}

TEST_P(InstantOpenModes, RefreshKeepsQuerySortSelectionAndLeavesUnchangedRowsAlone) {
    for (const char* folder : {"MB1\\Plans", "MB1\\Alpha plan", "MB1\\Work\\plan b", "MB1\\Zeta"})
        testing_support::MakeDirs(dataFolder, folder);
    StartWithMenu(kInstantIni);
    testing_support::MakeDirs(dataFolder, "MB1\\Plan new");
    standin::Host().delayMilliseconds = 400;

    ASSERT_TRUE(PressShortcut());
    Type("plan");
    ClickHeader(0);
    ASSERT_EQ((std::vector<std::string>{"Alpha plan", "Plans", "plan b"}), Names());
    SelectRow(1);
    ASSERT_TRUE(testing_support::PumpUntil([&] { return Rows().size() == 4; }, 30000)) << "no refresh";
    EXPECT_EQ((std::vector<std::string>{"Alpha plan", "Plan new", "Plans", "plan b"}), Names());
    EXPECT_EQ("plan", BoxText());
    EXPECT_EQ(2, SelectedRow()) << "the selected folder was not found again";
    EXPECT_EQ(HDF_SORTUP, testing_support::HeaderSortArrow(List(), 0));

    // Nothing changed since: the rebuild of the next opening leaves the rows alone.
    SendMessageA(Dialog(), WM_CLOSE, 0, 0);
    Pump();  // the dialog manager posts a cancel after the close
    ASSERT_FALSE(IsWindowVisible(Dialog()));
    const long before = standin::Host().textCallsStarted.load();
    ASSERT_TRUE(PressShortcut());
    SelectRow(3);
    // A list without stored rows keeps no text to mark.
    LVITEMA marker{};
    marker.iSubItem = 1;
    marker.pszText = const_cast<char*>("marker");
    if (!VirtualRows()) SendMessageA(List(), LVM_SETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&marker));
    ASSERT_TRUE(WaitForTheOpeningsRebuild(before));
    if (!VirtualRows()) {
        EXPECT_EQ("marker", Rows()[0].second);
    }
    EXPECT_EQ(3, SelectedRow());
    standin::Host().delayMilliseconds = 0;
    ExitAndUnload();
}

// The user is reading far down a long sorted list with a folder selected
// off screen; a refresh for a new folder keeps the place being read.
TEST_P(InstantOpenModes, RefreshKeepsTheTopRowAndDoesNotScrollToTheSelection) {
    char name[32];
    for (int i = 0; i <= 1000; ++i) {
        std::snprintf(name, sizeof(name), "MB1\\F%06d", i * 2);
        testing_support::MakeDirs(dataFolder, name);
    }
    StartWithMenu("[Config]\r\nUseUpateThread=1\r\nFirstWaitingTime=0\r\nUpdateInterval=1\r\nInstantOpen=1\r\n");
    ASSERT_TRUE(testing_support::PumpUntil([&] { return PressShortcut() && Rows().size() == 1001; }, 30000));
    Type("F00");
    ClickHeader(0);
    ClickHeader(0);
    ASSERT_EQ(1001u, Rows().size());
    ASSERT_EQ("F002000", Rows()[0].first);
    SelectRow(985);
    const std::string selected = Rows()[985].first;
    ListView_EnsureVisible(List(), 0, FALSE);
    RECT rowRect{};
    ListView_GetItemRect(List(), 0, &rowRect, LVIR_BOUNDS);
    ListView_Scroll(List(), 0, 300 * (rowRect.bottom - rowRect.top));
    ASSERT_EQ(300, ListView_GetTopIndex(List()));
    const std::string top = Rows()[300].first;

    testing_support::MakeDirs(dataFolder, "MB1\\F000101");  // sorts far below the top row
    ASSERT_TRUE(testing_support::PumpUntil([&] { return Rows().size() == 1002; }, 30000)) << "no refresh";
    Pump(200);
    EXPECT_EQ(top, Rows()[ListView_GetTopIndex(List())].first);
    EXPECT_EQ(300, ListView_GetTopIndex(List()));
    ASSERT_GE(SelectedRow(), 0);
    EXPECT_EQ(selected, Rows()[SelectedRow()].first);
    // A keystroke's rows come with nothing selected (without stored rows,
    // from the top).
    SetFocus(GetWindow(Box(), GW_CHILD));
    Type("0");
    EXPECT_EQ(-1, SelectedRow());
    if (VirtualRows()) {
        EXPECT_EQ(0, ListView_GetTopIndex(List()));
    }
    ExitAndUnload();
    EXPECT_EQ(0L, testing_support::FaultsSeen());
}

TEST_P(InstantOpenModes, ARowChosenOrDroppedOnDuringTheRefreshActsOnTheFolderItShowed) {
    for (const char* folder : {"MB1\\Bravo", "MB1\\Charlie", "MB1\\Delta", "MB1\\Echo", "MB1\\Foxtrot"})
        testing_support::MakeDirs(dataFolder, folder);
    HWND mailList = CreateWindowA("STATIC", "mail list", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    standin::Host().windows[2] = mailList;
    StartWithMenu(kInstantIni);
    const long first = standin::Host().textCallsStarted.load();
    ASSERT_TRUE(PressShortcut());
    const auto shown = Rows();
    ASSERT_EQ(5u, shown.size());
    ASSERT_TRUE(WaitForTheOpeningsRebuild(first));
    SendMessageA(Dialog(), WM_CLOSE, 0, 0);
    Pump();  // the dialog manager posts a cancel after the close
    // The first folder in catalogue order goes: every later row moves up by one.
    ASSERT_TRUE(RemoveDirectoryA((dataFolder + "MB1\\" + shown[0].first).c_str()));
    standin::Host().delayMilliseconds = 400;
    const long before = standin::Host().textCallsStarted.load();
    ASSERT_TRUE(PressShortcut());
    ASSERT_EQ(shown, Rows());

    PressKey(VK_TAB);
    SelectRow(2);
    standin::Host().ClearCalls();
    PressKey(VK_RETURN);
    IDropTarget* target = static_cast<IDropTarget*>(GetPropA(List(), "OleDropTargetInterface"));
    ASSERT_NE(nullptr, target);
    testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                         testing_support::MailIndexesBlock(mailList));
    const POINT row = testing_support::RowPoint(List(), 3);
    const POINTL point{row.x, row.y};
    DWORD effect = DROPEFFECT_MOVE;
    target->DragEnter(&data, 0, point, &effect);
    ASSERT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), effect);
    ASSERT_TRUE(WaitForTheOpeningsRebuild(before));
    EXPECT_EQ(shown, Rows()) << "the rows changed under the drag";
    target->Drop(&data, 0, point, &effect);

    const auto chosen = standin::Host().CallsTo("BKA_SetCurrentFolder");
    ASSERT_EQ(1u, chosen.size());
    EXPECT_EQ("MB1\\" + shown[2].first + "\\", chosen[0].text);
    const auto moved = standin::Host().CallsTo("BKA_MoveSelectedMessages");
    ASSERT_EQ(1u, moved.size());
    EXPECT_EQ("MB1\\" + shown[3].first + "\\", moved[0].text);
    // Once the drag has gone the refresh comes, and the selection follows its folder.
    ASSERT_TRUE(testing_support::PumpUntil([&] { return Rows().size() == 4; }, 5000));
    EXPECT_EQ(1, SelectedRow());
    EXPECT_EQ(shown[2].first, Rows()[1].first);
    standin::Host().delayMilliseconds = 0;
    ExitAndUnload();
    EXPECT_EQ(0L, testing_support::FaultsSeen());
    DestroyWindow(mailList);
}
