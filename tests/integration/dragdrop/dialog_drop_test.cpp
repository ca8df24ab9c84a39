// Mails dragged with OLE's own drag loop onto the real search dialog of the
// loaded plug-in.
#include "support/drag_support.h"
#include "support/migemo_support.h"
#include "support/plugin_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using testing_support::PluginHostTest;
using testing_support::PumpMessagesFor;

namespace {

constexpr char kDialogCaption[] = "フォルダ検索";
constexpr int kSearchBox = 1001;
constexpr int kResultList = 1002;


class DialogDropTest : public PluginHostTest {
protected:
    void SetUp() override {
        PluginHostTest::SetUp();
        for (const char* folder : {"MB1\\!!!!Inbox", "MB1\\Work\\Plans", "MB1\\Work\\Planning", "MB1\\Archive"}) {
            testing_support::MakeDirs(dataFolder, folder);
        }
        for (const char* folder : extraFolders) testing_support::MakeDirs(dataFolder, folder);
        standin::Host().mailboxDisplayNames["MB2\\"] = "Work/";
        WriteIni(ini);
        BeforeStart();
        mainWindow = CreateWindowA("STATIC", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        mailList = CreateWindowA("STATIC", "mail list", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        standin::Host().windows[0] = mainWindow;
        standin::Host().windows[2] = mailList;
        StartPlugin();
        menu = testing_support::MakeHostMenu();
        plugin.OnMenuInit(mainWindow, menu, 0);
        ASSERT_EQ(1, plugin.OnKeyDispatch(nullptr, 'F', 96));
        PumpMessagesFor(100);
        dialog = FindWindowA("#32770", kDialogCaption);
        ASSERT_NE(nullptr, dialog);
        list = GetDlgItem(dialog, kResultList);
        box = GetDlgItem(dialog, kSearchBox);
        ASSERT_TRUE(list && box);
    }

    void TearDown() override {
        if (plugin.loaded()) ExitAndUnload();
        EXPECT_EQ(0, testing_support::FaultsSeen());
        DestroyMenu(menu);
        DestroyWindow(mailList);
        DestroyWindow(mainWindow);
        PluginHostTest::TearDown();
    }

    void Type(const std::string& text) {
        HWND edit = GetWindow(box, GW_CHILD);
        SetFocus(edit);
        for (char c : text) {
            PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
            PumpMessagesFor(5);
        }
        PumpMessagesFor(50);
    }

    std::vector<std::string> RowNames() const {
        std::vector<std::string> names;
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            char text[260] = "";
            ListView_GetItemText(list, row, 0, text, sizeof(text));
            names.push_back(text);
        }
        return names;
    }

    std::vector<std::string> History() const { return testing_support::ComboBoxItems(box); }

    // What a case puts beside the plug-in before it starts.
    virtual void BeforeStart() {}

    bool AnyRowHighlighted() const {
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            if (ListView_GetItemState(list, row, LVIS_DROPHILITED)) return true;
        }
        return false;
    }

    testing_support::DragOutcome Drag(IDataObject* data, const std::vector<POINT>& path) {
        // The drag runs on this thread, whose OLE the dialog initialised.
        return testing_support::DragThrough(data, path, DROPEFFECT_MOVE | DROPEFFECT_COPY);
    }

    std::string ini = "[Config]\r\nUseUpateThread=0\r\n";
    std::vector<const char*> extraFolders;
    HWND mainWindow = nullptr;
    HWND mailList = nullptr;
    HMENU menu = nullptr;
    HWND dialog = nullptr;
    HWND list = nullptr;
    HWND box = nullptr;
};

using DialogDropModes = testing_support::WithConfigKeys<DialogDropTest>;
INSTANTIATE_TEST_SUITE_P(ListModes, DialogDropModes, testing_support::ListModes(), testing_support::ConfigKeysName);
// The drops themselves under every key set: "plan" lists the same two
// folders by name, path, word, rank group or score.
class DialogDropKeySets : public DialogDropModes {
protected:
    std::vector<std::string> TypePlan() {
        opening = RowNames();
        Type("plan");
        std::vector<std::string> rows = RowNames();
        std::vector<std::string> sorted = rows;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ((std::vector<std::string>{"Planning", "Plans"}), sorted);
        return rows;
    }
    // With an empty box again: the folder dropped on first with
    // "RecentFolders", else the rows as the dialog opened.
    void ExpectEmptyQueryRowsAfterDropOn(const std::string& folder) {
        // The query selected and erased with Backspace, as a user would.
        HWND edit = GetWindow(box, GW_CHILD);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        const LPARAM scan = MapVirtualKeyA(VK_BACK, MAPVK_VK_TO_VSC) << 16;
        PostMessageA(edit, WM_KEYDOWN, VK_BACK, 1 | scan);
        PostMessageA(edit, WM_KEYUP, VK_BACK, 1 | scan | 0xC0000000u);
        PumpMessagesFor(50);
        ASSERT_EQ(0, GetWindowTextLengthA(box));
        std::vector<std::string> expected = opening;
        if (KeyOn("RecentFolders")) {
            const auto dropped = std::find(expected.begin(), expected.end(), folder);
            ASSERT_NE(expected.end(), dropped) << folder;
            expected.erase(dropped);
            expected.insert(expected.begin(), folder);
        }
        EXPECT_EQ(expected, RowNames());
    }
    std::vector<std::string> opening;
};
INSTANTIATE_TEST_SUITE_P(KeySets, DialogDropKeySets, testing_support::KeySets(), testing_support::ConfigKeysName);

TEST_P(DialogDropKeySets, DropOnARowOfTheFilteredListMovesThereAndRecordsTheQuery) {
    const std::vector<std::string> rows = TypePlan();
    ASSERT_EQ(2u, rows.size());
    testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                         testing_support::MailIndexesBlock(mailList));

    const testing_support::DragOutcome outcome =
        Drag(&data, {testing_support::RowPoint(list, 0), testing_support::RowPoint(list, 1)});
    PumpMessagesFor(50);
    EXPECT_EQ(DRAGDROP_S_DROP, outcome.result);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), outcome.effect);
    const std::vector<standin::HostCall> moves = standin::Host().CallsTo("BKA_MoveSelectedMessages");
    ASSERT_EQ(1u, moves.size());
    EXPECT_EQ("MB1\\Work\\" + rows[1] + "\\", moves[0].text);
    EXPECT_EQ(0, moves[0].number);
    EXPECT_TRUE(standin::Host().CallsTo("BKA_SetCurrentFolder").empty());

    EXPECT_EQ(std::vector<std::string>{"plan"}, History());
    EXPECT_EQ(list, GetFocus());
    EXPECT_FALSE(AnyRowHighlighted());
    EXPECT_EQ(rows, RowNames());
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(data.mediaHandedOut(), data.mediaReleased());
    ExpectEmptyQueryRowsAfterDropOn(rows[1]);
}

// "MatchMigemo" with each migemo.dll this build can load (in a 32-bit build
// both conventions) beside the plug-in: the Japanese folder that romaji
// found takes the drop.
class RomajiDropTest : public DialogDropTest, public ::testing::WithParamInterface<const char*> {
protected:
    RomajiDropTest() {
        ini = "[Config]\r\nUseUpateThread=0\r\nMatchMigemo=1\r\nRankMatches=1\r\n";
        extraFolders = {"MB1\\Work\\受信メモ"};
    }
    void BeforeStart() override { ASSERT_TRUE(migemo_testing::InstallBeside(pluginFolder, GetParam())); }
};
INSTANTIATE_TEST_SUITE_P(Variants, RomajiDropTest, ::testing::ValuesIn(migemo_testing::kOwnVariants),
                         migemo_testing::VariantName);

TEST_P(RomajiDropTest, DropOnTheFolderRomajiFoundMovesThere) {
    Type("jushin");
    ASSERT_TRUE(testing_support::PumpUntil([this] { return !RowNames().empty(); }, 60000)) << "the dictionary never came";
    ASSERT_EQ((std::vector<std::string>{"受信箱", "受信メモ"}), RowNames());
    testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                         testing_support::MailIndexesBlock(mailList));
    Drag(&data, {testing_support::RowPoint(list, 0), testing_support::RowPoint(list, 1)});
    PumpMessagesFor(50);
    const std::vector<standin::HostCall> moves = standin::Host().CallsTo("BKA_MoveSelectedMessages");
    ASSERT_EQ(1u, moves.size());
    EXPECT_EQ("MB1\\Work\\受信メモ\\", moves[0].text);
    EXPECT_EQ(std::vector<std::string>{"jushin"}, History());
}

// "AllMailboxes": a second mailbox beside the current one.
class AllMailboxesDropTest : public DialogDropTest {
protected:
    AllMailboxesDropTest() {
        ini = "[Config]\r\nUseUpateThread=0\r\nAllMailboxes=1\r\n";
        extraFolders = {"MB2\\Lists\\Planet"};
    }
    int RowNamed(const std::string& name) const {
        const std::vector<std::string> names = RowNames();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return static_cast<int>(i);
        return -1;
    }
    std::vector<std::string> MailboxAndFolderCalls() const {
        std::vector<std::string> calls;
        for (const standin::HostCall& call : standin::Host().Calls()) {
            if (call.function == "BKA_SetCurrentMailBox" || call.function == "BKA_SetCurrentFolder")
                calls.push_back(call.function + " " + call.text);
        }
        return calls;
    }
    void ChooseWithEnter(int row) {
        testing_support::SelectListRow(list, row);
        SetFocus(list);
        const UINT scan = MapVirtualKeyA(VK_RETURN, MAPVK_VK_TO_VSC);
        PostMessageA(list, WM_KEYDOWN, VK_RETURN, 1 | (scan << 16));
        PostMessageA(list, WM_KEYUP, VK_RETURN, 1 | (scan << 16) | 0xC0000000u);
        PumpMessagesFor(50);
    }
};

using AllMailboxesDropModes = testing_support::WithConfigKeys<AllMailboxesDropTest>;
INSTANTIATE_TEST_SUITE_P(ListModes, AllMailboxesDropModes, testing_support::ListModes(),
                         testing_support::ConfigKeysName);

TEST_P(AllMailboxesDropModes, DropIntoTheOtherMailboxMovesThereAndChoosingSwitchesTheMailboxFirst) {
    Type("plan");
    const int planet = RowNamed("Planet");
    ASSERT_EQ(2, planet) << "the current mailbox's two folders, then the other's";
    char path[260] = "";
    ListView_GetItemText(list, planet, 1, path, sizeof(path));
    EXPECT_STREQ("Work/Lists/Planet", path) << "the host's whole display name";
    testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                         testing_support::MailIndexesBlock(mailList));
    Drag(&data, {testing_support::RowPoint(list, 0), testing_support::RowPoint(list, planet)});
    PumpMessagesFor(50);
    const std::vector<standin::HostCall> moves = standin::Host().CallsTo("BKA_MoveSelectedMessages");
    ASSERT_EQ(1u, moves.size());
    EXPECT_EQ("MB2\\Lists\\Planet\\", moves[0].text);
    EXPECT_TRUE(MailboxAndFolderCalls().empty()) << "a drop moves mails across mailboxes without a switch";

    ChooseWithEnter(planet);
    ChooseWithEnter(0);
    EXPECT_EQ((std::vector<std::string>{"BKA_SetCurrentMailBox MB2\\", "BKA_SetCurrentFolder MB2\\Lists\\Planet\\",
                                        "BKA_SetCurrentMailBox MB1\\",
                                        "BKA_SetCurrentFolder MB1\\Work\\" + RowNames()[0] + "\\"}),
              MailboxAndFolderCalls());
    EXPECT_EQ("MB1\\", standin::Host().CurrentMailBox());
}

TEST_P(DialogDropModes, DropOverTheEmptyAreaMovesNothingAndKeepsTheHistory) {
    Type("plan");
    testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                         testing_support::MailIndexesBlock(mailList));
    Drag(&data, {testing_support::RowPoint(list, 0), testing_support::EmptyAreaPoint(list)});
    PumpMessagesFor(50);
    EXPECT_TRUE(standin::Host().CallsTo("BKA_MoveSelectedMessages").empty());
    EXPECT_TRUE(History().empty());
    EXPECT_FALSE(AnyRowHighlighted());
}

TEST_P(DialogDropModes, MailsOfAnotherHostWindowAreRefused) {
    testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                         testing_support::MailIndexesBlock(mainWindow));
    const testing_support::DragOutcome outcome =
        Drag(&data, {testing_support::RowPoint(list, 0), testing_support::RowPoint(list, 2)});
    PumpMessagesFor(50);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), outcome.effect);
    EXPECT_TRUE(standin::Host().CallsTo("BKA_MoveSelectedMessages").empty());
    EXPECT_FALSE(AnyRowHighlighted());
}

}  // namespace

namespace {

// Ctrl held for the whole drag, as the drag loop reads the keyboard state.
class HeldControlKey {
public:
    HeldControlKey() { SetControl(0x80); }
    ~HeldControlKey() { SetControl(0); }

private:
    static void SetControl(BYTE state) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = state;
        SetKeyboardState(keys);
    }
};

TEST_P(DialogDropKeySets, DropWithCtrlCopiesIntoTheRowsFolder) {
    const std::vector<std::string> rows = TypePlan();
    ASSERT_EQ(2u, rows.size());
    testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                         testing_support::MailIndexesBlock(mailList));
    testing_support::DragOutcome outcome;
    {
        HeldControlKey control;
        outcome = Drag(&data, {testing_support::RowPoint(list, 1), testing_support::RowPoint(list, 0)});
    }
    PumpMessagesFor(50);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), outcome.effect);
    const std::vector<standin::HostCall> moves = standin::Host().CallsTo("BKA_MoveSelectedMessages");
    ASSERT_EQ(1u, moves.size());
    EXPECT_EQ("MB1\\Work\\" + rows[0] + "\\", moves[0].text);
    EXPECT_EQ(1, moves[0].number);
    ExpectEmptyQueryRowsAfterDropOn(rows[0]);
}

}  // namespace

// The host's exit and unload, run by a host timer once the drag highlights a
// row: OLE's drag loop dispatches it while the drag goes on.
class DragOutlivesThePlugin : public DialogDropTest {
public:
    static inline DragOutlivesThePlugin* g_exitingTest = nullptr;
    static inline bool g_exitedDuringDrag = false;

    static void CALLBACK ExitWhenARowIsHighlighted(HWND, UINT, UINT_PTR, DWORD) {
        if (g_exitedDuringDrag || !g_exitingTest || !g_exitingTest->AnyRowHighlighted()) return;
        g_exitedDuringDrag = true;
        g_exitingTest->ExitAndUnload();
    }
};

using DragOutlivesModes = testing_support::WithConfigKeys<DragOutlivesThePlugin>;
INSTANTIATE_TEST_SUITE_P(ListModes, DragOutlivesModes, testing_support::ListModes(), testing_support::ConfigKeysName);

TEST_P(DragOutlivesModes, ExitAndUnloadDuringADragLeaveItToEndWithoutAMove) {
    testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                         testing_support::MailIndexesBlock(mailList));
    const std::vector<POINT> path = {testing_support::RowPoint(list, 0), testing_support::RowPoint(list, 1),
                                     testing_support::RowPoint(list, 0), testing_support::RowPoint(list, 2)};
    g_exitingTest = this;
    g_exitedDuringDrag = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &ExitWhenARowIsHighlighted);
    const testing_support::DragOutcome outcome = Drag(&data, path);
    KillTimer(nullptr, timer);
    g_exitingTest = nullptr;

    ASSERT_TRUE(g_exitedDuringDrag) << "no row was highlighted during the drag";
    EXPECT_FALSE(plugin.loaded());
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), outcome.effect);
    EXPECT_TRUE(standin::Host().CallsTo("BKA_MoveSelectedMessages").empty());
    // The drop target's last release gives the plug-in's code back.
    EXPECT_TRUE(testing_support::PumpUntil([&] { return !GetModuleHandleA(dllPath.c_str()); }, 5000));
    PumpMessagesFor(300);
    EXPECT_EQ(data.mediaHandedOut(), data.mediaReleased());
}

// What OLE's drag loop does with the target it holds, whatever its own
// implementation: the calls after an exit and unload reach a target that
// answers "no drop", and its last release gives the plug-in's code back once
// the releasing thread has returned to its message loop.
TEST_P(DragOutlivesModes, TargetHeldAcrossExitAndUnloadAnswersNoDrop) {
    auto* target = static_cast<IDropTarget*>(GetPropA(list, "OleDropTargetInterface"));
    ASSERT_NE(nullptr, target);
    target->AddRef();
    testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                         testing_support::MailIndexesBlock(mailList));
    const POINT row = testing_support::RowPoint(list, 0);
    const POINTL at{row.x, row.y};
    DWORD effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
    ASSERT_EQ(S_OK, target->DragEnter(&data, 0, at, &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), effect);
    EXPECT_TRUE(AnyRowHighlighted());

    ExitAndUnload();
    EXPECT_TRUE(GetModuleHandleA(dllPath.c_str())) << "the held target keeps the code mapped";
    effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, target->DragOver(0, at, &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
    effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, target->Drop(&data, MK_CONTROL, at, &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
    EXPECT_EQ(S_OK, target->DragLeave());
    target->Release();
    // Until the releasing thread is back in a message loop it may still be
    // inside the plug-in's code (descheduled on its way out of Release): no
    // time limit may unmap it meanwhile.
    Sleep(1500);
    EXPECT_TRUE(GetModuleHandleA(dllPath.c_str())) << "unmapped while the releasing thread had not come back";
    EXPECT_TRUE(standin::Host().CallsTo("BKA_MoveSelectedMessages").empty());
    EXPECT_TRUE(testing_support::PumpUntil([&] { return !GetModuleHandleA(dllPath.c_str()); }, 5000));
    EXPECT_EQ(data.mediaHandedOut(), data.mediaReleased());
}

// OLE's calls for 1,000 drags over the real dialog's list, half of them
// dropped: the process holds no more handles, windows or memory afterwards.
TEST_P(DialogDropModes, ThousandSimulatedDragsLeaveNothingBehind) {
    auto* target = static_cast<IDropTarget*>(GetPropA(list, "OleDropTargetInterface"));
    ASSERT_NE(nullptr, target);
    testing_support::TestDataObject data(testing_support::MailIndexesFormat(),
                                         testing_support::MailIndexesBlock(mailList));
    const int rows = ListView_GetItemCount(list);
    ASSERT_GT(rows, 0);
    const auto drag = [&](int i) {
        target->AddRef();
        const POINT row = testing_support::RowPoint(list, i % rows);
        const POINTL at{row.x, row.y};
        DWORD effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
        target->DragEnter(&data, 0, at, &effect);
        target->DragOver(i % 3 ? 0 : MK_CONTROL, at, &effect);
        if (i % 2) {
            target->Drop(&data, 0, at, &effect);
        } else {
            target->DragLeave();
        }
        target->Release();
        if (i % 50 == 0) PumpMessagesFor(1);
    };
    for (int i = 0; i < 50; ++i) drag(i);
    const testing_support::ResourceCounts before = testing_support::CountResources();
    const long drops = 1000;
    for (int i = 0; i < drops; ++i) drag(i);
    PumpMessagesFor(50);
    const testing_support::ResourceCounts after = testing_support::CountResources();
    std::printf("drags=%ld handles %lu->%lu user %lu->%lu private %lu->%lu KiB\n", drops, before.handles,
                after.handles, before.userObjects, after.userObjects,
                static_cast<unsigned long>(before.privateBytes / 1024),
                static_cast<unsigned long>(after.privateBytes / 1024));
    EXPECT_EQ(525u, standin::Host().CallsTo("BKA_MoveSelectedMessages").size());
    EXPECT_EQ(data.mediaHandedOut(), data.mediaReleased());
    EXPECT_LE(after.handles, before.handles + 4);
    EXPECT_LE(after.userObjects, before.userObjects);
    // The host's own call log grows by one entry per drop.
    EXPECT_LE(after.privateBytes, before.privateBytes + 2u * 1024 * 1024);
}
