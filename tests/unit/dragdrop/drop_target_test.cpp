#include "dragdrop/drop_target.h"

#include "catalogue/catalogue.h"
#include "dialog/dialog_state.h"
#include "dialog/history.h"
#include "host_model.h"
#include "binding/host_api.h"
#include "support/drag_support.h"
#include "support/fuzz.h"
#include "support/test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using testing_support::EmptyAreaPoint;
using testing_support::MailIndexesBlock;
using testing_support::MailIndexesFormat;
using testing_support::RowPoint;
using testing_support::TestDataObject;
using tarnwick::CDropTarget;

namespace {

const char* const kFolderIds[] = {"MB1\\!!!!Inbox\\", "MB1\\Work\\", "MB1\\Work\\Plans\\", "MB1\\Trash\\",
                                  "MB1\\Archive\\"};

LONG g_setItemStateMessages = 0;
WNDPROC g_listProcedure = nullptr;

LRESULT CALLBACK CountingListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LVM_SETITEMSTATE) ++g_setItemStateMessages;
    return CallWindowProcA(g_listProcedure, window, message, wParam, lParam);
}

// The drop target as the dialog makes it.
const tarnwick::DropSite kDialogSite{&tarnwick::FolderIdOfRow, &tarnwick::RecordQueryAfterDrop};

POINTL Pointl(POINT point) { return POINTL{point.x, point.y}; }

class DropTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        standin::ResetHost();
        tarnwick::HostApi() = tarnwick::CHostApi{};
        ASSERT_TRUE(tarnwick::BindHostApiTo(GetModuleHandle(nullptr)));

        WNDCLASSA frameClass{};
        frameClass.lpfnWndProc = DefWindowProcA;
        frameClass.hInstance = GetModuleHandle(nullptr);
        frameClass.lpszClassName = "DropTestFrame";
        RegisterClassA(&frameClass);
        mailList = CreateWindowA("DropTestFrame", "host mail list", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
        frame = CreateWindowA("DropTestFrame", "drop test", WS_POPUP | WS_VISIBLE, 200, 150, 420, 320, nullptr,
                              nullptr, nullptr, nullptr);
        list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 400,
                             300, frame, reinterpret_cast<HMENU>(1002), nullptr, nullptr);
        ASSERT_NE(nullptr, list);
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.cx = 300;
        column.pszText = const_cast<char*>("folder");
        ListView_InsertColumn(list, 0, &column);
        standin::Host().windows[2] = mailList;

        tarnwick::CreateFolderList();
        for (const char* id : kFolderIds) {
            tarnwick::FolderRecord record;
            record.name = record.searchKey = record.folderId = id;
            tarnwick::SharedFolderList()->push_back(record);
        }
        // The rows point into the shared catalogue, as after the dialog's fill.
        tarnwick::DialogState().rowSource = tarnwick::SharedFolderList();
        ShowRecords({0, 1, 2, 3});
        testing_support::PumpMessagesFor(50);
    }

    void TearDown() override {
        if (target) target->Release();
        DestroyWindow(frame);
        DestroyWindow(mailList);
        tarnwick::DialogState().rowSource = nullptr;
        tarnwick::DestroyFolderList();
    }

    // Rows as a filter leaves them: each carries its record's position.
    void ShowRecords(const std::vector<int>& positions) {
        ListView_DeleteAllItems(list);
        for (int position : positions) {
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = ListView_GetItemCount(list);
            item.pszText = const_cast<char*>(kFolderIds[position]);
            item.lParam = position;
            ListView_InsertItem(list, &item);
        }
    }

    std::vector<int> HighlightedRows() const {
        std::vector<int> rows;
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            if (ListView_GetItemState(list, row, LVIS_DROPHILITED) & LVIS_DROPHILITED) rows.push_back(row);
        }
        return rows;
    }

    CDropTarget* MakeTarget() {
        target = new CDropTarget(list, kDialogSite);
        return target;
    }

    DWORD Enter(TestDataObject& data, POINT at, DWORD keyState = 0) {
        DWORD effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
        EXPECT_EQ(S_OK, target->DragEnter(&data, keyState, Pointl(at), &effect));
        return effect;
    }
    DWORD Over(POINT at, DWORD keyState = 0) {
        DWORD effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
        EXPECT_EQ(S_OK, target->DragOver(keyState, Pointl(at), &effect));
        return effect;
    }
    DWORD DropAt(TestDataObject& data, POINT at, DWORD keyState = 0) {
        DWORD effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
        EXPECT_EQ(S_OK, target->Drop(&data, keyState, Pointl(at), &effect));
        return effect;
    }

    std::vector<standin::HostCall> Moves() const { return standin::Host().CallsTo("BKA_MoveSelectedMessages"); }

    HWND mailList = nullptr;
    HWND frame = nullptr;
    HWND list = nullptr;
    CDropTarget* target = nullptr;
};

TEST_F(DropTargetTest, ReferencesCountFromOneAndOnlyTheTwoInterfacesAreGiven) {
    CDropTarget* made = new CDropTarget(list, kDialogSite);
    EXPECT_EQ(1u, standin::Host().CallsTo("BKA_GetWindowHandles").size());
    EXPECT_EQ(2u, made->AddRef());
    EXPECT_EQ(1u, made->Release());

    void* asked = nullptr;
    EXPECT_EQ(S_OK, made->QueryInterface(IID_IDropTarget, &asked));
    EXPECT_EQ(static_cast<IDropTarget*>(made), asked);
    EXPECT_EQ(S_OK, made->QueryInterface(IID_IUnknown, &asked));
    EXPECT_EQ(static_cast<IUnknown*>(made), asked);
    EXPECT_EQ(2u, made->Release());
    EXPECT_EQ(1u, made->Release());

    asked = made;
    EXPECT_EQ(E_NOINTERFACE, made->QueryInterface(IID_IDataObject, &asked));
    EXPECT_EQ(nullptr, asked);
    EXPECT_EQ(E_NOINTERFACE, made->QueryInterface(IID_IDropSource, &asked));
    EXPECT_EQ(nullptr, asked);
    EXPECT_EQ(0u, made->Release());
}

struct EffectCase {
    DWORD keyState;
    DWORD effect;
};

class DropTargetEffectTest : public DropTargetTest, public ::testing::WithParamInterface<EffectCase> {};

TEST_P(DropTargetEffectTest, AcceptedMailsShowMoveOrWithCtrlCopy) {
    MakeTarget();
    TestDataObject data(MailIndexesFormat(), MailIndexesBlock(mailList));
    DWORD effect = DROPEFFECT_LINK;  // what the source allows is not consulted
    EXPECT_EQ(S_OK, target->DragEnter(&data, GetParam().keyState, Pointl(RowPoint(list, 1)), &effect));
    EXPECT_EQ(GetParam().effect, effect);
    EXPECT_EQ(GetParam().effect, Over(RowPoint(list, 2), GetParam().keyState));
    EXPECT_EQ(std::vector<int>{2}, HighlightedRows());
    EXPECT_TRUE(data.requestsWellFormed());
    EXPECT_EQ(2, data.mediaHandedOut());
    EXPECT_EQ(2, data.mediaReleased());
    EXPECT_EQ(0, data.references());  // the target keeps no reference of its own
}

INSTANTIATE_TEST_SUITE_P(KeyStates, DropTargetEffectTest,
                         ::testing::Values(EffectCase{0, DROPEFFECT_MOVE}, EffectCase{MK_LBUTTON, DROPEFFECT_MOVE},
                                           EffectCase{MK_SHIFT | MK_LBUTTON, DROPEFFECT_MOVE},
                                           EffectCase{MK_CONTROL, DROPEFFECT_COPY},
                                           EffectCase{MK_CONTROL | MK_LBUTTON, DROPEFFECT_COPY}));

TEST_F(DropTargetTest, CtrlPressedDuringTheDragSwitchesTheEffectAtTheNextMove) {
    MakeTarget();
    TestDataObject data(MailIndexesFormat(), MailIndexesBlock(mailList));
    EXPECT_EQ(DROPEFFECT_MOVE, Enter(data, RowPoint(list, 0), MK_LBUTTON));
    EXPECT_EQ(DROPEFFECT_COPY, Over(RowPoint(list, 0), MK_LBUTTON | MK_CONTROL));
    EXPECT_EQ(DROPEFFECT_MOVE, Over(RowPoint(list, 0), MK_LBUTTON));
}

enum class Refusal { OtherWindow, ForeignFormat, TwoByteBlock, DiscardedBlock, GetDataFails };

struct RefusalCase {
    const char* name;
    Refusal refusal;
};

class DropTargetRefusalTest : public DropTargetTest, public ::testing::WithParamInterface<RefusalCase> {
protected:
    void Spoil(TestDataObject& data) {
        const std::string good = MailIndexesBlock(mailList);
        switch (GetParam().refusal) {
            case Refusal::OtherWindow: data.Offer(MailIndexesFormat(), MailIndexesBlock(frame)); break;
            case Refusal::ForeignFormat: data.Offer(CF_TEXT, good); break;
            case Refusal::TwoByteBlock: data.Offer(MailIndexesFormat(), good.substr(0, 2)); break;
            case Refusal::DiscardedBlock:
                data.Offer(MailIndexesFormat(), good, TestDataObject::Block::Discarded);
                break;
            case Refusal::GetDataFails: data.FailWith(E_UNEXPECTED); break;
        }
    }
};

TEST_P(DropTargetRefusalTest, ShowsNoDropAndHighlightsNothing) {
    MakeTarget();
    TestDataObject data(MailIndexesFormat(), MailIndexesBlock(mailList));
    Spoil(data);
    EXPECT_EQ(DROPEFFECT_NONE, Enter(data, RowPoint(list, 1)));
    EXPECT_EQ(DROPEFFECT_NONE, Enter(data, RowPoint(list, 2), MK_CONTROL));
    EXPECT_EQ(DROPEFFECT_NONE, Over(EmptyAreaPoint(list)));
    EXPECT_TRUE(HighlightedRows().empty());
    EXPECT_EQ(-1, target->HighlightedRow());
    EXPECT_EQ(data.mediaHandedOut(), data.mediaReleased());
}

TEST_P(DropTargetRefusalTest, LeavesTheHighlightOfTheLastAcceptedMove) {
    MakeTarget();
    TestDataObject data(MailIndexesFormat(), MailIndexesBlock(mailList));
    EXPECT_EQ(DROPEFFECT_MOVE, Enter(data, RowPoint(list, 0)));
    Spoil(data);
    EXPECT_EQ(DROPEFFECT_NONE, Over(RowPoint(list, 2)));
    EXPECT_EQ(DROPEFFECT_NONE, Over(EmptyAreaPoint(list)));
    EXPECT_EQ(std::vector<int>{0}, HighlightedRows());
    EXPECT_EQ(0, target->HighlightedRow());
    EXPECT_EQ(data.mediaHandedOut(), data.mediaReleased());
}

INSTANTIATE_TEST_SUITE_P(Data, DropTargetRefusalTest,
                         ::testing::Values(RefusalCase{"OtherWindow", Refusal::OtherWindow},
                                           RefusalCase{"ForeignFormat", Refusal::ForeignFormat},
                                           RefusalCase{"TwoByteBlock", Refusal::TwoByteBlock},
                                           RefusalCase{"DiscardedBlock", Refusal::DiscardedBlock},
                                           RefusalCase{"GetDataFails", Refusal::GetDataFails}),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST_F(DropTargetTest, HighlightFollowsTheRowUnderTheCursor) {
    MakeTarget();
    TestDataObject data(MailIndexesFormat(), MailIndexesBlock(mailList));
    g_listProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingListProc)));

    Enter(data, RowPoint(list, 0));
    EXPECT_EQ(std::vector<int>{0}, HighlightedRows());
    Over(RowPoint(list, 2));
    EXPECT_EQ(std::vector<int>{2}, HighlightedRows());

    // Moving within the highlighted row rewrites nothing.
    g_setItemStateMessages = 0;
    POINT inRow = RowPoint(list, 2);
    inRow.x -= 20;
    Over(inRow);
    Over(RowPoint(list, 2));
    EXPECT_EQ(0, g_setItemStateMessages);
    EXPECT_EQ(std::vector<int>{2}, HighlightedRows());

    EXPECT_EQ(DROPEFFECT_MOVE, Over(EmptyAreaPoint(list)));  // still move over the empty area
    EXPECT_TRUE(HighlightedRows().empty());
    EXPECT_EQ(-1, target->HighlightedRow());
    Over(RowPoint(list, 1), MK_CONTROL);
    EXPECT_EQ(std::vector<int>{1}, HighlightedRows());
    EXPECT_EQ(S_OK, target->DragLeave());
    EXPECT_TRUE(HighlightedRows().empty());
    EXPECT_EQ(-1, target->HighlightedRow());
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProcedure));
}

struct DropCase {
    DWORD keyState;
    int row;
    DWORD effect;
    long copy;
};

class DropTargetDropTest : public DropTargetTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DropTargetDropTest, MovesIntoTheFolderOfTheRowOfAFilteredList) {
    ShowRecords({3, 1, 4});
    MakeTarget();
    TestDataObject data(MailIndexesFormat(), MailIndexesBlock(mailList));
    SetFocus(frame);
    const DropCase& c = GetParam();
    Enter(data, RowPoint(list, 0), c.keyState);
    Over(RowPoint(list, c.row), c.keyState);
    EXPECT_EQ(c.effect, DropAt(data, RowPoint(list, c.row), c.keyState));

    const std::vector<standin::HostCall> moves = Moves();
    ASSERT_EQ(1u, moves.size());
    const int positions[] = {3, 1, 4};
    EXPECT_EQ(kFolderIds[positions[c.row]], moves[0].text);
    EXPECT_EQ(c.copy, moves[0].number);
    EXPECT_TRUE(HighlightedRows().empty());
    EXPECT_EQ(-1, target->HighlightedRow());
    EXPECT_EQ(list, GetFocus());
    EXPECT_EQ(3, ListView_GetItemCount(list));
}

INSTANTIATE_TEST_SUITE_P(Keys, DropTargetDropTest,
                         ::testing::Values(DropCase{0, 1, DROPEFFECT_MOVE, 0}, DropCase{MK_CONTROL, 2, DROPEFFECT_COPY, 1},
                                           DropCase{0, 0, DROPEFFECT_MOVE, 0}));

TEST_F(DropTargetTest, DropOverTheEmptyAreaMovesNothing) {
    MakeTarget();
    TestDataObject data(MailIndexesFormat(), MailIndexesBlock(mailList));
    Enter(data, RowPoint(list, 1));
    Over(EmptyAreaPoint(list));
    EXPECT_EQ(DROPEFFECT_MOVE, DropAt(data, EmptyAreaPoint(list)));
    EXPECT_EQ(DROPEFFECT_COPY, DropAt(data, EmptyAreaPoint(list), MK_CONTROL));
    EXPECT_TRUE(Moves().empty());
}

TEST_F(DropTargetTest, DropOnARowThatNoLongerExistsMovesNothing) {
    MakeTarget();
    TestDataObject data(MailIndexesFormat(), MailIndexesBlock(mailList));
    Enter(data, RowPoint(list, 3));
    ShowRecords({0, 1});
    DropAt(data, RowPoint(list, 1));
    EXPECT_TRUE(Moves().empty());
    EXPECT_EQ(-1, target->HighlightedRow());

    // A row whose position lies past the catalogue.
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = 2;
    item.pszText = const_cast<char*>("stale");
    item.lParam = 99;
    ListView_InsertItem(list, &item);
    Enter(data, RowPoint(list, 2));
    ASSERT_EQ(2, target->HighlightedRow());
    DropAt(data, RowPoint(list, 2));
    EXPECT_TRUE(Moves().empty());
}

int WINAPI ThrowingMove(LPCSTR, BOOL) { throw std::runtime_error("host failed"); }

TEST_F(DropTargetTest, AnExceptionEndsTheDropWithNoEffect) {
    MakeTarget();
    tarnwick::HostApi().BKA_MoveSelectedMessages = ThrowingMove;
    TestDataObject data(MailIndexesFormat(), MailIndexesBlock(mailList));
    Enter(data, RowPoint(list, 1));
    EXPECT_EQ(DROPEFFECT_NONE, DropAt(data, RowPoint(list, 1)));
}

// OLE's own drag loop, with the target registered on the list.
TEST_F(DropTargetTest, RealDragOntoARowMovesTheHostsMailsThere) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ShowRecords({4, 2, 0});
    MakeTarget();
    ASSERT_EQ(S_OK, RegisterDragDrop(list, target));
    TestDataObject data(MailIndexesFormat(), MailIndexesBlock(mailList));

    const testing_support::DragOutcome outcome =
        testing_support::DragThrough(&data, {RowPoint(list, 0), RowPoint(list, 1)}, DROPEFFECT_MOVE | DROPEFFECT_COPY);
    EXPECT_EQ(DRAGDROP_S_DROP, outcome.result);
    EXPECT_EQ(DROPEFFECT_MOVE, outcome.effect);
    const std::vector<standin::HostCall> moves = Moves();
    ASSERT_EQ(1u, moves.size());
    EXPECT_EQ(kFolderIds[2], moves[0].text);
    EXPECT_EQ(0, moves[0].number);
    EXPECT_TRUE(HighlightedRows().empty());
    EXPECT_EQ(data.mediaHandedOut(), data.mediaReleased());

    // OLE gives back every reference it took: the plug-in's is the last.
    EXPECT_EQ(S_OK, RevokeDragDrop(list));
    EXPECT_EQ(0u, target->Release());
    target = nullptr;
    OleUninitialize();
}

TEST_F(DropTargetTest, RealDragOfForeignDataIsRefused) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    MakeTarget();
    ASSERT_EQ(S_OK, RegisterDragDrop(list, target));
    TestDataObject data(CF_TEXT, "some text");

    const testing_support::DragOutcome outcome =
        testing_support::DragThrough(&data, {RowPoint(list, 0), RowPoint(list, 1)}, DROPEFFECT_MOVE | DROPEFFECT_COPY);
    EXPECT_EQ(DROPEFFECT_NONE, outcome.effect);
    EXPECT_TRUE(Moves().empty());
    EXPECT_TRUE(HighlightedRows().empty());
    for (DWORD feedback : outcome.feedback) EXPECT_EQ(DROPEFFECT_NONE, feedback);
    EXPECT_EQ(S_OK, RevokeDragDrop(list));
    OleUninitialize();
}

}  // namespace

// Seeded campaign over drag data: block sizes of 0 to 8 bytes, the right or
// another window's handle, foreign formats and failing data objects. Only
// the host's own mails with a whole handle are accepted; every medium handed
// out is given back; memory stays flat over the simulated drags.
TEST_F(DropTargetTest, FuzzedDragDataIsAcceptedOnlyWhenItIsTheHostsMails) {
    const auto plan = testing_support::PlanCampaign(3000);
    testing_support::FuzzRandom random(plan.seed + 41);
    MakeTarget();
    const POINT overRow = RowPoint(list, 1);
    const std::string good = MailIndexesBlock(mailList);
    const CLIPFORMAT foreign = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Tarnwick Fuzz Format"));
    TestDataObject data(MailIndexesFormat(), good);
    const SIZE_T privateBefore = testing_support::CountResources().privateBytes;
    for (long i = 0; i < plan.cases; ++i) {
        const std::string where = testing_support::DescribeCase(plan, i);
        std::string block;
        switch (random.Below(4)) {
            case 0: block = good.substr(0, random.Below(static_cast<std::uint32_t>(good.size()) + 1)); break;
            case 1: block = random.Bytes(random.Below(9), true); break;
            case 2: block = MailIndexesBlock(frame); break;
            default: block = good + random.Bytes(random.Below(16), true); break;
        }
        const bool foreignFormat = random.OneIn(6);
        const bool failing = random.OneIn(10);
        data.Offer(foreignFormat ? foreign : MailIndexesFormat(), block);
        data.FailWith(failing ? E_UNEXPECTED : S_OK);
        const bool accepted = !foreignFormat && !failing && block.size() >= 4 && block.compare(0, 4, good, 0, 4) == 0;
        const DWORD keyState = random.OneIn(2) ? MK_CONTROL : 0;
        const DWORD effect = Enter(data, overRow, keyState);
        ASSERT_EQ(accepted ? (keyState ? DWORD{DROPEFFECT_COPY} : DWORD{DROPEFFECT_MOVE}) : DWORD{DROPEFFECT_NONE}, effect)
            << where << ": block of " << block.size() << " bytes " << ::testing::PrintToString(block)
            << (foreignFormat ? ", foreign format" : "") << (failing ? ", GetData fails" : "");
        target->DragLeave();
        ASSERT_TRUE(HighlightedRows().empty()) << where;
    }
    EXPECT_EQ(data.mediaHandedOut(), data.mediaReleased());
    EXPECT_TRUE(Moves().empty());
    EXPECT_LE(testing_support::CountResources().privateBytes, privateBefore + 2u * 1024 * 1024);
}
