#include "catalogue_fixture.h"

#include <algorithm>
#include <set>

using tarnwick::FolderList;
using tarnwick::FolderRecord;

namespace {

std::vector<std::string> SortedLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) break;
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Display names from a second version of the host: every walked folder
// shows another path; the mailbox and the ini-file folders keep theirs.
void ShowOtherDisplayNames(const std::string& dataFolder) {
    auto plain = std::make_shared<standin::HostModel>();
    plain->dataFolder = dataFolder;
    plain->mailboxDisplayNames["MB1\\"] = "Mailbox/";
    standin::Host().displayNameOverride = [plain](const std::string& id) -> std::string {
        if (id == "MB1\\" || id.back() != '\\') return plain->DisplayNameOf(id);
        return "Mailbox/v2-" + id;
    };
}

}  // namespace

TEST_F(CatalogueTest, SpecialDirectoriesGetTheirNamesAndHashOrUnknownBangDirectoriesNoRecord) {
    Dirs({"MB1\\!!!!Inbox", "MB1\\!Trash", "MB1\\#Hidden\\Deep", "MB1\\Plain", "MB1\\!Other\\Child",
          "MB1\\a!b"});
    Build();
    const std::vector<std::string> walked = Ids();
    const std::set<std::string> ids(walked.begin(), walked.end());
    EXPECT_EQ((std::set<std::string>{"MB1\\!!!!Inbox\\", "MB1\\!Trash\\", "MB1\\Plain\\", "MB1\\!Other\\Child\\",
                                     "MB1\\a!b\\"}),
              ids);
    EXPECT_EQ(Walked("受信箱", "受信箱", "MB1\\!!!!Inbox\\", "受信箱"), *Find("MB1\\!!!!Inbox\\"));
    EXPECT_EQ(Walked("ごみ箱", "ごみ箱", "MB1\\!Trash\\", "ごみ箱"), *Find("MB1\\!Trash\\"));
    EXPECT_EQ(Walked("Plain", "PLAIN", "MB1\\Plain\\", "Plain"), *Find("MB1\\Plain\\"));
    EXPECT_EQ(Walked("Child", "CHILD", "MB1\\!Other\\Child\\", "!Other/Child"), *Find("MB1\\!Other\\Child\\"));
    EXPECT_EQ("a!b", Find("MB1\\a!b\\")->name);
    EXPECT_FALSE(HasList("MB1\\")) << "no list file without UseCache";
}

TEST_F(CatalogueTest, UseCacheWritesEachWalkedDirectorysListFile) {
    Dirs({"MB1\\Work\\Plans", "MB1\\Misc", "MB1\\!!!Sent", "MB1\\!Junk", "MB1\\#Hidden\\Deep"});
    testing_support::WriteFileBytes(data + "MB1\\notes.txt", "x");
    Build(true);
    const std::string root = ListBytes("MB1\\");
    EXPECT_EQ((std::vector<std::string>{"!!!Sent", "!Junk", "Misc", "Work"}), SortedLines(root)) << root;
    EXPECT_EQ(4u * 2 + std::string("!!!Sent!JunkMiscWork").size(), root.size()) << "only CR LF line ends";
    EXPECT_EQ("Plans\r\n", ListBytes("MB1\\Work\\"));
    for (const char* leaf : {"MB1\\Work\\Plans\\", "MB1\\Misc\\", "MB1\\!!!Sent\\", "MB1\\!Junk\\"}) {
        EXPECT_TRUE(HasList(leaf)) << leaf;
        EXPECT_EQ("", ListBytes(leaf)) << leaf;
    }
    EXPECT_FALSE(HasList("MB1\\#Hidden\\"));
    // The walk went in the file's order, each folder before its subfolders.
    const std::vector<std::string> walked = Ids();
    std::vector<std::string> expected;
    std::size_t start = 0;
    while (start < root.size()) {
        const std::size_t end = root.find("\r\n", start);
        const std::string name = root.substr(start, end - start);
        if (name != "!Junk") expected.push_back("MB1\\" + name + "\\");
        if (name == "Work") expected.push_back("MB1\\Work\\Plans\\");
        start = end + 2;
    }
    EXPECT_EQ(expected, walked);
}

TEST_F(CatalogueTest, PresentListFilesAreTrustedWithoutUseCache) {
    Dirs({"MB1\\Work\\Sub", "MB1\\Unlisted"});
    // A bare LF and a last line without line end both count.
    WriteList("MB1\\", "Gone\r\nWork\nZed");
    WriteList("MB1\\Work\\", "");
    Build(false);
    EXPECT_EQ((std::vector<std::string>{"MB1\\Gone\\", "MB1\\Work\\", "MB1\\Zed\\"}), Ids());
    EXPECT_EQ("Gone", Find("MB1\\Gone\\")->displayPath);
    EXPECT_FALSE(HasList("MB1\\Gone\\"));
    EXPECT_EQ("Gone\r\nWork\nZed", ListBytes("MB1\\")) << "never rewritten";
}

TEST_F(CatalogueTest, FirstBuildPutsInboxSpecialRunIniFoldersAndTheRestInThatOrder) {
    Dirs({"MB1\\!!!!Inbox", "MB1\\!!!Sent\\Sub", "MB1\\!Junk\\Kid", "MB1\\!Trash", "MB1\\Alpha", "MB1\\!!!Draft",
          "MB1\\Beta"});
    WriteList("MB1\\", "!!!!Inbox\r\n!!!Sent\r\n!Junk\r\n!Trash\r\nAlpha\r\n!!!Draft\r\nBeta\r\n");
    Ini("#Inbox.ini", "受信箱");
    Ini("#News.ini", nullptr);
    Ini("#alpha.ini", "alpha list");
    Ini("#Gone.ini", "");
    Build();
    const FolderList expected = {
        IniRecord("受信箱", "受信箱", "MB1\\#Inbox.ini", "受信箱"),
        Walked("受信箱", "受信箱", "MB1\\!!!!Inbox\\", "受信箱"),
        Walked("送信済み", "送信済み", "MB1\\!!!Sent\\", "送信済み"),
        Walked("Sub", "SUB", "MB1\\!!!Sent\\Sub\\", "送信済み/Sub"),
        Walked("Kid", "KID", "MB1\\!Junk\\Kid\\", "!Junk/Kid"),
        Walked("ごみ箱", "ごみ箱", "MB1\\!Trash\\", "ごみ箱"),
        IniRecord("alpha list", "ALPHA LIST", "MB1\\#alpha.ini", "alpha list"),
        IniRecord("News", "NEWS", "MB1\\#News.ini", "News"),
        Walked("Alpha", "ALPHA", "MB1\\Alpha\\", "Alpha"),
        Walked("草稿", "草稿", "MB1\\!!!Draft\\", "草稿"),
        Walked("Beta", "BETA", "MB1\\Beta\\", "Beta"),
    };
    EXPECT_EQ(expected, list);
}

TEST_F(CatalogueTest, UnchangedRebuildKeepsEveryRecordEvenWithOtherDisplayNames) {
    Dirs({"MB1\\!!!Sent", "MB1\\Work\\Plans", "MB1\\Misc"});
    WriteList("MB1\\", "!!!Sent\r\nWork\r\nMisc\r\n");
    Ini("#Inbox.ini", "受信箱");
    Ini("#News.ini", nullptr);
    Build();
    const FolderList before = list;
    ASSERT_EQ(6u, before.size());
    const FolderRecord* storage = list.data();
    ShowOtherDisplayNames(data);
    Build();
    EXPECT_EQ(before, list);
    EXPECT_EQ(storage, list.data()) << "the list was not reallocated";
}

TEST_F(CatalogueTest, RemovalAtTheEndErasesOnlyTheTail) {
    Dirs({"MB1\\A", "MB1\\B", "MB1\\C"});
    WriteList("MB1\\", "A\r\nB\r\nC\r\n");
    Build();
    WriteList("MB1\\", "A\r\nB\r\n");
    ShowOtherDisplayNames(data);
    Build();
    EXPECT_EQ((FolderList{Walked("A", "A", "MB1\\A\\", "A"), Walked("B", "B", "MB1\\B\\", "B")}), list);
}

TEST_F(CatalogueTest, ChangeInTheMiddleRebuildsFromThereAndReinsertsIniFolders) {
    Dirs({"MB1\\!Trash", "MB1\\A", "MB1\\B", "MB1\\C", "MB1\\X"});
    WriteList("MB1\\", "!Trash\r\nA\r\nB\r\nC\r\n");
    Ini("#News.ini", nullptr);
    Build();
    WriteList("MB1\\", "!Trash\r\nA\r\nX\r\nC\r\n");
    ShowOtherDisplayNames(data);
    Build();
    const FolderList expected = {
        Walked("ごみ箱", "ごみ箱", "MB1\\!Trash\\", "ごみ箱"),
        IniRecord("News", "NEWS", "MB1\\#News.ini", "News"),
        Walked("A", "A", "MB1\\A\\", "A"),
        Walked("X", "X", "MB1\\X\\", "v2-MB1\\X\\"),
        Walked("C", "C", "MB1\\C\\", "v2-MB1\\C\\"),
    };
    EXPECT_EQ(expected, list);
}

TEST_F(CatalogueTest, NewIniFolderIsInsertedAtItsSortedPlace) {
    Dirs({"MB1\\!!!Sent", "MB1\\Work"});
    WriteList("MB1\\", "!!!Sent\r\nWork\r\n");
    Ini("#a.ini", "Apple");
    Ini("#c.ini", "Cherry");
    Build();
    const FolderRecord apple = list[1];
    Ini("#b.ini", "Banana");
    Build();
    std::vector<std::string> expected = {"MB1\\!!!Sent\\", "MB1\\#a.ini", "MB1\\#b.ini", "MB1\\#c.ini",
                                         "MB1\\Work\\"};
    EXPECT_EQ(expected, Ids());
    EXPECT_EQ(apple, list[1]);
    EXPECT_EQ(IniRecord("Banana", "BANANA", "MB1\\#b.ini", "Banana"), list[2]);
}

TEST_F(CatalogueTest, IniFoldersThatAllVanishStayUntilAWalkMismatch) {
    Dirs({"MB1\\Work"});
    Ini("#News.ini", nullptr);
    Build();
    ASSERT_EQ(2u, list.size());
    DeleteFileA((data + "MB1\\#News.ini").c_str());
    Build();
    EXPECT_EQ((std::vector<std::string>{"MB1\\#News.ini", "MB1\\Work\\"}), Ids());
}

TEST_F(CatalogueTest, ChangeOfMailboxRebuildsEverything) {
    Dirs({"MB1\\A", "MB1\\B", "MB2\\C\\D"});
    Ini("#News.ini", nullptr);
    Build();
    standin::Host().currentMailBox = "MB2\\";
    standin::Host().mailboxDisplayNames["MB2\\"] = "Other/";
    Build();
    EXPECT_EQ((FolderList{Walked("C", "C", "MB2\\C\\", "C"), Walked("D", "D", "MB2\\C\\D\\", "C/D")}), list);
}

TEST_F(CatalogueTest, SecondIniFolderDisplayedAsInboxIsAnOrdinaryIniRecord) {
    Dirs({"MB1\\Work"});
    Ini("#In1.ini", "受信箱");
    Ini("#In2.ini", "受信箱");
    Build();
    ASSERT_EQ(3u, list.size());
    EXPECT_TRUE(list[0].isIniFolder);
    EXPECT_TRUE(list[1].isIniFolder);
    EXPECT_EQ("受信箱", list[0].displayPath);
    EXPECT_EQ("受信箱", list[1].name);
    EXPECT_NE(list[0].folderId, list[1].folderId);
    EXPECT_EQ("MB1\\Work\\", list[2].folderId);
}

TEST_F(CatalogueTest, ListLinesNamingTheSameDirectoryOrItsParentMakeRecordsButAreNotWalked) {
    Dirs({"MB1\\A"});
    WriteList("MB1\\", "\r\n.\r\n..\r\nA\r\n");
    Build();
    EXPECT_EQ((std::vector<std::string>{"MB1\\\\", "MB1\\.\\", "MB1\\..\\", "MB1\\A\\"}), Ids());
}

TEST_F(CatalogueTest, ListLinesLeadingOutOfTheirDirectoryMakeRecordsButAreNotWalked) {
    // A sibling of the data folder that a line could reach through "..".
    std::string outside = data.substr(0, data.size() - 1) + "-outside\\";
    const std::string outsideName = outside.substr(outside.rfind('\\', outside.size() - 2) + 1);
    CreateDirectoryA(outside.c_str(), nullptr);
    testing_support::MakeDirs(outside, "Sub");
    Dirs({"MB1\\A\\B"});
    const std::string lines[] = {"..\\MB1", "..\\..\\" + outsideName.substr(0, outsideName.size() - 1),
                                 "A\\..\\A", "A\\.", "A\\", "\\", "\\A", "A/../A", "...", ". .", "A\\B"};
    std::string content;
    for (const std::string& line : lines) content += line + "\r\n";
    WriteList("MB1\\", content);
    WriteList("MB1\\A\\B\\", "B\r\n");
    Build(true);
    std::vector<std::string> expected;
    for (const std::string& line : lines) expected.push_back("MB1\\" + line + "\\");
    expected.push_back("MB1\\A\\B\\B\\");  // the one plain path is walked: B's own list names B
    EXPECT_EQ(expected, Ids());
    EXPECT_FALSE(testing_support::FileExists(outside + "Folder.lst")) << "no list file written outside the mailbox";
    EXPECT_FALSE(testing_support::FileExists(outside + "Sub\\Folder.lst"));
    EXPECT_FALSE(HasList("MB1\\A\\")) << "A was reached only through lines that are not walked";
    testing_support::RemoveTree(outside);
}

TEST_F(CatalogueTest, ListFilesNamingTheSameFolderManyTimesOverEndInBoundedTime) {
    // Each level names the next through 40 spellings of one directory: a
    // walk of every spelling would never end.
    std::string spellings;
    for (int i = 0; i < 40; ++i) spellings += (i % 2 ? "d" : "D") + std::string(static_cast<std::size_t>(i / 2 % 3), '.') + "\r\n";
    std::string path = "MB1\\";
    for (int depth = 0; depth < 6; ++depth) {
        Dirs({(path + "D").c_str()});
        WriteList(path, spellings);
        path += "D\\";
    }
    tarnwick::CatalogueSettings settings;
    settings.maxWalkEntries = 3000;
    const DWORD start = GetTickCount();
    tarnwick::BuildCatalogueInto(list, settings);
    EXPECT_LT(GetTickCount() - start, 20000u);
    ASSERT_EQ(3000u, list.size());
    EXPECT_EQ("MB1\\D\\", list[0].folderId);
    EXPECT_EQ("MB1\\D\\D\\D\\D\\D\\D\\", list[5].folderId) << "pre-order: the first spelling at every level";
    // A second build over the same files keeps the same records.
    const tarnwick::FolderList first = list;
    tarnwick::BuildCatalogueInto(list, settings);
    EXPECT_EQ(first, list);
}

TEST_F(CatalogueTest, ListFileBeyondWhatAWalkCanUseIsReadUpToThatAndTheRestIsNotThere) {
    // 100,000 folders of at most 260 bytes a line: 26,000,000 bytes. Past
    // them (a sparse run of NULs, one line) comes a line that is not read.
    constexpr LONGLONG kWalkCanUse = 26000000;
    Dirs({"MB1\\A", "MB1\\Beyond"});
    WriteList("MB1\\A\\", "");
    WriteList("MB1\\Beyond\\", "");
    HANDLE file = CreateFileA((data + "MB1\\Folder.lst").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, "A\r\n", 3, &written, nullptr);
    LARGE_INTEGER at{};
    at.QuadPart = 3 + kWalkCanUse;
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    WriteFile(file, "\nBeyond\r\n", 9, &written, nullptr);
    CloseHandle(file);

    Build();
    EXPECT_EQ(std::vector<std::string>{"MB1\\A\\"}, Ids());
    tarnwick::DeleteFolderListFilesIn(data, std::string(), std::string());
    EXPECT_FALSE(HasList("MB1\\"));
    EXPECT_FALSE(HasList("MB1\\A\\"));
    EXPECT_TRUE(HasList("MB1\\Beyond\\")) << "the deletion followed a line past what it reads";
}

TEST_F(CatalogueTest, DisplayNameShorterThanTheMailboxsGivesAnEmptyPath) {
    Dirs({"MB1\\Work"});
    standin::Host().displayNameOverride = [](const std::string& id) -> std::string {
        return id == "MB1\\" ? "Mailbox/" : "W";
    };
    Build();
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ("", list[0].displayPath);
    EXPECT_EQ("Work", list[0].name);
}

TEST_F(CatalogueTest, HostWithoutDataFolderEmptiesTheListAndTouchesNoOtherDirectory) {
    Dirs({"MB1\\Work"});
    Build();
    ASSERT_EQ(1u, list.size());
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof(current), current);
    SetCurrentDirectoryA(data.c_str());
    standin::Host().textFault = standin::TextFault::Null;
    Build(true);
    SetCurrentDirectoryA(current);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(HasList("")) << "the current directory was walked";
    EXPECT_FALSE(HasList("MB1\\"));
}

TEST_F(CatalogueTest, StopRequestAbandonsTheBuild) {
    Dirs({"MB1\\Work"});
    std::atomic<bool> stop{true};
    tarnwick::CatalogueSettings settings;
    settings.useCache = true;
    settings.stopRequested = &stop;
    tarnwick::BuildCatalogueInto(list, settings);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(HasList("MB1\\"));
}

// "AllMailboxes": two mailboxes beside a directory the host does not name and
// a "#" one; each mailbox exactly as its own catalogue, paths whole.
class AllMailboxesTest : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        Dirs({"MB1\\!!!!Inbox", "MB1\\Work\\Plans", "MB2\\!Trash", "MB2\\Lists", "Other\\Plain", "#Hidden\\Deep"});
        Ini("#Inbox.ini", "受信箱");
        Ini("#Unread.ini", "未読");
        Ini("#Inbox.ini", "受信箱", "MB2\\");
        standin::HostModel& host = standin::Host();
        host.mailboxDisplayNames["MB2\\"] = "Work/";
        auto plain = std::make_shared<standin::HostModel>();
        plain->dataFolder = data;
        plain->mailboxDisplayNames = host.mailboxDisplayNames;
        // Not a mailbox: the host gives it no name, whatever lies inside.
        host.displayNameOverride = [plain](const std::string& id) -> std::string {
            return id.compare(0, 6, "Other\\") == 0 ? std::string() : plain->DisplayNameOf(id);
        };
    }
    // What the mailbox's catalogue alone holds, paths with its name.
    tarnwick::FolderList AloneWithWholePaths(const char* mailbox) {
        standin::Host().currentMailBox = mailbox;
        tarnwick::FolderList alone;
        tarnwick::BuildCatalogueInto(alone, tarnwick::CatalogueSettings{});
        for (tarnwick::FolderRecord& r : alone) r.displayPath = standin::Host().DisplayNameOf(r.folderId);
        standin::Host().currentMailBox = "MB1\\";
        return alone;
    }
    // The mailboxes in the data folder's own enumeration order.
    std::vector<std::string> EnumerationOrder() const {
        std::vector<std::string> order;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((data + "*").c_str(), &entry);
        do {
            const std::string name = entry.cFileName;
            if (name == "MB1" || name == "MB2") order.push_back(name + "\\");
        } while (FindNextFileA(find, &entry));
        FindClose(find);
        return order;
    }
};

TEST_F(AllMailboxesTest, EveryNamedMailboxInEnumerationOrderEachAsItsOwnCatalogue) {
    tarnwick::FolderList expected;
    for (const std::string& mailbox : EnumerationOrder()) {
        const tarnwick::FolderList alone = AloneWithWholePaths(mailbox.c_str());
        expected.insert(expected.end(), alone.begin(), alone.end());
    }
    Build(false, true);
    EXPECT_EQ(expected, list);
    EXPECT_EQ(IniRecord("受信箱", "受信箱", "MB2\\#Inbox.ini", "Work/受信箱"), *Find("MB2\\#Inbox.ini"));
    EXPECT_EQ(Walked("ごみ箱", "ごみ箱", "MB2\\!Trash\\", "Work/ごみ箱"), *Find("MB2\\!Trash\\"));
    EXPECT_EQ(Walked("Plans", "PLANS", "MB1\\Work\\Plans\\", "Mailbox/Work/Plans"), *Find("MB1\\Work\\Plans\\"));
    EXPECT_EQ(8u, list.size()) << "nothing of Other\\ or #Hidden\\";

    // Unchanged: nothing changes, even with other names for the walked folders.
    const tarnwick::FolderList before = list;
    const auto named = standin::Host().displayNameOverride;
    standin::Host().displayNameOverride = [named](const std::string& id) {
        const bool walked = id.back() == '\\' && id.find('\\') != id.size() - 1;
        return walked ? std::string("renamed") : named(id);
    };
    Build(false, true);
    EXPECT_EQ(before, list);
}

TEST_F(AllMailboxesTest, AMailboxAddedOrRemovedAppearsOrGoesAtTheNextBuild) {
    Build(false, true);
    const std::size_t both = list.size();
    const tarnwick::FolderList mb1 = AloneWithWholePaths("MB1\\");
    testing_support::MakeDirs(data, "MB3\\New");
    Build(false, true);
    ASSERT_EQ(both + 1, list.size());
    EXPECT_EQ(Walked("New", "NEW", "MB3\\New\\", "MB3/New"), *Find("MB3\\New\\"));
    testing_support::RemoveTree(data + "MB2\\");
    Build(false, true);
    EXPECT_EQ(nullptr, Find("MB2\\Lists\\"));
    EXPECT_EQ(mb1.size() + 1, list.size());
    for (const tarnwick::FolderRecord& r : mb1) EXPECT_EQ(r, *Find(r.folderId));
}

// A kill between creating a list file and finishing it must never leave a
// cut "Folder.lst" that later walks trust: the file is written under a
// temporary name and renamed once whole. What such a kill leaves is that
// temporary file, which is no folder and is replaced by the next write.
TEST_F(CatalogueTest, ListFileIsWrittenUnderATemporaryNameThatTheNextWriteReplaces) {
    Dirs({"MB1\\Work\\Plans", "MB1\\Misc"});
    testing_support::WriteFileBytes(data + "MB1\\Folder.lst.tmp", "Wo");  // left by a kill
    testing_support::WriteFileBytes(data + "MB1\\Work\\Folder.lst.tmp", "");
    Build(true);
    EXPECT_EQ((std::vector<std::string>{"Misc", "Work"}), SortedLines(ListBytes("MB1\\")));
    EXPECT_EQ("Plans\r\n", ListBytes("MB1\\Work\\"));
    EXPECT_EQ("", ListBytes("MB1\\Misc\\"));
    for (const auto& entry : testing_support::ListTree(data)) {
        EXPECT_EQ(std::string::npos, entry.relative.find(".tmp")) << entry.relative << " left behind";
    }
    EXPECT_EQ(3u, list.size()) << "a temporary file is no folder";
}
