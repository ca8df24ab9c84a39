#include "catalogue_fixture.h"

class CacheDeletionTest : public CatalogueTest {
protected:
    void DeleteAll() { tarnwick::DeleteFolderListFiles(std::string(), std::string()); }
};

TEST_F(CacheDeletionTest, DeletesEveryListFileItReadsOrFindsByEnumeration) {
    Dirs({"MB1\\A\\A1", "MB1\\B", "MB1\\#Named", "MB2\\C", "MB2\\#Hid"});
    WriteList("MB1\\", "A\r\nB\r\n#Named\r\nMissing\r\n");  // several lines
    WriteList("MB1\\A\\", "A1\r\n");                         // one line
    WriteList("MB1\\A\\A1\\", "");                           // empty
    WriteList("MB1\\B\\", "");
    WriteList("MB1\\#Named\\", "");  // named by a list file: followed
    WriteList("MB2\\C\\", "");       // MB2 has no list file: enumerated
    WriteList("MB2\\#Hid\\", "");    // "#" directories are not entered by enumeration
    testing_support::WriteFileBytes(data + "MB1\\A\\mail.txt", "keep");
    DeleteAll();
    for (const char* gone : {"MB1\\", "MB1\\A\\", "MB1\\A\\A1\\", "MB1\\B\\", "MB1\\#Named\\", "MB2\\C\\"}) {
        EXPECT_FALSE(HasList(gone)) << gone;
    }
    EXPECT_TRUE(HasList("MB2\\#Hid\\"));
    EXPECT_EQ("keep", testing_support::ReadFileBytes(data + "MB1\\A\\mail.txt"));
}

TEST_F(CacheDeletionTest, ListFileOfTheDataFolderItselfIsFollowedAndDeleted) {
    Dirs({"MB1\\A", "Other\\B"});
    WriteList("", "MB1\r\n");
    WriteList("MB1\\A\\", "");
    WriteList("Other\\B\\", "");
    DeleteAll();
    EXPECT_FALSE(HasList(""));
    EXPECT_FALSE(HasList("MB1\\A\\"));
    EXPECT_TRUE(HasList("Other\\B\\")) << "not named by the data folder's list file";
}

TEST_F(CacheDeletionTest, SelfReferringLinesEndAndTheFileIsStillDeleted) {
    Dirs({"MB1\\A"});
    WriteList("MB1\\", "\r\n.\r\n..\r\n..\\MB1\r\nA\r\n");
    WriteList("MB1\\A\\", "");
    DeleteAll();
    EXPECT_FALSE(HasList("MB1\\"));
    EXPECT_FALSE(HasList("MB1\\A\\"));
}

TEST_F(CacheDeletionTest, LinesLeadingOutOfTheDataFolderDeleteNothingThere) {
    const std::string outside = data.substr(0, data.size() - 1) + "-outside\\";
    const std::string outsideName = outside.substr(outside.rfind('\\', outside.size() - 2) + 1);
    CreateDirectoryA(outside.c_str(), nullptr);
    testing_support::MakeDirs(outside, "Sub");
    testing_support::WriteFileBytes(outside + "Folder.lst", "Sub\r\n");
    testing_support::WriteFileBytes(outside + "Sub\\Folder.lst", "");
    Dirs({"MB1\\A"});
    WriteList("MB1\\", "..\\..\\" + outsideName.substr(0, outsideName.size() - 1) + "\r\nA\\..\\..\\..\\" +
                            outsideName + "Sub\r\nA\r\n");
    WriteList("MB1\\A\\", "");
    DeleteAll();
    EXPECT_FALSE(HasList("MB1\\"));
    EXPECT_FALSE(HasList("MB1\\A\\"));
    EXPECT_TRUE(testing_support::FileExists(outside + "Folder.lst"));
    EXPECT_TRUE(testing_support::FileExists(outside + "Sub\\Folder.lst"));
    testing_support::RemoveTree(outside);
}

TEST_F(CacheDeletionTest, HostWithoutDataFolderDeletesNothing) {
    WriteList("MB1\\", "");
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof(current), current);
    SetCurrentDirectoryA(data.c_str());
    standin::Host().textFault = standin::TextFault::Empty;
    DeleteAll();
    SetCurrentDirectoryA(current);
    EXPECT_TRUE(HasList("MB1\\"));
}

TEST_F(CacheDeletionTest, ListFilesWrittenByAWalkAreAllGoneAfterwards) {
    Dirs({"MB1\\Work\\Plans", "MB1\\Work\\Old", "MB1\\Misc"});
    Build(true);
    ASSERT_TRUE(HasList("MB1\\Work\\"));
    DeleteAll();
    for (const char* dir : {"MB1\\", "MB1\\Work\\", "MB1\\Work\\Plans\\", "MB1\\Work\\Old\\", "MB1\\Misc\\"}) {
        EXPECT_FALSE(HasList(dir)) << dir;
    }
}

TEST_F(CacheDeletionTest, CoversTheListFilesOfEveryMailboxABuildOverAllWrote) {
    Dirs({"MB1\\A", "MB2\\B", "MB2\\C"});
    standin::Host().mailboxDisplayNames["MB2\\"] = "Work/";
    Build(true, true);
    for (const char* written : {"MB1\\", "MB1\\A\\", "MB2\\", "MB2\\B\\", "MB2\\C\\"})
        ASSERT_TRUE(HasList(written)) << written;
    EXPECT_FALSE(HasList("")) << "the data folder itself is no mailbox";
    DeleteAll();
    for (const char* gone : {"MB1\\", "MB1\\A\\", "MB2\\", "MB2\\B\\", "MB2\\C\\"}) EXPECT_FALSE(HasList(gone)) << gone;
}

// What a kill in the middle of a list file's write leaves goes with the list
// files, also where it stands alone in a directory without one.
TEST_F(CacheDeletionTest, TemporaryListFilesLeftByAKillAreDeletedToo) {
    Dirs({"MB1\\A", "MB1\\B", "MB2\\C"});
    WriteList("MB1\\", "A\r\nB\r\n");
    testing_support::WriteFileBytes(data + "MB1\\Folder.lst.tmp", "A\r\n");
    testing_support::WriteFileBytes(data + "MB1\\A\\Folder.lst.tmp", "");  // no list file beside it
    testing_support::WriteFileBytes(data + "MB2\\C\\Folder.lst.tmp", "");  // reached by enumeration
    testing_support::WriteFileBytes(data + "MB1\\B\\Folder.lst.tmpx", "keep");
    DeleteAll();
    for (const char* dir : {"MB1\\", "MB1\\A\\", "MB2\\C\\"}) {
        EXPECT_FALSE(testing_support::FileExists(data + dir + "Folder.lst.tmp")) << dir;
    }
    EXPECT_FALSE(HasList("MB1\\"));
    EXPECT_EQ("keep", testing_support::ReadFileBytes(data + "MB1\\B\\Folder.lst.tmpx"));
}
