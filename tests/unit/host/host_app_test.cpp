#include "app/call_log.h"
#include "app/folder_tree.h"
#include "app/key_dispatch.h"
#include "app/mail_drag.h"
#include "app/mail_list.h"
#include "app/mail_store.h"
#include "host_model.h"
#include "sample_mailbox.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

struct ShiftCase {
    bool control, shift, alt;
    int code;
};

class ShiftCodeTest : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(ShiftCodeTest, ReportsTheStateAsTheMailClientDoes) {
    const ShiftCase& c = GetParam();
    EXPECT_EQ(c.code, standin::app::ShiftCode(c.control, c.shift, c.alt));
}

INSTANTIATE_TEST_SUITE_P(States, ShiftCodeTest,
                         ::testing::Values(ShiftCase{false, false, false, 0}, ShiftCase{true, false, false, 32},
                                           ShiftCase{false, true, false, 64}, ShiftCase{true, true, false, 96},
                                           ShiftCase{false, false, true, 254}, ShiftCase{true, true, true, 254}));

DWORD WordAt(const std::string& bytes, std::size_t offset) {
    DWORD word = 0;
    std::memcpy(&word, bytes.data() + offset, sizeof(word));
    return word;
}

TEST(MailDrag, DataBeginsWithTheListsWindowHandleThenCountAndRows) {
    HWND list = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, list);
    const std::string bytes = standin::app::MailIndexesData(list, {4, 7});
    ASSERT_EQ(16u, bytes.size());
    EXPECT_EQ(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(list)), WordAt(bytes, 0));
    EXPECT_EQ(2u, WordAt(bytes, 4));
    EXPECT_EQ(4u, WordAt(bytes, 8));
    EXPECT_EQ(7u, WordAt(bytes, 12));
    DestroyWindow(list);
}

const char kMail[] =
    "From: 山田 太郎 <taro@example.jp>\r\n"
    "Subject: 会議の議事録\r\n"
    "Date: Mon, 02 Nov 2026 09:00:00 +0900\r\n"
    "\r\n"
    "Subject: not a header\r\n";

TEST(MailStore, ReadsHeadersOfEveryMailFileInNameOrder) {
    TempDir folder;
    WriteFileBytes(folder.path() + "00000002.eml", "Subject: second\r\n\r\n");
    WriteFileBytes(folder.path() + "00000001.eml", kMail);
    WriteFileBytes(folder.path() + "notes.txt", "Subject: not a mail\r\n");
    const std::vector<standin::app::MailSummary> mails = standin::app::ReadMails(folder.path());
    ASSERT_EQ(2u, mails.size());
    EXPECT_EQ("00000001.eml", mails[0].fileName);
    EXPECT_EQ("会議の議事録", mails[0].subject);
    EXPECT_EQ("山田 太郎 <taro@example.jp>", mails[0].from);
    EXPECT_EQ("Mon, 02 Nov 2026 09:00:00 +0900", mails[0].date);
    EXPECT_EQ("second", mails[1].subject);
    EXPECT_EQ("", mails[1].from);
    EXPECT_EQ(2, standin::app::CountMails(folder.path()));
}

TEST(MailStore, MovingTakesFreeNamesAndCopyingKeepsTheSource) {
    TempDir from, to;
    WriteFileBytes(from.path() + "00000001.eml", "one");
    WriteFileBytes(from.path() + "00000002.eml", "two");
    WriteFileBytes(to.path() + "00000001.eml", "already there");
    EXPECT_EQ(1, standin::app::TransferMails(from.path(), {"00000002.eml"}, to.path(), false));
    EXPECT_FALSE(FileExists(from.path() + "00000002.eml"));
    EXPECT_EQ("already there", ReadFileBytes(to.path() + "00000001.eml"));
    EXPECT_EQ("two", ReadFileBytes(to.path() + "00000002.eml"));
    EXPECT_EQ(1, standin::app::TransferMails(from.path(), {"00000001.eml"}, to.path(), true));
    EXPECT_EQ("one", ReadFileBytes(from.path() + "00000001.eml"));
    EXPECT_EQ("one", ReadFileBytes(to.path() + "00000003.eml"));
}

TEST(MailStore, NothingMovesIntoAMissingFolderOrOntoItself) {
    TempDir from;
    WriteFileBytes(from.path() + "00000001.eml", "one");
    EXPECT_EQ(0, standin::app::TransferMails(from.path(), {"00000001.eml"}, from.path() + "missing\\", false));
    EXPECT_EQ(0, standin::app::TransferMails(from.path(), {"00000001.eml"}, from.path(), false));
    EXPECT_EQ("one", ReadFileBytes(from.path() + "00000001.eml"));
    EXPECT_EQ(0, standin::app::TransferMails(from.path(), {"gone.eml"}, from.path() + "..\\", false));
}

TEST(MailStore, MailboxesAreTheDirectoriesWithAMailboxIni) {
    TempDir data;
    standin::SampleMailboxOptions options;
    options.folderCount = 8;
    options.writeMails = false;
    standin::GenerateSampleMailbox(data.path(), options);
    testing_support::MakeDirs(data.path(), "NotAMailbox");
    const std::vector<standin::app::MailboxEntry> mailboxes = standin::app::ListMailboxes(data.path());
    ASSERT_EQ(2u, mailboxes.size());
    EXPECT_EQ("MB1\\", mailboxes[0].id);
    EXPECT_EQ("個人", mailboxes[0].displayName);
    EXPECT_EQ("MB2\\", mailboxes[1].id);
    EXPECT_EQ("Work", mailboxes[1].displayName);
}

TEST(CallLog, LinesAreUtf8WithTheTextQuotedAndTheNumber) {
    const std::string log = standin::app::FormatCallLog(
        {standin::HostCall{"BKA_SetCurrentFolder", "MB1\\ソフト\\", 0}, standin::HostCall{"BKA_GetWindowHandles", "", 0},
         standin::HostCall{"BKA_MoveSelectedMessages", "MB1\\Work\\", 1}});
    EXPECT_EQ(
        "BKA_SetCurrentFolder(\"MB1\\\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88\\\", 0)\n"
        "BKA_GetWindowHandles(0)\n"
        "BKA_MoveSelectedMessages(\"MB1\\Work\\\", 1)\n",
        log);
}

class FolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin::ResetHost();
        standin::SampleMailboxOptions options;
        options.folderCount = 40;
        standin::GenerateSampleMailbox(data.path(), options);
        standin::HostModel& host = standin::Host();
        host.dataFolder = data.path();
        host.mailboxDisplayNames["MB1\\"] = "個人/";
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr, nullptr, nullptr);
        tree.Create(parent, 1);
        mails.Create(parent, 2);
    }
    void TearDown() override {
        DestroyWindow(parent);
        standin::ResetHost();
    }
    std::string ItemText(HTREEITEM item) {
        char text[256] = "";
        TVITEMA data = {};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = sizeof(text);
        SendMessageA(tree.window(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        return text;
    }

    TempDir data;
    HWND parent = nullptr;
    standin::app::FolderTree tree;
    standin::app::MailList mails;
};

TEST_F(FolderTreeTest, ShowsEveryFolderAndTheVisibleIniFoldersUnderTheMailbox) {
    tree.Fill(data.path(), "MB1\\");
    // 40 directories, the mailbox itself, and five "#*.ini" folders ("#Hidden.ini" has no name).
    EXPECT_EQ(46u, tree.FolderCount());
    HTREEITEM root = TreeView_GetRoot(tree.window());
    EXPECT_EQ("個人", ItemText(root));
    HTREEITEM inbox = TreeView_GetChild(tree.window(), root);
    EXPECT_EQ("MB1\\!!!!Inbox\\", tree.FolderIdOf(inbox));
    EXPECT_EQ("受信箱 (8)", ItemText(inbox));
    EXPECT_EQ("MB1\\!!!!Inbox\\", tree.SelectedId());
    EXPECT_TRUE(tree.Select("MB1\\#Inbox.ini"));
    EXPECT_EQ("MB1\\#Inbox.ini", tree.SelectedId());
    EXPECT_TRUE(tree.Select("mb1\\!trash\\"));
    EXPECT_EQ("MB1\\!Trash\\", tree.SelectedId());
    EXPECT_FALSE(tree.Select("MB1\\No such folder\\"));
    EXPECT_EQ("MB1\\!Trash\\", tree.SelectedId());
}

TEST_F(FolderTreeTest, CountsFollowMailsMovedBetweenFolders) {
    tree.Fill(data.path(), "MB1\\");
    const std::string inbox = "MB1\\!!!!Inbox\\";
    const std::string trash = "MB1\\!Trash\\";
    const int trashBefore = tree.MailCountOf(trash);
    mails.Show(data.path() + inbox);
    ASSERT_EQ(8, mails.Count());
    ListView_SetItemState(mails.window(), 2, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(mails.window(), 5, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ((std::vector<int>{2, 5}), mails.SelectedRows());
    EXPECT_EQ((std::vector<std::string>{"00000003.eml", "00000006.eml"}), mails.SelectedFiles());
    EXPECT_EQ(2, standin::app::TransferMails(data.path() + inbox, mails.SelectedFiles(), data.path() + trash, false));
    tree.Recount(inbox);
    tree.Recount(trash);
    EXPECT_EQ(6, tree.MailCountOf(inbox));
    EXPECT_EQ(trashBefore + 2, tree.MailCountOf(trash));
    mails.Refresh();
    EXPECT_EQ(6, mails.Count());
}

}  // namespace
