// Opening, closing and re-showing the dialog, and what each showing holds.
#include "dialog_fixture.h"

#include <commctrl.h>

namespace dialog_test {
namespace {

const std::vector<Row> kAllRows = {{"受信箱", "受信箱"}, {"Work", "Work"}, {"Plans", "Work/Plans"},
                                   {"plan b", "Work/plan b"}, {"Planb", "Planb"}, {"Archive", "Archive"}};

std::string ColumnHeader(HWND list, int column) {
    char text[100] = "";
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = sizeof(text);
    SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
    return text;
}

}  // namespace

TEST_P(ListModeTest, FirstOpenShowsEveryFolderInCatalogueOrderWithTheBoxFocused) {
    Open();
    ASSERT_NE(nullptr, Dialog());
    EXPECT_TRUE(IsWindowVisible(Dialog()));
    EXPECT_EQ(kAllRows, Rows());
    EXPECT_EQ((std::vector<LPARAM>{0, 1, 2, 3, 4, 5}), ItemData());
    EXPECT_EQ("フォルダ名", ColumnHeader(List(), 0));
    EXPECT_EQ("パス", ColumnHeader(List(), 1));
    EXPECT_EQ(-1, SelectedRow());
    EXPECT_EQ(BoxEdit(), GetFocus());
    EXPECT_EQ("", BoxText());
    EXPECT_EQ(1, BuildCount());
    EXPECT_TRUE(SearchDialogMutexExists());
    EXPECT_FALSE(OtherThreadCanTakeFolderListMutex());
    EXPECT_TRUE(tarnwick::SearchDialogExists());
}

TEST_P(ListModeTest, SecondRequestWhileShownKeepsTextRowsSortAndSelection) {
    Open();
    Type("pl");
    ClickHeader(0);
    SelectRow(1);
    const std::vector<Row> before = Rows();
    Open();
    EXPECT_EQ(before, Rows());
    EXPECT_EQ("pl", BoxText());
    EXPECT_EQ(1, SelectedRow());
    EXPECT_EQ(HDF_SORTUP, HeaderFormat(0));
    EXPECT_EQ(1, BuildCount());
    // One close still ends the showing.
    PressKey(VK_TAB);
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Dialog()));
    EXPECT_FALSE(SearchDialogMutexExists());
    EXPECT_TRUE(OtherThreadCanTakeFolderListMutex());
}

TEST_P(ListModeTest, ReshowGivesTheSameWindowWithAFreshCatalogueAndNoSort) {
    Open();
    const HWND first = Dialog();
    Type("pl");
    ClickHeader(1);
    tarnwick::AddQueryToHistory(first);
    PressKey(VK_TAB);
    PressKey(VK_ESCAPE);
    ASSERT_FALSE(IsWindowVisible(first));
    EXPECT_TRUE(OtherThreadCanTakeFolderListMutex());

    NextCatalogue().push_back(Folder("New", "New"));
    Open();
    EXPECT_EQ(first, Dialog());
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_EQ(2, BuildCount());
    ASSERT_EQ(7u, Rows().size());
    EXPECT_EQ(Row("New", "New"), Rows().back());
    EXPECT_EQ("", BoxText());
    EXPECT_EQ(BoxEdit(), GetFocus());
    EXPECT_EQ(0, HeaderFormat(0));
    EXPECT_EQ(0, HeaderFormat(1));
    EXPECT_EQ(std::vector<std::string>{"pl"}, History());
    EXPECT_FALSE(OtherThreadCanTakeFolderListMutex());
}

TEST_F(SearchDialogTest, CaptionCloseReleasesTheLocksOnceAndTwoShowingsLeaveNoOwnership) {
    for (int showing = 0; showing < 2; ++showing) {
        Open();
        ASSERT_TRUE(IsWindowVisible(Dialog()));
        // The dialog manager follows WM_CLOSE with IDCANCEL.
        SendMessageA(Dialog(), WM_CLOSE, 0, 0);
        SendMessageA(Dialog(), WM_COMMAND, IDCANCEL, 0);
        Pump();
        EXPECT_FALSE(IsWindowVisible(Dialog()));
        EXPECT_FALSE(SearchDialogMutexExists());
        EXPECT_TRUE(OtherThreadCanTakeFolderListMutex()) << "showing " << showing;
    }
    EXPECT_EQ(2, BuildCount());
}

TEST_P(ListModeTest, CloseStoresSizeAndColumnWidthsAndReshowUsesThem) {
    Open();
    RECT rect{};
    GetWindowRect(Dialog(), &rect);
    MoveWindow(Dialog(), rect.left, rect.top, 500, 420, TRUE);
    SendMessageA(List(), LVM_SETCOLUMNWIDTH, 0, 123);
    SendMessageA(List(), LVM_SETCOLUMNWIDTH, 1, 77);
    PressKey(VK_ESCAPE);
    ASSERT_FALSE(IsWindowVisible(Dialog()));
    const tarnwick::WindowSettings& saved = tarnwick::Config().window;
    EXPECT_EQ(500, saved.width);
    EXPECT_EQ(420, saved.height);
    EXPECT_EQ(123, saved.column0);
    EXPECT_EQ(77, saved.column1);
    Open();
    EXPECT_EQ(123, SendMessageA(List(), LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_EQ(77, SendMessageA(List(), LVM_GETCOLUMNWIDTH, 1, 0));
    RECT after{};
    GetWindowRect(Dialog(), &after);
    EXPECT_EQ(rect.left, after.left);
    EXPECT_EQ(500, after.right - after.left);
}

TEST_F(SearchDialogTest, SavedSizeIsAppliedAtCreationKeepingTheCentredCorner) {
    UseIni("[Window]\r\nWidth=600\r\nHeight=500\r\nColumn0=90\r\nColumn1=0\r\n");
    Open();
    RECT rect{};
    GetWindowRect(Dialog(), &rect);
    EXPECT_EQ(600, rect.right - rect.left);
    EXPECT_EQ(500, rect.bottom - rect.top);
    EXPECT_EQ(90, SendMessageA(List(), LVM_GETCOLUMNWIDTH, 0, 0));
    // The list follows the window: bottom margin equals the box's left margin.
    RECT client{}, list{}, box{};
    GetClientRect(Dialog(), &client);
    GetWindowRect(List(), &list);
    GetWindowRect(Box(), &box);
    MapWindowPoints(HWND_DESKTOP, Dialog(), reinterpret_cast<POINT*>(&list), 2);
    MapWindowPoints(HWND_DESKTOP, Dialog(), reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(client.right - box.left, list.right);
    EXPECT_EQ(client.bottom - box.left, list.bottom);
    EXPECT_EQ(client.right - box.left, box.right);
}

TEST_F(SearchDialogTest, EmptyIniGivesTemplateSizeAsSavedSize) {
    Open();
    RECT rect{};
    GetWindowRect(Dialog(), &rect);
    EXPECT_EQ(rect.right - rect.left, tarnwick::Config().window.width);
    EXPECT_EQ(rect.bottom - rect.top, tarnwick::Config().window.height);
    EXPECT_GT(tarnwick::Config().window.width, 0);
}

TEST_F(SearchDialogTest, MinimizedSizeLeavesTheControlsAlone) {
    Open();
    RECT before{};
    GetWindowRect(List(), &before);
    tarnwick::LayoutSearchDialog(Dialog(), SIZE_MINIMIZED);
    RECT after{};
    GetWindowRect(List(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(SearchDialogTest, ModalDialogDisablesTheOwnerUntilCloseAndNotAgainOnReshow) {
    UseIni("[Config]\r\nDialogMode=1\r\nModalDialog=1\r\n");
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    Open(owner);
    EXPECT_EQ(owner, GetWindow(Dialog(), GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(owner));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(IsWindowEnabled(owner));
    Open(owner);
    EXPECT_TRUE(IsWindowVisible(Dialog()));
    EXPECT_TRUE(IsWindowEnabled(owner));
    tarnwick::DestroySearchDialog();
    DestroyWindow(owner);
}

TEST_F(SearchDialogTest, WithoutDialogModeTheDialogHasNoOwnerAndModalDisablesNothing) {
    UseIni("[Config]\r\nDialogMode=0\r\nModalDialog=1\r\n");
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    Open(owner);
    EXPECT_EQ(nullptr, GetWindow(Dialog(), GW_OWNER));
    EXPECT_TRUE(IsWindowEnabled(owner));
    tarnwick::DestroySearchDialog();
    DestroyWindow(owner);
}

TEST_F(SearchDialogTest, FailedCreationLetsALaterRequestOpenTheDialog) {
    tarnwick::SetPluginModule(GetModuleHandleA("kernel32.dll"));  // has no template 101
    tarnwick::OpenSearchDialog(nullptr, 0);
    EXPECT_FALSE(tarnwick::SearchDialogExists());
    EXPECT_FALSE(SearchDialogMutexExists());
    EXPECT_TRUE(OtherThreadCanTakeFolderListMutex());
    tarnwick::SetPluginModule(GetModuleHandleA(nullptr));
    Open();
    EXPECT_NE(nullptr, Dialog());
    EXPECT_TRUE(IsWindowVisible(Dialog()));
}

TEST_F(SearchDialogTest, AShowingWhoseBuildRunsOutOfMemoryGivesItsLocksBackAndTheNextOpens) {
    // At the first creation, then at a re-show.
    for (int showing = 0; showing < 2; ++showing) {
        FailNextBuild();
        Open();
        ASSERT_TRUE(tarnwick::SearchDialogExists()) << "showing " << showing;
        EXPECT_FALSE(IsWindowVisible(Dialog())) << "showing " << showing;
        EXPECT_FALSE(SearchDialogMutexExists()) << "showing " << showing;
        EXPECT_TRUE(OtherThreadCanTakeFolderListMutex()) << "showing " << showing;
        Open();
        EXPECT_TRUE(IsWindowVisible(Dialog())) << "showing " << showing;
        EXPECT_EQ(kAllRows, Rows()) << "showing " << showing;
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(OtherThreadCanTakeFolderListMutex()) << "showing " << showing;
    }
}

TEST_P(ListModeTest, DestroyRemovesTheWindowAndTheHook) {
    Open();
    HWND dialog = Dialog();
    tarnwick::DestroySearchDialog();
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_FALSE(tarnwick::SearchDialogExists());
    EXPECT_EQ(nullptr, tarnwick::DialogState().hook.get());
    // Keys for other windows pass untouched and nothing faults.
    EXPECT_EQ("ab", TypeIntoOtherWindow("ab"));
}

}  // namespace dialog_test
