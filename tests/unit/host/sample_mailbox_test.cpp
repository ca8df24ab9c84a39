#include "host_model.h"
#include "sample_mailbox.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using testing_support::FileExists;
using testing_support::TempDir;

namespace {

std::vector<std::string> Tree(const std::string& folder) {
    std::vector<std::string> names;
    for (const testing_support::TreeEntry& entry : testing_support::ListTree(folder)) names.push_back(entry.relative);
    std::sort(names.begin(), names.end());
    return names;
}

int FolderCount(const std::string& mailbox, int* maxDepth = nullptr) {
    const std::vector<testing_support::TreeEntry> entries = testing_support::ListTree(mailbox);
    int count = 0;
    for (const testing_support::TreeEntry& entry : entries) {
        if (entry.relative.back() != '\\') continue;
        ++count;
        if (maxDepth) *maxDepth = std::max(*maxDepth, entry.depth);
    }
    return count;
}

bool HasDoubleByteName(const std::vector<std::string>& names, const char* part) {
    for (const std::string& name : names) {
        if (name.find(part) != std::string::npos) return true;
    }
    return false;
}

standin::SampleMailboxOptions Options(int folders, bool mails, unsigned seed = 1) {
    standin::SampleMailboxOptions options;
    options.folderCount = folders;
    options.writeMails = mails;
    options.seed = seed;
    return options;
}

}  // namespace

TEST(SampleMailbox, SameSeedGivesTheSameTreeAndAnotherSeedAnother) {
    TempDir a, b, c;
    standin::GenerateSampleMailbox(a.path(), Options(30, true, 5));
    standin::GenerateSampleMailbox(b.path(), Options(30, true, 5));
    standin::GenerateSampleMailbox(c.path(), Options(30, true, 6));
    const std::vector<std::string> treeA = Tree(a.path());
    EXPECT_EQ(treeA, Tree(b.path()));
    EXPECT_NE(treeA, Tree(c.path()));
    EXPECT_EQ(testing_support::ReadFileBytes(a.path() + "MB1\\!!!!Inbox\\00000001.eml"),
              testing_support::ReadFileBytes(b.path() + "MB1\\!!!!Inbox\\00000001.eml"));
}

TEST(SampleMailbox, DefaultHasTwoMailboxesOfThreeHundredFoldersWithTheSpecialOnes) {
    TempDir data;
    standin::SampleMailboxOptions options;
    options.writeMails = false;  // the default count, without the slow part
    EXPECT_EQ(300, standin::GenerateSampleMailbox(data.path(), options));
    for (const char* mailbox : {"MB1\\", "MB2\\"}) {
        SCOPED_TRACE(mailbox);
        EXPECT_EQ(300, FolderCount(data.path() + mailbox));
        for (const char* special : {"!!!!Inbox", "!!!!Outbox", "!!!Draft", "!!!Sent", "!!!XReminder", "!Trash"})
            EXPECT_TRUE(FileExists(data.path() + mailbox + special + "\\")) << special;
        EXPECT_TRUE(FileExists(data.path() + mailbox + "#Inbox.ini"));
        EXPECT_TRUE(FileExists(data.path() + mailbox + "Mailbox.ini"));
    }
    EXPECT_NE(Tree(data.path() + "MB1\\"), Tree(data.path() + "MB2\\"));
    EXPECT_FALSE(FileExists(data.path() + "MB3\\"));
}

TEST(SampleMailbox, NamesMixKanjiKanaFullWidthAndLatinAsCodePage932Bytes) {
    TempDir data;
    standin::GenerateSampleMailbox(data.path(), Options(300, false));
    const std::vector<std::string> names = Tree(data.path() + "MB1\\");
    EXPECT_TRUE(HasDoubleByteName(names, "\x89\xEF\x8B\x63"));  // 会議
    EXPECT_TRUE(HasDoubleByteName(names, "\x83\x5C\x83\x74\x83\x67"));  // ソフト, 0x5C as second byte
    EXPECT_TRUE(HasDoubleByteName(names, "\x82\x60\x82\x61\x82\x62"));  // ＡＢＣ
    EXPECT_TRUE(HasDoubleByteName(names, "Work"));
    bool nestedBelowInbox = false;
    for (const std::string& name : names) nestedBelowInbox |= name.rfind("!!!!Inbox\\", 0) == 0 && name.size() > 10 && name.back() == '\\';
    EXPECT_TRUE(nestedBelowInbox);
}

TEST(SampleMailbox, IniFoldersDisplayThroughTheHostModelWithTheInboxAmongThem) {
    TempDir data;
    standin::GenerateSampleMailbox(data.path(), Options(20, false));
    standin::HostModel host;
    host.dataFolder = data.path();
    host.mailboxDisplayNames["MB1\\"] = "Mailbox/";
    EXPECT_EQ("Mailbox/受信箱", host.DisplayNameOf("MB1\\#Inbox.ini"));
    EXPECT_EQ("Mailbox/未読メール", host.DisplayNameOf("MB1\\#Unread.ini"));
    EXPECT_EQ("", host.DisplayNameOf("MB1\\#Hidden.ini"));
    EXPECT_EQ("Mailbox/ソフト/表計算", host.DisplayNameOf("MB1\\ソフト\\表計算\\"));
    char name[64] = "";
    GetPrivateProfileStringA("Account", "Name", "", name, sizeof(name), (data.path() + "MB1\\Mailbox.ini").c_str());
    EXPECT_STREQ("個人", name);
}

TEST(SampleMailbox, MailsOnlyWhenAskedAndEightInTheInbox) {
    TempDir with, without;
    standin::GenerateSampleMailbox(with.path(), Options(30, true));
    standin::GenerateSampleMailbox(without.path(), Options(30, false));
    auto mails = [](const std::string& folder) {
        int count = 0;
        for (const std::string& name : Tree(folder)) count += name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0;
        return count;
    };
    EXPECT_EQ(0, mails(without.path()));
    EXPECT_LT(30, mails(with.path() + "MB1\\"));
    int inboxMails = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((with.path() + "MB1\\!!!!Inbox\\*.eml").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do ++inboxMails; while (FindNextFileA(find, &data));
    FindClose(find);
    EXPECT_EQ(8, inboxMails);
    EXPECT_TRUE(FileExists(with.path() + "MB1\\!!!!Inbox\\00000008.eml"));
    const std::string first = testing_support::ReadFileBytes(with.path() + "MB1\\!!!!Inbox\\00000001.eml");
    EXPECT_EQ(0u, first.find("From: "));
    EXPECT_NE(std::string::npos, first.find("\r\nSubject: "));
}

TEST(SampleMailbox, LargeMailboxHasTheAskedCountAndStaysShallow) {
    TempDir data;
    standin::SampleMailboxOptions options = Options(1500, false);
    options.mailboxCount = 1;
    EXPECT_EQ(1500, standin::GenerateSampleMailbox(data.path(), options));
    int maxDepth = 0;
    EXPECT_EQ(1500, FolderCount(data.path() + "MB1\\", &maxDepth));
    EXPECT_LE(maxDepth, 6);
    EXPECT_GE(maxDepth, 4);
    EXPECT_FALSE(FileExists(data.path() + "MB2\\"));
}

TEST(SampleMailbox, FolderCountBelowTheSpecialOnesStillWritesThemAll) {
    TempDir data;
    EXPECT_EQ(6, standin::GenerateSampleMailbox(data.path(), Options(0, false)));
    EXPECT_EQ(0, standin::GenerateSampleMailbox("", Options(10, false)));
}
